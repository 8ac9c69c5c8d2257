#include "model/fast_workers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Set while this thread runs a loop: a loop inside it runs in place (the
// pool is busy with the outer one).
thread_local bool insideLoop = false;

// A fixed set of threads that wait for one loop at a time.
class WorkerPool {
  public:
    explicit WorkerPool(int threads) {
        for (int t = 0; t < threads; ++t) {
            try {
                threads_.emplace_back([this] { Work(); });
            } catch (...) {
                break;  // fewer helpers; the caller still does the work
            }
        }
    }
    ~WorkerPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    int Helpers() const { return static_cast<int>(threads_.size()); }

    void Run(int count, const std::function<void(int)>& fn) {
        std::unique_lock<std::mutex> lock(mutex_);
        fn_ = &fn;
        count_ = count;
        next_.store(0);
        active_ = static_cast<int>(threads_.size());
        ++generation_;
        lock.unlock();
        wake_.notify_all();
        Drain();
        lock.lock();
        done_.wait(lock, [this] { return active_ == 0; });
        fn_ = nullptr;
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        lock.unlock();
        if (failure) std::rethrow_exception(failure);
    }

  private:
    void Drain() {
        for (;;) {
            const int i = next_.fetch_add(1);
            if (i >= count_) return;
            try {
                (*fn_)(i);
            } catch (...) {
                // The first failure goes to the caller; the rest of the
                // loop is skipped.
                std::lock_guard<std::mutex> lock(failureMutex_);
                if (!failure_) failure_ = std::current_exception();
                next_.store(count_);
            }
        }
    }
    void Work() {
        insideLoop = true;  // a worker only ever runs loop iterations
        unsigned seen = 0;
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_) return;
            seen = generation_;
            lock.unlock();
            Drain();
            lock.lock();
            if (--active_ == 0) done_.notify_one();
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* fn_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    int active_ = 0;
    unsigned generation_ = 0;
    bool stop_ = false;
    std::mutex failureMutex_;
    std::exception_ptr failure_;
};

WorkerPool& Pool() {
    static WorkerPool pool(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16) - 1);
    return pool;
}

std::mutex runMutex;  // one loop at a time

struct InsideLoop {
    InsideLoop() { insideLoop = true; }
    ~InsideLoop() { insideLoop = false; }
};

}  // namespace

void ParallelFor(int count, const std::function<void(int)>& fn) {
    if (count <= 0) return;
    if (count == 1 || insideLoop || WorkerThreadCount() == 1) {
        for (int i = 0; i < count; ++i) fn(i);
        return;
    }
    std::lock_guard<std::mutex> lock(runMutex);
    InsideLoop mark;
    Pool().Run(count, fn);
}

int WorkerThreadCount() { return Pool().Helpers() + 1; }
