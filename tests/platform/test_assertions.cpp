// VEXTOR_ASSERT and CheckedCount: on in the sanitizer builds, where a fault
// of the program's own counts must stop the test that reached it, and free
// (not even evaluated) in the builds that ship.
#include <gtest/gtest.h>

#include "platform/assertions.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(Assertions, AreOnWheneverTheSanitizersAre) {
    if (kSanitized) {
        EXPECT_EQ(VEXTOR_ASSERTIONS, 1);
    }
}

TEST(Assertions, ACountWithinItsTableIsReturnedAsItIs) {
    for (const int count : {0, 1, 64, 65}) EXPECT_EQ(CheckedCount(count, 65), count);
}

#if VEXTOR_ASSERTIONS

TEST(AssertionsDeathTest, AFailedCheckNamesTheConditionAndStops) {
    const int members = 3;
    EXPECT_DEATH(VEXTOR_ASSERT(members <= 2), "own logic failed: members <= 2");
}

TEST(AssertionsDeathTest, ACountOutsideItsTableStops) {
    EXPECT_DEATH(CheckedCount(66, 65), "own logic failed");
    EXPECT_DEATH(CheckedCount(-1, 65), "own logic failed");
}

#else

TEST(Assertions, AnUncheckedConditionIsNotEvaluated) {
    int evaluations = 0;
    VEXTOR_ASSERT(++evaluations < 0);
    EXPECT_EQ(evaluations, 0);
}

TEST(Assertions, AnUncheckedCountOutsideItsTableStaysInsideIt) {
    EXPECT_EQ(CheckedCount(66, 65), 65);
    EXPECT_EQ(CheckedCount(-1, 65), 0);
}

#endif

}  // namespace
