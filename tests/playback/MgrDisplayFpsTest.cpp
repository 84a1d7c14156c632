#include "playback/MgrDisplayFps.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trevix;

TEST(CpuLevel, CountsProcessorsAfterTheFirstWithTheLastSpeed) {
    const std::vector<unsigned> four(4, 3000);
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(four), 1);                        // 12000
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{3000}), 3); // 0 MHz
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{}), 3);
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{0, 1400}), 2); // 2800
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{0, 1399}), 3);
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{0, 1900}), 1); // 3800
    // Processor 0's speed is never read; the last one counted gives the speed.
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>{9999, 800, 0}), 3);
    // At most eight processors count: 8 x 400 = 3200.
    EXPECT_EQ(CMgrDisplayFps::CpuLevelFromProcessors(std::vector<unsigned>(16, 400)), 2);
}

TEST(CpuLevel, ReadsCpuinfoAndPrefersCpufreq) {
    const std::string cpuinfo = "processor\t: 0\ncpu MHz\t\t: 2992.968\n\n"
                                "processor\t: 1\ncpu MHz\t\t: 800.000\n\n"
                                "processor\t: 2\ncpu MHz\t\t: 1000.5\n";
    EXPECT_EQ(CMgrDisplayFps::ParseCpuInfo(cpuinfo), (std::vector<unsigned>{2992, 800, 1000}));

    test::TempDir dir;
    const auto info = dir.Write("cpuinfo", cpuinfo);
    // Without cpufreq the momentary speeds count: 3 x 1000 = 3000, level 2.
    EXPECT_EQ(CMgrDisplayFps::DetectCpuLevel(info, dir.Path() / "nosys"), 2);
    // cpufreq's nominal speed wins: 3 x 1500 = 4500, level 1.
    for (int i = 0; i < 3; ++i)
        dir.Write("sys/cpu" + std::to_string(i) + "/cpufreq/cpuinfo_max_freq", "1500000\n");
    EXPECT_EQ(CMgrDisplayFps::DetectCpuLevel(info, dir.Path() / "sys"), 1);
    // Nothing readable: one processor, level 3.
    EXPECT_EQ(CMgrDisplayFps::DetectCpuLevel(dir.Path() / "none", dir.Path() / "none"), 3);
    const int here = CMgrDisplayFps::DetectCpuLevel();
    EXPECT_GE(here, 1);
    EXPECT_LE(here, 3);
}

TEST(MeasureFrame, RateFromIntervalClampedAndZeroOutsideRange) {
    CMgrDisplayFps fps(2);
    fps.MeasureFrame(0, 50);
    EXPECT_EQ(fps.ChannelFps(0), 20);
    fps.MeasureFrame(0, 10);
    EXPECT_EQ(fps.ChannelFps(0), 30);
    fps.MeasureFrame(0, 15000);
    EXPECT_EQ(fps.ChannelFps(0), 1);
    fps.MeasureFrame(0, 15001);
    EXPECT_EQ(fps.ChannelFps(0), 0);
    fps.MeasureFrame(1, -100); // the interval is a distance either way
    EXPECT_EQ(fps.ChannelFps(1), 10);
    fps.MeasureFrame(1, 0);
    EXPECT_EQ(fps.ChannelFps(1), 0);
    fps.MeasureFrame(4, 50);
    fps.MeasureFrame(-1, 50);
    EXPECT_EQ(fps.ChannelFps(4), 0);
    fps.MeasureFrame(3, 40);
    fps.ResetRates();
    EXPECT_EQ(fps.ChannelFps(3), 0);
}

TEST(MinInterval, ScalesWithLevelSpeedAndActiveChannels) {
    CMgrDisplayFps level2(2);
    level2.MeasureFrame(0, 33);
    level2.MeasureFrame(1, 66);
    level2.MeasureFrame(2, 1000); // 1 picture per second: not active
    EXPECT_EQ(level2.MinInterval(4), 264);
    EXPECT_EQ(level2.MinInterval(10), 264);
    EXPECT_EQ(level2.MinInterval(3), 132);
    for (const int state : {1, 2, 5, 6, 7, 8, 11, 12, 13})
        EXPECT_EQ(level2.MinInterval(state), 10) << state;

    CMgrDisplayFps level3(3), level1(1);
    for (int channel = 0; channel < 4; ++channel) {
        level3.MeasureFrame(channel, 33);
        level1.MeasureFrame(channel, 33);
    }
    EXPECT_EQ(level3.MinInterval(3), 396);
    EXPECT_EQ(level1.MinInterval(3), 132);
    EXPECT_EQ(CMgrDisplayFps(1).MinInterval(9), 33); // no active channel counts as one
}
