// The slide bar's value-pixel mapping at both ends, the drag rules, marks and recorded spans.
#include "control/SlideBarModel.h"

#include <gtest/gtest.h>

#include <limits>

namespace trevix {
namespace {

SlideBarModel VolumeBar() {
    SlideBarModel bar(VolumeBarGeometry());
    bar.SetRange(kVolumeBarMinimum, kVolumeBarMaximum);
    bar.SetPosition(kVolumeBarStart);
    return bar;
}

TEST(SlideBarMappingTest, VolumeBarEndsAndMiddle) {
    const SlideBarModel bar = VolumeBar();
    EXPECT_EQ(bar.UsableLength(), 61 - 4 - 4 - 20);
    EXPECT_EQ(bar.PixelOfValue(0), 14); // left margin + half a thumb
    EXPECT_EQ(bar.PixelOfValue(100), 47);
    EXPECT_EQ(bar.PixelOfValue(50), 30); // 4 + 16.5 truncated + 10
    EXPECT_EQ(bar.ValueOfPixel(14), 0);
    EXPECT_EQ(bar.ValueOfPixel(47), 100);
    EXPECT_EQ(bar.ValueOfPixel(30), 48); // 16 / 33 * 100 truncated
    EXPECT_EQ(bar.ThumbLeft(), 20);
}

TEST(SlideBarMappingTest, EveryEndPixelMapsBackToItsValue) {
    SlideBarModel bar(TimeBarGeometry());
    bar.SetRange(0, 3600);
    EXPECT_EQ(bar.PixelOfValue(0), 14);
    EXPECT_EQ(bar.PixelOfValue(3600), 648 - 4 - 10);
    for (const int value : {0, 3600})
        EXPECT_EQ(bar.ValueOfPixel(bar.PixelOfValue(value)), value);
    // A range wider than the track: values rise with the pixels, and truncation both ways
    // puts a value at most one pixel left of the pixel it came from.
    for (int pixel = 15; pixel <= 634; ++pixel) {
        EXPECT_GT(bar.ValueOfPixel(pixel), bar.ValueOfPixel(pixel - 1)) << pixel;
        const int back = bar.PixelOfValue(bar.ValueOfPixel(pixel));
        EXPECT_TRUE(back == pixel || back == pixel - 1) << pixel << " -> " << back;
    }
}

TEST(SlideBarMappingTest, OneValuePerPixelLosesNothingToRounding) {
    SlideBarModel bar(TimeBarGeometry());
    bar.SetRange(0, 620);
    for (int value = 0; value <= 620; ++value) {
        EXPECT_EQ(bar.PixelOfValue(value), 14 + value) << value;
        EXPECT_EQ(bar.ValueOfPixel(14 + value), value) << value;
    }
}

TEST(SlideBarMappingTest, FullThirtyTwoBitRangeDoesNotOverflow) {
    SlideBarModel bar(TimeBarGeometry());
    constexpr auto low = std::numeric_limits<std::int32_t>::min();
    constexpr auto high = std::numeric_limits<std::int32_t>::max();
    bar.SetRange(low, high);
    EXPECT_EQ(bar.PixelOfValue(low), 14);
    EXPECT_EQ(bar.PixelOfValue(high), 634);
    EXPECT_EQ(bar.ValueOfPixel(634), high);
    EXPECT_EQ(bar.ValueOfPixel(14), low);
    EXPECT_EQ(bar.ValueOfPixel(100000), high); // far outside: kept within 32 bits
}

TEST(SlideBarMappingTest, EmptyRangeAndFullThumbStayAtTheLeftEnd) {
    SlideBarModel empty(TimeBarGeometry());
    EXPECT_EQ(empty.PixelOfValue(0), 14);
    EXPECT_EQ(empty.ValueOfPixel(600), 0);

    SlideBarGeometry narrow = VolumeBarGeometry();
    narrow.trackWidth = 20; // margins and thumb fill it
    SlideBarModel full(narrow);
    full.SetRange(0, 100);
    EXPECT_EQ(full.UsableLength(), 0);
    EXPECT_EQ(full.ValueOfPixel(15), 0);
    EXPECT_FALSE(full.Press(15));
}

TEST(SlideBarRangeTest, PositionIsClampedAndFollowsAShrinkingRange) {
    SlideBarModel bar = VolumeBar();
    EXPECT_FALSE(bar.SetPosition(50));
    EXPECT_TRUE(bar.SetPosition(150));
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_FALSE(bar.SetPosition(101)); // clamps to where it already is
    EXPECT_TRUE(bar.SetPosition(-3));
    EXPECT_EQ(bar.Position(), 0);

    bar.SetPosition(80);
    EXPECT_TRUE(bar.SetRange(0, 60));
    EXPECT_EQ(bar.Position(), 60);
    // A maximum below the minimum leaves an empty range, never an inverted one.
    EXPECT_TRUE(bar.SetRange(10, 5));
    EXPECT_EQ(bar.Minimum(), 10);
    EXPECT_EQ(bar.Maximum(), 10);
    EXPECT_EQ(bar.Position(), 10);
    EXPECT_FALSE(bar.SetRange(10, 10));
}

TEST(SlideBarDragTest, PressAwayFromTheThumbJumpsItUnderTheMouse) {
    SlideBarModel bar = VolumeBar(); // thumb centre at 30
    EXPECT_TRUE(bar.Press(45));
    EXPECT_TRUE(bar.Dragging());
    EXPECT_EQ(bar.GrabOffset(), 0);
    EXPECT_EQ(bar.Position(), 93); // (45 - 14) / 33 * 100
    EXPECT_TRUE(bar.Release());
    EXPECT_FALSE(bar.Dragging());
    EXPECT_FALSE(bar.Release()); // no second release without a press
}

TEST(SlideBarDragTest, PressOnTheThumbKeepsTheGrabOffset) {
    SlideBarModel bar = VolumeBar();
    EXPECT_FALSE(bar.Press(33)); // within half a thumb of the centre: nothing moves yet
    EXPECT_EQ(bar.GrabOffset(), 3);
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_FALSE(bar.Move(33));
    EXPECT_TRUE(bar.Move(40)); // the thumb centre goes to 37
    EXPECT_EQ(bar.Position(), 69);
    EXPECT_EQ(bar.PixelOfValue(bar.Position()), 36);
}

TEST(SlideBarDragTest, MovesAreKeptWithinTheTrackAndIgnoredWithoutAPress) {
    SlideBarModel bar = VolumeBar();
    EXPECT_FALSE(bar.Move(0)); // not dragging
    EXPECT_EQ(bar.Position(), 50);
    bar.Press(45);
    EXPECT_TRUE(bar.Move(500));
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_FALSE(bar.Move(900));
    EXPECT_TRUE(bar.Move(-500));
    EXPECT_EQ(bar.Position(), 0);
    bar.CancelDrag();
    EXPECT_FALSE(bar.Move(30));
    EXPECT_FALSE(bar.Release());
}

TEST(SlideBarDragTest, StandingStillOnAPixelBetweenValuesReportsOnce) {
    SlideBarModel bar(TimeBarGeometry());
    bar.SetRange(0, 3600);       // about six values per pixel
    EXPECT_TRUE(bar.Press(100)); // away from the thumb: it jumps there
    EXPECT_EQ(bar.Position(), 499);
    EXPECT_EQ(bar.PixelOfValue(499), 99); // the value's own pixel lies left of the mouse
    EXPECT_FALSE(bar.Move(100));
    EXPECT_FALSE(bar.Move(100));
    EXPECT_TRUE(bar.Move(101));
    EXPECT_EQ(bar.Position(), 505);
}

TEST(SlideBarMarksTest, EachValueOnceAndOnlyMarksInsideTheRangeShow) {
    SlideBarModel bar(TimeBarGeometry());
    bar.SetRange(0, 620);
    EXPECT_TRUE(bar.AddMark(100));
    EXPECT_FALSE(bar.AddMark(100));
    EXPECT_TRUE(bar.AddMark(-1));
    EXPECT_TRUE(bar.AddMark(621));
    EXPECT_TRUE(bar.AddMark(620));
    EXPECT_EQ(bar.Marks().size(), 4u);
    EXPECT_EQ(bar.VisibleMarkPixels(), (std::vector<int>{114, 634}));
    bar.ClearMarks();
    EXPECT_TRUE(bar.VisibleMarkPixels().empty());
}

TEST(SlideBarSpansTest, SpansAreClippedToTheRange) {
    SlideBarModel bar(TimeBarGeometry());
    bar.SetRange(0, 620); // one value per pixel: value v at 14 + v
    bar.SetRecordedSpans({{-10, 20}, {50, 40}, {150, 700}, {-5, -1}, {621, 630}, {300, 300}});
    EXPECT_EQ(bar.VisibleSpanPixels(),
              (std::vector<PixelSpan>{{14, 34}, {54, 64}, {164, 634}, {314, 314}}));
    bar.ClearRecordedSpans();
    EXPECT_TRUE(bar.VisibleSpanPixels().empty());
}

} // namespace
} // namespace trevix
