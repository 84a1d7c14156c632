#include "playback/PaneDisplayRate.h"
#include "playback/MonitorInfo.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace trevix;

namespace {

CPaneDisplayRate::Picture At(int pane, std::int64_t ms, bool limit, int playState = 3) {
    return {pane, ms, pane < 4, limit, playState};
}

} // namespace

TEST(PaneDisplayRate, SkipsPicturesCloserThanTheMinimumInterval) {
    CPaneDisplayRate rate(3);
    // Four channels at 10 pictures per second: at x1 a level-3 computer draws each pane at most
    // every 33 * 3 * 4 = 396 ms.
    for (int pane = 0; pane < 4; ++pane) {
        rate.OnPicture(At(pane, 1000, false));
        rate.OnPicture(At(pane, 1100, false));
    }
    EXPECT_EQ(rate.MinInterval(3), 396);
    int drawn = 0;
    for (std::int64_t ms = 1200; ms <= 3000; ms += 100)
        drawn += rate.OnPicture(At(0, ms, true)) ? 1 : 0;
    // Last drawn at 1100; then 1500, 1900, 2300 and 2700.
    EXPECT_EQ(drawn, 4);
    // The OpenGL path is not limited, and a picture of the same time is drawn again.
    EXPECT_TRUE(rate.OnPicture(At(1, 1150, false)));
    EXPECT_TRUE(rate.OnPicture(At(1, 1150, true)));
}

TEST(PaneDisplayRate, MeasuresOnlyChannelPanesAndResets) {
    CPaneDisplayRate rate(1);
    rate.OnPicture(At(2, 5000, false));
    rate.OnPicture(At(2, 5050, false));
    EXPECT_EQ(rate.ChannelFps(2), 20);
    rate.OnPicture(At(2, 20051, false)); // 15001 ms later
    EXPECT_EQ(rate.ChannelFps(2), 0);
    // Thumbnail pictures and panes past 3 are not measured.
    CPaneDisplayRate::Picture thumb = At(1, 100, false);
    thumb.measure = false;
    rate.OnPicture(thumb);
    thumb.timeMs = 110;
    rate.OnPicture(thumb);
    EXPECT_EQ(rate.ChannelFps(1), 0);
    rate.OnPicture(At(3, 100, false));
    rate.OnPicture(At(3, 110, false));
    EXPECT_EQ(rate.ChannelFps(3), 30);
    rate.ResetRates();
    EXPECT_EQ(rate.ChannelFps(3), 0);
    EXPECT_TRUE(rate.OnPicture(At(-1, 0, true))); // outside the panes: always drawn
}

TEST(PaneDisplayRate, SafeFromSeveralThreads) {
    CPaneDisplayRate rate(2);
    std::vector<std::thread> threads;
    for (int pane = 0; pane < 4; ++pane)
        threads.emplace_back([&rate, pane] {
            for (int i = 0; i < 2000; ++i)
                rate.OnPicture(At(pane, i * 40, true, 4));
        });
    for (int i = 0; i < 2000; ++i)
        rate.MinInterval(4);
    for (std::thread& thread : threads)
        thread.join();
    // 25 pictures per second on four channels: 66 * 2 * 4.
    EXPECT_EQ(rate.MinInterval(4), 528);
}

TEST(MonitorInfo, RectanglesMaximaAndPointLookup) {
    const CMonitorInfo monitors(
        {{"left", QRect(0, 0, 1920, 1040), QRect(0, 0, 1920, 1080), true},
         {"right", QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024), false}});
    EXPECT_EQ(monitors.Count(), 2);
    EXPECT_EQ(monitors.GetMonitorRect(1), QRect(1920, 0, 1280, 1024));
    EXPECT_TRUE(monitors.GetMonitorRect(2).isEmpty());
    EXPECT_TRUE(monitors.GetMonitorRect(-1).isEmpty());
    EXPECT_EQ(monitors.GetMaxWidth(), 1920);
    EXPECT_EQ(monitors.GetMaxHeight(), 1080);
    EXPECT_EQ(monitors.MonitorFromPoint(100, 100), 0);
    EXPECT_EQ(monitors.MonitorFromPoint(1919, 1079), 0);
    EXPECT_EQ(monitors.MonitorFromPoint(1920, 10), 1);
    EXPECT_EQ(monitors.MonitorFromPoint(1920, 1030), -1);
    const CMonitorInfo none(std::vector<MonitorEntry>{});
    EXPECT_EQ(none.GetMaxWidth(), 0);
    EXPECT_EQ(none.MonitorFromPoint(0, 0), -1);
}
