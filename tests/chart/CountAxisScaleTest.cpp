#include "CountAxisScale.h"

#include <gtest/gtest.h>

using namespace morvane;

TEST(CountAxisScale, PlotStartsAtZeroWithRoundSteps)
{
    EXPECT_EQ(PlotCountScale(0), (CountScale{0, 5, 1}));
    EXPECT_EQ(PlotCountScale(2), (CountScale{0, 3, 1}));
    EXPECT_EQ(PlotCountScale(4), (CountScale{0, 5, 1}));
    EXPECT_EQ(PlotCountScale(12), (CountScale{0, 15, 5}));
    EXPECT_EQ(PlotCountScale(30), (CountScale{0, 40, 10}));
    EXPECT_EQ(PlotCountScale(100), (CountScale{0, 150, 50}));
    EXPECT_EQ(PlotCountScale(20000000), (CountScale{0, 25000000, 5000000}));
}

TEST(CountAxisScale, ZoomedOrMovedAxisKeepsWholeStepsAndNoNegativeCounts)
{
    // Zoomed into a part of a count: the step stays a whole count.
    EXPECT_EQ(WholeCountScale(0.45, 2.55), (CountScale{0.45, 2.55, 1}));
    EXPECT_EQ(WholeCountScale(10.5, 30.5), (CountScale{10.5, 30.5, 5}));
    EXPECT_EQ(WholeCountScale(0, 40), (CountScale{0, 40, 10}));
    // Less than one count long: widened to one around its middle, so a
    // whole number lies on it.
    EXPECT_EQ(WholeCountScale(1.25, 1.75), (CountScale{1, 2, 1}));
    // Moved below 0: moved back up, its length kept.
    EXPECT_EQ(WholeCountScale(-1.5, 1.5), (CountScale{0, 3, 1}));
    EXPECT_EQ(WholeCountScale(-0.25, 0.25), (CountScale{0, 1, 1}));
}
