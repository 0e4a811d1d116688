// The latency harness's arithmetic: a path whose positions name their motion, the matching of
// observed positions to motions, and the percentiles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "../../../bench/x11_latency/LatencyStats.h"

namespace tugworth::bench {
namespace {

TEST(RasterPath, VisitsEveryPlaceOnceInsideASmallSquareWithStepsAboveTheDeadZone) {
    const auto deltas = rasterPath(10000, 120, 3);
    ASSERT_EQ(deltas.size(), 10000U);
    const auto positions = cumulative(deltas);
    std::set<Offset> seen;
    for (std::size_t i = 0; i < deltas.size(); ++i) {
        EXPECT_GT(std::abs(deltas[i].x) + std::abs(deltas[i].y), 2) << "motion " << i;
        EXPECT_TRUE(seen.insert(positions[i]).second) << "place of motion " << i << " seen before";
        EXPECT_GE(positions[i].x, 0);
        EXPECT_LE(positions[i].x, 360);
        EXPECT_LE(positions[i].y, 300);
    }
    EXPECT_FALSE(seen.count(Offset{}));  // the start is no motion's place
}

TEST(MatchObservations, EachMotionIsTimedToTheFirstObservationAtOrPastItsPlace) {
    const std::vector<Offset> expected{{3, 0}, {6, 0}, {9, 0}, {12, 0}, {15, 0}};
    const std::vector<double> sentAt{0.0, 1.0, 2.0, 3.0, 4.0};
    const std::vector<Observation> seen{
        {0.5, {0, 0}},    // a configure that did not move the window
        {1.5, {6, 0}},    // motions 0 and 1 coalesced into one move
        {1.6, {6, 0}},    // the same place again adds nothing
        {1.7, {3, 0}},    // a place already passed adds nothing
        {2.5, {9, 1}},    // on no motion's path
        {3.25, {12, 0}},  // motions 2 and 3
    };
    const Matching m = matchObservations(expected, sentAt, seen);
    ASSERT_EQ(m.latencies.size(), 5U);
    EXPECT_DOUBLE_EQ(m.latencies[0], 1.5);
    EXPECT_DOUBLE_EQ(m.latencies[1], 0.5);
    EXPECT_DOUBLE_EQ(m.latencies[2], 1.25);
    EXPECT_DOUBLE_EQ(m.latencies[3], 0.25);
    EXPECT_LT(m.latencies[4], 0.0);  // never reached
    EXPECT_EQ(m.missed, 1U);
    EXPECT_EQ(m.stray, 1U);
    EXPECT_EQ(caughtUp(m.latencies).size(), 4U);
}

TEST(Quantiles, UseTheNearestRankAndShowAGrowingTail) {
    EXPECT_EQ(quantile({}, 0.5), 0.0);
    EXPECT_EQ(quantile({4.0, 1.0, 3.0, 2.0}, 0.5), 2.0);
    EXPECT_EQ(quantile({4.0, 1.0, 3.0, 2.0}, 0.99), 4.0);
    EXPECT_EQ(quantile({7.0}, 0.0), 7.0);

    std::vector<double> growing;  // a backlog: each motion waits longer than the one before
    for (int i = 0; i < 100; ++i) growing.push_back(i);
    const auto slices = p99BySlice(growing, 10);
    ASSERT_EQ(slices.size(), 10U);
    EXPECT_EQ(slices.front(), 9.0);
    EXPECT_EQ(slices.back(), 99.0);
    EXPECT_TRUE(p99BySlice({1.0, 2.0}, 10).empty());  // too few to slice
}

}  // namespace
}  // namespace tugworth::bench
