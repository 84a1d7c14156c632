#include "playback/PaneOsd.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace trevix;

namespace {

PaneStatus Status(std::uint8_t phase, std::uint8_t eventCode, std::uint8_t eventCodeEx) {
    PaneStatus status;
    status.frame.frameIndex = 41;
    status.frame.frameCount = 300;
    status.frame.eventCode = eventCode;
    status.frame.gX = 0.25f;
    status.frame.gY = -1.5f;
    status.frame.gZ = 1.75f;
    status.frame.frameSize = 23456;
    status.frame.frameType = kFrameTypePredictedKey;
    status.frame.time = {2024, 5, 5, 17, 12, 30, 5, 678};
    status.phase = phase;
    status.eventCodeEx = eventCodeEx;
    return status;
}

OsdContext Context(PaneLayout layout, int pane) {
    OsdContext context;
    context.layout = layout;
    context.pane = pane;
    return context;
}

const OsdText* Find(const OsdPlan& plan, const std::string& text) {
    const auto found = std::find_if(plan.texts.begin(), plan.texts.end(),
                                    [&](const OsdText& item) { return item.text == text; });
    return found != plan.texts.end() ? &*found : nullptr;
}

} // namespace

TEST(PaneOsd, TimeStampShowsHundredthsTruncated) {
    const std::string stamp = OsdTimeStamp({2024, 5, 5, 17, 12, 30, 5, 678});
    EXPECT_EQ(stamp, "2024.05.17  12:30:05 .67");
    EXPECT_EQ(OsdTimeStamp({2009, 3, 4, 12, 1, 2, 3, 9}), "2009.03.12  01:02:03 .00");
}

TEST(PaneOsd, PhaseAndEventText) {
    // The extended event's name before the label in quad (and single and log) layouts; only
    // the label in the thumbnail layout.
    EXPECT_EQ(OsdPhaseText(Status(kPhasePre, 0x20, 1), PaneLayout::Quad, false), "Shock [PRE]");
    EXPECT_EQ(OsdPhaseText(Status(kPhasePre, 0x40, 4), PaneLayout::Log, false),
              "External Trigger [PRE]");
    EXPECT_EQ(OsdPhaseText(Status(kPhasePre, 0x20, 1), PaneLayout::Thumbnail, false), "[PRE]");
    EXPECT_EQ(OsdPhaseText(Status(kPhasePost, 2, 0), PaneLayout::Single, false), "Switch [POST]");
    EXPECT_EQ(OsdPhaseText(Status(kPhasePost, 2, 0), PaneLayout::Thumbnail, false), "[POST]");
    EXPECT_EQ(OsdPhaseText(Status(kPhaseNormal, 1, 0), PaneLayout::Quad, false), "[NOR]");
    EXPECT_EQ(OsdPhaseText(Status(7, 1, 0), PaneLayout::Quad, false), "G-Sensor [MEMO]");
    // A loaded Memo list shows the memo label whatever the phase.
    for (const std::uint8_t phase : {kPhaseNormal, kPhasePre, kPhasePost})
        EXPECT_EQ(OsdPhaseText(Status(phase, 0x20, 1), PaneLayout::Quad, true), "MEMO");
}

TEST(PaneOsd, QuadTextsAndPositions) {
    const OsdPlan plan =
        BuildOsd(Status(kPhasePre, 0x20, 2), Context(PaneLayout::Quad, 3), QSize(397, 297));
    EXPECT_EQ(plan.style.fontIndex, 2);
    EXPECT_EQ(plan.colour, kOsdTextColour);
    const OsdText* camera = Find(plan, "Side");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(std::tie(camera->x, camera->y), std::make_tuple(5, 5));
    EXPECT_EQ(camera->anchor, OsdAnchor::LeftTop);
    const OsdText* counter = Find(plan, "42/300");
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(std::tie(counter->x, counter->y), std::make_tuple(392, 292));
    EXPECT_EQ(counter->anchor, OsdAnchor::RightBaseline);
    // G labels at L + 2 on three baselines 14 apart; values right-aligned 50 further on.
    const OsdText* x = Find(plan, "X:");
    const OsdText* z = Find(plan, "Z:");
    ASSERT_TRUE(x != nullptr && z != nullptr);
    EXPECT_EQ(std::tie(x->x, x->y), std::make_tuple(2, 292 - 28));
    EXPECT_EQ(z->y, 292);
    const OsdText* gz = Find(plan, "0.75"); // gZ - 1.0
    ASSERT_NE(gz, nullptr);
    EXPECT_EQ(std::tie(gz->x, gz->y, gz->anchor),
              std::make_tuple(52, 292, OsdAnchor::RightBaseline));
    EXPECT_NE(Find(plan, "-1.50"), nullptr);
    const OsdText* stamp = Find(plan, "2024.05.17  12:30:05 .67");
    ASSERT_NE(stamp, nullptr);
    EXPECT_EQ(std::tie(stamp->x, stamp->y), std::make_tuple(397 / 2 - 80, 292));
    const OsdText* phase = Find(plan, "Sudden Accel/Brake [PRE]");
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(std::tie(phase->x, phase->y, phase->anchor),
              std::make_tuple(392, 5, OsdAnchor::RightTop));
    // No debug texts without the debug switch.
    EXPECT_EQ(Find(plan, "23k-Pk"), nullptr);
}

TEST(PaneOsd, SingleAndThumbnailParameters) {
    const OsdPlan single =
        BuildOsd(Status(kPhaseNormal, 0, 0), Context(PaneLayout::Single, 1), QSize(800, 600));
    EXPECT_EQ(single.style.fontIndex, 4);
    EXPECT_NE(Find(single, "Interior"), nullptr);
    EXPECT_EQ(Find(single, "2024.05.17  12:30:05 .67")->x, 400 - 100);
    EXPECT_EQ(Find(single, "X:")->y, 600 - 5 - 36);
    EXPECT_EQ(Find(single, "0.25")->x, 2 + 65);

    OsdContext thumb = Context(PaneLayout::Thumbnail, 8);
    thumb.channel = 2;
    thumb.thumbCurrent = 8;
    const OsdPlan current = BuildOsd(Status(kPhasePre, 0x20, 1), thumb, QSize(160, 120));
    EXPECT_EQ(current.style.fontIndex, 1);
    EXPECT_EQ(current.colour, kOsdCurrentThumbColour);
    EXPECT_NE(Find(current, "Rear"), nullptr); // the panel's channel, not the pane index
    EXPECT_NE(Find(current, "[PRE]"), nullptr);
    EXPECT_EQ(Find(current, "2024.05.17  12:30:05 .67"), nullptr); // no time stamp
    EXPECT_EQ(Find(current, "X:")->y, 120 - 3 - 28);
    thumb.pane = 9;
    EXPECT_EQ(BuildOsd(Status(kPhasePre, 0, 0), thumb, QSize(160, 120)).colour, kOsdTextColour);
}

TEST(PaneOsd, CameraNameByLayoutAndDebugTexts) {
    OsdContext log = Context(PaneLayout::Log, 0);
    log.logPreviewChannel = 3;
    EXPECT_EQ(OsdCameraName(log), "Side");
    EXPECT_EQ(OsdCameraName(Context(PaneLayout::Quad, 5)), "");
    EXPECT_EQ(OsdCameraName(Context(PaneLayout::Single, 0)), "Front");

    OsdContext debug = Context(PaneLayout::Quad, 0);
    debug.debug = true;
    debug.speedKmh = 57;
    const OsdPlan plain = BuildOsd(Status(kPhaseNormal, 0, 0), debug, QSize(300, 200));
    const OsdText* line = Find(plain, "23k-Pk");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(std::tie(line->x, line->y), std::make_tuple(5, 20));
    const OsdText* speed = Find(plain, "57 km/h");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(std::tie(speed->x, speed->y, speed->anchor),
              std::make_tuple(295, 20, OsdAnchor::RightTop));
    debug.accelerated = true;
    EXPECT_NE(Find(BuildOsd(Status(kPhaseNormal, 0, 0), debug, QSize(300, 200)), "23K-Pk"),
              nullptr);
    EXPECT_EQ(FrameTypeLetter(9), "?");
    EXPECT_EQ(FrameTypeLetter(kFrameTypeJpeg), "J");
}
