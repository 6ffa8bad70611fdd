#include "core/space/drive_fit.h"

#include <gtest/gtest.h>

namespace trovel::space {
namespace {

constexpr std::int64_t MiB = 1024 * 1024;
constexpr std::int64_t GiB = 1024 * MiB;

TEST(AtMost, IsFiveSixthsOfTheFreeSpaceWithinItsBounds) {
    EXPECT_EQ(AtMost(60 * GiB, 100 * GiB), 10 * GiB);
    EXPECT_EQ(AtMost(6 * GiB, 100 * GiB), 5 * GiB);
    EXPECT_EQ(AtMost(110 * MiB, 100 * GiB), 100 * MiB);  // the floor, while the drive has that much
    EXPECT_EQ(AtMost(50 * MiB, 100 * GiB), 50 * MiB);    // never more than is free
    EXPECT_EQ(AtMost(0, 100 * GiB), 0);
    EXPECT_EQ(AtMost(12 * GiB, 100 * GiB), 10 * GiB);
    EXPECT_EQ(AtMost(INT64_MAX, INT64_MAX), 10 * GiB);
}

TEST(AtMost, RoundsHalvesToEven) {
    // 1,258,291,203 / 1.2 = 1,048,576,002.5 -> ...002 (even); ...209 / 1.2 = ...007.5 -> ...008.
    EXPECT_EQ(AtMost(1258291203, GiB), 1048576002);
    EXPECT_EQ(AtMost(1258291209, GiB), 1048576008);
    EXPECT_EQ(AtMost(1258291201, GiB), 1048576001);  // ...000.833 rounds up
    EXPECT_EQ(AtMost(1258291205, GiB), 1048576004);  // ...004.167 rounds down
}

TEST(AtMost, ADriveWithoutASizeTakesNothing) {
    EXPECT_EQ(AtMost(50 * GiB, 0), 0);
    EXPECT_FALSE(Fits(AtMost(50 * GiB, 0), 0));
}

TEST(Fits, IsStrict) {
    EXPECT_TRUE(Fits(10 * GiB, 8 * GiB));
    EXPECT_FALSE(Fits(10 * GiB, 10 * GiB));
    EXPECT_TRUE(Fits(5 * GiB, 5 * GiB - 1));
    EXPECT_FALSE(Fits(5 * GiB, 5 * GiB));
    EXPECT_TRUE(Fits(100 * MiB, 80 * MiB));
    EXPECT_TRUE(Fits(100 * MiB, 0));
}

TEST(Percent, RoundsHalfToEvenAndSurvivesAZeroWhole) {
    EXPECT_EQ(Percent(1, 200), 0);  // 0.5 -> 0
    EXPECT_EQ(Percent(3, 200), 2);  // 1.5 -> 2
    EXPECT_EQ(Percent(5, 200), 2);  // 2.5 -> 2
    EXPECT_EQ(Percent(1, 3), 33);
    EXPECT_EQ(Percent(2, 3), 67);
    EXPECT_EQ(Percent(100, 100), 100);
    EXPECT_EQ(Percent(40 * GiB, 100 * GiB), 40);
    EXPECT_EQ(Percent(5, 0), 0);
    EXPECT_EQ(Percent(INT64_MAX / 2, INT64_MAX), 50);
}

}  // namespace
}  // namespace trovel::space
