#include "MarloProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(MarloProgress, BytesPercentAndRate)
{
    EXPECT_EQ(FormatMarloProgress(512, 1024, 1.0), "512 bytes  50%  512.0 B/s");
    EXPECT_EQ(FormatMarloProgress(3 * 1024 * 1024, -1, 2.0), "3145728 bytes  1.5 MiB/s");
    EXPECT_EQ(FormatMarloProgress(0, 100, 0.0), "0 bytes  0%  0.0 B/s");
    // A file that grew while it was sent never shows more than 100%.
    EXPECT_EQ(FormatMarloProgress(150, 100, 1.0), "150 bytes  100%  150.0 B/s");
    // Sizes beyond 32 bits keep their digits.
    EXPECT_EQ(FormatMarloProgress(6000000000LL, 12000000000LL, 0.5), "6000000000 bytes  50%  11.2 GiB/s");
}

}  // namespace
