#include "model/fast_workers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/thread_start.h"

namespace {

// Set while this thread runs a loop: a loop inside it runs in place (the
// pool is busy with the outer one).
thread_local bool insideLoop = false;

// A fixed set of threads that wait for one loop at a time.
class WorkerPool {
  public:
    explicit WorkerPool(int threads) {
        try {
            threads_.reserve(static_cast<std::size_t>(std::max(threads, 0)));
        } catch (...) {
            return;  // no helpers: the caller does every loop alone
        }
        for (int t = 0; t < threads; ++t) {
            std::thread helper;
            // Fewer helpers when a thread cannot be started: the caller
            // takes part in every loop, so the work still gets done.
            if (!StartThread(helper, [this] { Work(); })) break;
            threads_.push_back(std::move(helper));
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

std::mutex runMutex;  // one loop at a time; guards the pool's lifetime
std::unique_ptr<WorkerPool> pool;

// The pool, started on first use. Called with runMutex held.
WorkerPool& Pool() {
    if (!pool)
        pool = std::make_unique<WorkerPool>(
            std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16) - 1);
    return *pool;
}

struct InsideLoop {
    InsideLoop() { insideLoop = true; }
    ~InsideLoop() { insideLoop = false; }
};

}  // namespace

void ParallelFor(int count, const std::function<void(int)>& fn) {
    if (count <= 0) return;
    if (count == 1 || insideLoop) {
        for (int i = 0; i < count; ++i) fn(i);
        return;
    }
    std::lock_guard<std::mutex> lock(runMutex);
    InsideLoop mark;
    if (Pool().Helpers() == 0) {
        for (int i = 0; i < count; ++i) fn(i);
        return;
    }
    Pool().Run(count, fn);
}

int WorkerThreadCount() {
    if (insideLoop) return 1;  // a nested loop runs in place
    std::lock_guard<std::mutex> lock(runMutex);
    return Pool().Helpers() + 1;
}

void RestartWorkerThreads() {
    std::lock_guard<std::mutex> lock(runMutex);
    pool.reset();
}
