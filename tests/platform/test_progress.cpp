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

#include "platform/RecordingProgress.h"

TEST(ProgressModel, CancelledAtChecksEveryIntervalOnly)
{
    RecordingProgress p;
    p.open("Work");
    p.setRange(0, 1000);
    p.cancelAfterPumps(3);
    int stoppedAt = -1;
    for (int i = 0; i < 1000 && stoppedAt < 0; ++i)
        if (cancelledAt(p, i, 100))
            stoppedAt = i;
    EXPECT_EQ(stoppedAt, 200);  // pumps at 0, 100, 200: Cancel seen at the third
    EXPECT_EQ(p.m_model.position(), 200);
}
