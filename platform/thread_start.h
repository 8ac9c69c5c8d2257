// Every thread the program starts goes through StartThread, so that a test
// can make starting fail. A thread may fail to start at any time (the
// address space or the per-user thread limit can be used up by others):
// each caller then does the work on the threads it already has, or on the
// calling thread, and never waits for work that only a missing thread
// would do.
#pragma once

#include <functional>
#include <thread>

// Starts fn on a new thread into thread (which must not be joinable).
// False, with thread left as it was and fn not run, when no thread could
// be started; never throws.
bool StartThread(std::thread& thread, std::function<void()> fn);

// What starts a thread: given fn, returns the running thread or throws
// (std::system_error, std::bad_alloc) when none can be started.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

// A starter that starts the first `allowed` threads it is asked for and
// refuses every further one (0: none at all).
ThreadStarter LimitedThreadStarter(int allowed);

// Puts starter in place of the real one until the object goes; for tests.
class ScopedThreadStarter {
  public:
    explicit ScopedThreadStarter(ThreadStarter starter);
    ~ScopedThreadStarter();
    ScopedThreadStarter(const ScopedThreadStarter&) = delete;
    ScopedThreadStarter& operator=(const ScopedThreadStarter&) = delete;

  private:
    ThreadStarter previous_;
};
