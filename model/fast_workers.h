// Worker threads for the fast engine path: a loop whose iterations are
// independent (each computes its own results by its own fixed sequence of
// operations) is spread over the processors; the caller takes part and
// returns only when every iteration is done, so callers stay synchronous.
#pragma once

#include <functional>

// Runs fn(i) for every i in [0, count), on up to WorkerThreadCount()
// threads including the calling one. When fn throws, the remaining
// iterations are skipped and the first exception is rethrown here once
// every thread has stopped.
void ParallelFor(int count, const std::function<void(int)>& fn);

// Threads ParallelFor uses (at least 1: the caller alone). The helper
// threads are started on first use; those that cannot be started are done
// without.
int WorkerThreadCount();

// Ends the helper threads; the next loop starts them anew. For tests that
// change how threads start (platform/thread_start.h).
void RestartWorkerThreads();
