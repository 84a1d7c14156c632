// The playback measurement: how it counts a channel's pictures and matches flash pictures to
// heard clicks, and a short x1 run of a four-camera card with synchronisation marks in the
// started viewer on the virtual display and the test sound server, on both display paths.
#include "bench/playmeasure/PlaybackSession.h"
#include "playback/ui/PaneSurfaceGl.h"
#include "tests/support/PulseTestSupport.h"
#include "tests/ui/MainPanelInFrame.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::playmeasure;
using namespace trevix::test;

namespace {

Time At(std::chrono::milliseconds time) {
    return Time(std::chrono::seconds(500) + time);
}

PaneEvents::Drawing Drawn(std::int64_t pictureMs, std::chrono::milliseconds when) {
    return {pictureMs, At(when)};
}

TEST(PlaybackMeasureCounts, TheSpanStartsAfterTheShownPictureAndEndsWithTheLastShown) {
    // Pictures every 100 ms from 1000; the run starts on 1000 and ends on 1500.
    const std::vector<std::int64_t> frames{1000, 1100, 1200, 1300, 1400, 1500, 1600};
    PaneEvents pane;
    pane.given = {1100, 1300, 1200, 1500}; // 1400 never given, in any order
    pane.skipped = 1;
    pane.drawn = {Drawn(1000, 5ms), Drawn(1100, 100ms), Drawn(1300, 300ms)};

    const ChannelCounts counts = CountChannel(frames, pane, 1000, 1500, 2.0);
    EXPECT_EQ(counts.framesInSpan, 5);
    EXPECT_EQ(counts.neverGiven, 1);
    EXPECT_EQ(counts.given, 4);
    EXPECT_EQ(counts.drawn, 2) << "the start picture drawn late is not the run's";
    EXPECT_EQ(counts.superseded, 1);
    EXPECT_DOUBLE_EQ(counts.drawnPerSecond, 1.0);
}

TEST(PlaybackMeasureSync, EachFlashIsMatchedToItsOwnClickOnly) {
    // Marks every 1000 ms; clicks heard at 1000, 2000 and 4000 ms (the one of mark 3000 lost).
    const std::vector<std::int64_t> marks{10000, 11000, 12000, 13000, 14000};
    const std::vector<Time> clicks{At(1000ms), At(2000ms), At(4000ms)};
    std::array<PaneEvents, kChannels> panes;
    panes[0].drawn = {Drawn(10000, 1020ms), Drawn(11000, 2400ms), Drawn(12000, 3010ms)};
    panes[2].drawn = {Drawn(10000, 990ms), Drawn(11033, 2033ms), Drawn(12000, 3030ms)};
    panes[3].drawn = {Drawn(13000, 3999ms)};

    // The run went from 9900 to 13500: mark 14000 lies after it.
    const SyncSummary sync = MatchMarks(marks, panes, clicks, 9900, 13500, 500ms);
    ASSERT_EQ(sync.marks.size(), 4u);
    // Mark 10000: drawn 20 ms after and 10 ms before its click.
    ASSERT_TRUE(sync.marks[0].click);
    EXPECT_EQ(*sync.marks[0].click, At(1000ms));
    EXPECT_NEAR(*sync.marks[0].offsetMs[0], 20.0, 1e-6);
    EXPECT_NEAR(*sync.marks[0].offsetMs[2], -10.0, 1e-6);
    EXPECT_FALSE(sync.marks[0].offsetMs[1]) << "channel 2 drew no flash";
    // Mark 11000: 400 ms late is still its own click, not the next one.
    EXPECT_NEAR(*sync.marks[1].offsetMs[0], 400.0, 1e-6);
    EXPECT_FALSE(sync.marks[1].offsetMs[2]) << "a picture after the flash is no flash";
    // Mark 12000: its click was lost; the clicks 1 s away are another mark's.
    EXPECT_FALSE(sync.marks[2].click);
    EXPECT_FALSE(sync.marks[2].offsetMs[0]);
    // Mark 13000: drawn 1 ms before its click.
    ASSERT_TRUE(sync.marks[3].click);
    EXPECT_NEAR(*sync.marks[3].offsetMs[3], -1.0, 1e-6);

    EXPECT_EQ(sync.flashesDrawn, 6);
    EXPECT_EQ(sync.flashesMatched, 4);
    EXPECT_NEAR(sync.meanMs, (20.0 - 10.0 + 400.0 - 1.0) / 4, 1e-6);
    EXPECT_NEAR(sync.minMs, -10.0, 1e-6);
    EXPECT_NEAR(sync.maxMs, 400.0, 1e-6);
    EXPECT_NEAR(sync.maxAbsMs, 400.0, 1e-6);
}

// Four cameras of 720 x 480 MPEG-4 at 30 pictures a second with sound, a mark every 2 s.
constexpr int kMarkPeriodMs = 2000;

struct SyncCard {
    TempDir dir;
    mkcard::WrittenCard written;

    SyncCard() {
        written = WriteTestCard(dir, "event start=0 code=1 pre=3 post=3 codec=mpeg4 size=720x480 "
                                     "fps=30 audio=tone sync=" +
                                         std::to_string(kMarkPeriodMs) + "\n");
    }
};

const SyncCard& TheSyncCard() {
    static const SyncCard card;
    return card;
}

enum class Path { Plain, OpenGl };

// When the clicks were heard and the flashes drawn, in milliseconds after Play.
std::string Timeline(const RunResult& run) {
    const auto ms = [&](Time time) {
        return std::to_string(
            std::chrono::duration_cast<std::chrono::milliseconds>(time - run.started).count());
    };
    std::string text = std::to_string(run.endMs - run.beginMs) + " ms of the recording in " +
                       std::to_string(run.seconds) + " s; clicks heard at";
    for (const Time click : run.clicks)
        text += " " + ms(click);
    for (const MarkOffsets& mark : run.sync.marks) {
        text += "; mark " + std::to_string(mark.markMs - run.beginMs) + " drawn at";
        for (const auto& drawn : mark.drawn)
            text += drawn ? " " + ms(*drawn) : " -";
    }
    return text;
}

class PlaybackMeasureTest : public MainPanelInFrameTest,
                            public ::testing::WithParamInterface<Path> {
protected:
    // Started once with the path's setting: the per-user settings seeded by a first start
    // would keep its ForceGDI for a second one.
    void SetUp() override { Start(0, GetParam() == Path::OpenGl); }
};

TEST_P(PlaybackMeasureTest, X1PlaybackDrawsEveryChannelAndItsFlashesLineUpWithTheClicks) {
    if (QGuiApplication::platformName() == "offscreen")
        GTEST_SKIP() << "no display";
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const bool openGl = GetParam() == Path::OpenGl;
    if (openGl && !OpenGlPanesAvailable())
        GTEST_SKIP() << "no OpenGL on this display";
    const SoundServerLock lock;
    const ScopedSinkState fullVolume("100%", false);
    const mkcard::WrittenCard& card = TheSyncCard().written;
    ASSERT_TRUE(card.Ok());
    ASSERT_EQ(card.recordings.size(), 1u);

    frame_->show();
    OpenCard(TheSyncCard().dir);
    const Viewer viewer{*frame_, *panel_};
    ASSERT_EQ(LoadEventRows(viewer), "");
    ASSERT_EQ(viewer.Panes().IsAccelerated(), openGl);

    RunOptions options;
    options.playFor = 4s;
    options.markPeriod = std::chrono::milliseconds(kMarkPeriodMs);
    for (const mkcard::WrittenSyncMark& mark : card.recordings.front().syncMarks)
        options.markTimesMs.push_back(mark.recorderMs);
    const RunResult run = PlayAndMeasure(viewer, options);
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.soundError, "");
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(run.stoppedCleanly);
    EXPECT_GT(run.endMs, run.beginMs);

    for (int channel = 0; channel < kChannels; ++channel) {
        SCOPED_TRACE(channel);
        const ChannelCounts& counts = run.channels[static_cast<std::size_t>(channel)];
        EXPECT_GT(counts.framesInSpan, 0);
        EXPECT_GT(counts.drawn, 0);
        EXPECT_EQ(counts.neverGiven, 0) << "at x1 every picture of the span reaches its pane";
    }
    EXPECT_FALSE(run.clicks.empty()) << Timeline(run);
    // A flash drawn while the pictures kept pace with the clock has its click near it. One
    // drawn after the pictures fell further behind (a slow build on a busy machine: a matter of
    // speed) says nothing about the sound; the timeline shows it. The plain path draws a flash
    // only when the display rate lets that picture through.
    const auto window = options.markPeriod / 2;
    int inStep = 0;
    for (const MarkOffsets& mark : run.sync.marks) {
        const Time due = run.started + std::chrono::milliseconds(mark.markMs - run.beginMs);
        for (std::size_t channel = 0; channel < mark.drawn.size(); ++channel) {
            const std::optional<Time>& drawn = mark.drawn[channel];
            if (!drawn || std::chrono::abs(*drawn - due) > window)
                continue;
            ++inStep;
            const std::optional<double>& offset = mark.offsetMs[channel];
            EXPECT_TRUE(offset && std::isfinite(*offset))
                << "channel " << channel << ": " << Timeline(run);
        }
    }
    RecordProperty("flashes_in_step", inStep);
    RecordProperty("timeline", Timeline(run));
    RecordProperty("offset_ms_mean", std::to_string(run.sync.meanMs));
    RecordProperty("core_share", std::to_string(run.coreShare));
}

INSTANTIATE_TEST_SUITE_P(DisplayPaths, PlaybackMeasureTest,
                         ::testing::Values(Path::Plain, Path::OpenGl), [](const auto& param) {
                             return param.param == Path::OpenGl ? "OpenGl" : "Plain";
                         });

} // namespace
