#include "playback/PaneGeometry.h"

#include <gtest/gtest.h>

using namespace trevix;

namespace {

const QSize kClient(804, 604);

} // namespace

TEST(PaneGeometry, QuadPutsSideBottomLeftAndRearBottomRight) {
    EXPECT_EQ(PaneRect(PaneLayout::Quad, 0, 0, kClient), QRect(2, 2, 399, 299));
    EXPECT_EQ(PaneRect(PaneLayout::Quad, 1, 0, kClient), QRect(403, 2, 399, 299));
    EXPECT_EQ(PaneRect(PaneLayout::Quad, 3, 0, kClient), QRect(2, 303, 399, 299));
    EXPECT_EQ(PaneRect(PaneLayout::Quad, 2, 0, kClient), QRect(403, 303, 399, 299));
    for (int pane = 4; pane < kPaneCount; ++pane) {
        EXPECT_FALSE(PaneVisible(PaneLayout::Quad, pane, 0));
        EXPECT_TRUE(PaneRect(PaneLayout::Quad, pane, 0, kClient).isEmpty());
    }
    // Odd sizes: integer division of the gaps (654 x 490, the skin's panel).
    EXPECT_EQ(PaneRect(PaneLayout::Quad, 2, 0, QSize(654, 490)), QRect(328, 246, 324, 242));
}

TEST(PaneGeometry, SingleShowsOnlyTheChannelsPane) {
    for (int channel = 0; channel < 4; ++channel) {
        for (int pane = 0; pane < kPaneCount; ++pane)
            EXPECT_EQ(PaneVisible(PaneLayout::Single, pane, channel), pane == channel);
        EXPECT_EQ(PaneRect(PaneLayout::Single, channel, channel, kClient), QRect(2, 2, 800, 600));
    }
}

TEST(PaneGeometry, ThumbnailGridAndLogPreview) {
    // Cells of (804 - 8) / 4 = 199 by (604 - 8) / 4 = 149, two pixels apart, one from the edge.
    EXPECT_EQ(PaneRect(PaneLayout::Thumbnail, 0, 2, kClient), QRect(1, 1, 199, 149));
    EXPECT_EQ(PaneRect(PaneLayout::Thumbnail, 5, 2, kClient), QRect(202, 152, 199, 149));
    EXPECT_EQ(PaneRect(PaneLayout::Thumbnail, 15, 2, kClient), QRect(604, 454, 199, 149));
    EXPECT_EQ(PaneRect(PaneLayout::Log, 0, 0, kClient), QRect(484, 0, 320, 220));
    EXPECT_TRUE(PaneRect(PaneLayout::Log, 1, 0, kClient).isEmpty());
}

TEST(PaneGeometry, MovedRuleUsesPaneOrderAndWholeCells) {
    EXPECT_EQ(MovedPaneRect(PaneLayout::Quad, 0, kClient), QRect(0, 0, 400, 300));
    EXPECT_EQ(MovedPaneRect(PaneLayout::Quad, 1, kClient), QRect(402, 0, 400, 300));
    EXPECT_EQ(MovedPaneRect(PaneLayout::Quad, 2, kClient), QRect(0, 302, 400, 300));
    EXPECT_EQ(MovedPaneRect(PaneLayout::Quad, 3, kClient), QRect(402, 302, 400, 300));
    EXPECT_FALSE(MovedPaneRect(PaneLayout::Quad, 4, kClient));
    EXPECT_EQ(MovedPaneRect(PaneLayout::Single, 9, kClient), QRect(0, 0, 804, 604));
    EXPECT_EQ(MovedPaneRect(PaneLayout::Thumbnail, 5, kClient), QRect(201, 151, 199, 149));
    EXPECT_FALSE(MovedPaneRect(PaneLayout::Log, 0, kClient));
    EXPECT_FALSE(MovedPaneRect(PaneLayout::Single, 16, kClient));
}

TEST(PaneGeometry, MirrorChannelByLayout) {
    EXPECT_EQ(MirrorChannel(PaneLayout::Quad, 2, 0, 3), 2);
    EXPECT_EQ(MirrorChannel(PaneLayout::Quad, 0, 0, 3), 0);
    EXPECT_EQ(MirrorChannel(PaneLayout::Single, 3, 3, 1), 3);
    EXPECT_EQ(MirrorChannel(PaneLayout::Thumbnail, 12, 1, 3), 1);
    EXPECT_EQ(MirrorChannel(PaneLayout::Log, 0, 0, 3), 3);
}
