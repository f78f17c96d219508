#include <gtest/gtest.h>

#include "platform/Progress.h"

TEST(ProgressModel, CaptionPercentRules)
{
    ProgressModel p;
    p.reset("Loading Data");
    p.setRange(0, 200);
    bool changed = false;
    p.setPosition(1, &changed);  // 0.5 % rounds to 1
    EXPECT_TRUE(changed);
    EXPECT_EQ(p.caption(), "Loading Data [1%]");
    p.setPosition(2, &changed);  // still 1 %
    EXPECT_FALSE(changed);
    EXPECT_EQ(p.setPosition(200, &changed), 2);
    EXPECT_EQ(p.caption(), "Loading Data [100%]");
    EXPECT_EQ(ProgressModel::percentOf(5, 3, 3), 0);  // zero-width range
    p.reset("");
    EXPECT_EQ(p.title(), "Progress");
    EXPECT_EQ(progressInterval(5), 1);
    EXPECT_EQ(progressInterval(455), 46);
    EXPECT_EQ(progressInterval(100000), 100);
}
