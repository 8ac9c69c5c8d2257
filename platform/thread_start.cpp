#include "platform/thread_start.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>

namespace {

std::mutex starterMutex;
ThreadStarter currentStarter;  // empty: std::thread itself

ThreadStarter CurrentStarter() {
    std::lock_guard<std::mutex> lock(starterMutex);
    return currentStarter;
}

}  // namespace

bool StartThread(std::thread& thread, std::function<void()> fn) {
    try {
        const ThreadStarter starter = CurrentStarter();
        thread = starter ? starter(std::move(fn)) : std::thread(std::move(fn));
        return thread.joinable();
    } catch (...) {
        // std::system_error when the system has no thread to give,
        // std::bad_alloc when the thread's state cannot be allocated.
        return false;
    }
}

ThreadStarter LimitedThreadStarter(int allowed) {
    auto left = std::make_shared<std::atomic<int>>(allowed);
    return [left](std::function<void()> fn) {
        if (left->fetch_sub(1) <= 0)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(fn));
    };
}

ScopedThreadStarter::ScopedThreadStarter(ThreadStarter starter) {
    std::lock_guard<std::mutex> lock(starterMutex);
    previous_ = std::exchange(currentStarter, std::move(starter));
}

ScopedThreadStarter::~ScopedThreadStarter() {
    std::lock_guard<std::mutex> lock(starterMutex);
    currentStarter = std::move(previous_);
}
