// Checks of the program's own logic.
//
// A count or an index reaches the program one of two ways:
//  - From outside: a data file, a result file, the outside calculation
//    library's records, what a user types, the machine (threads, screen).
//    Such a value is clamped or refused where it comes in, with a message
//    where the user should know (the file readers, the validation before an
//    analysis, the grids' input). Bad input is not a fault of the program,
//    so it is never asserted.
//  - Computed by the program: the engine's counts, the model's counts once
//    they were checked on the way in, an index derived from either. A wrong
//    value there is a fault of the program, and VEXTOR_ASSERT makes it show
//    instead of quietly truncating a table.
//
// VEXTOR_ASSERT(condition) checks when VEXTOR_ASSERTIONS is 1: in Debug
// builds, with the sanitizers (the "asan" preset, `SANITIZE=1 ./test.sh`)
// and in the fuzz targets. It is off in RelWithDebInfo and Release builds
// (the "dev" preset and the program as shipped), where the condition is not
// even evaluated. It does not follow NDEBUG, which RelWithDebInfo defines
// too (the fuzz preset included): plain assert() is not used in the
// program. The CMake variable VEXTOR_ASSERTIONS overrides the choice.
//
// A failed check writes the condition and its place to stderr and aborts,
// so the test that reached it fails.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifndef VEXTOR_ASSERTIONS
#define VEXTOR_ASSERTIONS 0
#endif

namespace assertions_detail {
[[noreturn]] inline void Failed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check of the program's own logic failed: %s\n", file, line,
                 condition);
    std::fflush(stderr);
    std::abort();
}
}  // namespace assertions_detail

#if VEXTOR_ASSERTIONS
#define VEXTOR_ASSERT(condition)        \
    ((condition) ? static_cast<void>(0) \
                 : ::assertions_detail::Failed(#condition, __FILE__, __LINE__))
#else
// Not evaluated; sizeof still keeps the names it uses "used".
#define VEXTOR_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif

// A count the program computed itself, about to bound a loop over a table
// of capacity slots (slots 1..capacity): asserted to lie in [0, capacity].
// With the checks off it is still clamped there, because a fault would
// otherwise read or write past a fixed table in the shipped program; a
// truncated table is the lesser harm, and the checked builds show the fault.
inline int CheckedCount(int count, int capacity) {
    VEXTOR_ASSERT(count >= 0 && count <= capacity);
    return std::clamp(count, 0, capacity);
}
