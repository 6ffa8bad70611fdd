#include "bench/timing.h"

#include <gtest/gtest.h>

namespace trovel::bench {
namespace {

TEST(BenchTiming, MedianOfAnEvenCountIsTheMeanOfTheMiddleTwo) {
    EXPECT_DOUBLE_EQ(Median({4.0, 1.0}), 2.5);
    EXPECT_DOUBLE_EQ(Median({9.0, 1.0, 3.0, 2.0}), 2.5);  // unsorted, an outlier does not count
    EXPECT_DOUBLE_EQ(Median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_DOUBLE_EQ(Median({7.0}), 7.0);
    EXPECT_DOUBLE_EQ(Median({}), 0.0);
}

TEST(BenchTiming, RatiosPairTheRunsInOrder) {
    const std::vector<double> ratios = RunRatios({1.0, 3.0, 2.0}, {2.0, 4.0, 0.0});
    ASSERT_EQ(ratios.size(), 3u);
    EXPECT_DOUBLE_EQ(ratios[0], 0.5);
    EXPECT_DOUBLE_EQ(ratios[1], 0.75);
    EXPECT_DOUBLE_EQ(ratios[2], 0.0);  // a baseline that took no time gives no ratio, not infinity
}

}  // namespace
}  // namespace trovel::bench
