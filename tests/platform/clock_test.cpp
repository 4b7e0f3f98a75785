#include <gtest/gtest.h>
#include "platform/os/clock.h"

TEST(Clock, IsMonotonicAndSleeps) {
    uint64_t a = GetTickCountMs();
    SleepMs(20);
    uint64_t b = GetTickCountMs();
    EXPECT_GE(b - a, 15u);
}
