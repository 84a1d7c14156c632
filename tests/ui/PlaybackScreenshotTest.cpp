// What the screen shows of a loaded recording in the started viewer on the virtual display:
// each camera's picture where its layout puts it, the on-screen texts over them, the event
// border, the thumbnail grid with its current picture marked, and the status digits. Pixels are
// read back from the screen.
#include "control/ui/ZVButton.h"
#include "control/ui/ZVDigitDateTime.h"
#include "tests/ui/PlaybackInFrame.h"
#include "tests/ui/ScreenGrab.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

namespace fs = std::filesystem;

struct MeanColour {
    double red = 0, green = 0, blue = 0;
};

MeanColour Mean(const QImage& image, const QRect& area) {
    MeanColour mean;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2) {
            const QColor colour = image.pixelColor(x, y);
            mean.red += colour.red();
            mean.green += colour.green();
            mean.blue += colour.blue();
            ++count;
        }
    if (count > 0) {
        mean.red /= count;
        mean.green /= count;
        mean.blue /= count;
    }
    return mean;
}

// The generated cameras paint their scenes in their own hue: Front blue, Interior green, Rear
// red, Side orange.
bool HasCameraHue(const MeanColour& mean, int camera) {
    switch (camera) {
    case 0:
        return mean.blue > mean.green + 20 && mean.blue > mean.red + 20;
    case 1:
        return mean.green > mean.red + 20 && mean.green > mean.blue + 20;
    case 2:
        return mean.red > mean.green + 20 && mean.red > mean.blue + 20;
    default:
        return mean.red > mean.blue + 40 && mean.green > mean.blue + 30;
    }
}

std::string Describe(const MeanColour& mean) {
    return "mean rgb " + std::to_string(static_cast<int>(mean.red)) + "," +
           std::to_string(static_cast<int>(mean.green)) + "," +
           std::to_string(static_cast<int>(mean.blue));
}

// Pixels of area near the colour (each component within 24).
int PixelsNear(const QImage& image, const QRect& area, QColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= 24 &&
                std::abs(pixel.green() - colour.green()) <= 24 &&
                std::abs(pixel.blue() - colour.blue()) <= 24)
                ++count;
        }
    return count;
}

const QColor kOsdGrey(200, 200, 200);

class PlaybackScreenshotTest : public PlaybackInFrameTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "screenshots of real windows need a display";
        PlaybackInFrameTest::SetUp();
        QCursor::setPos(0, 0); // no hover and no tool tip over the window
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
    }

    // The frame's area of the screen once it shows what the frame paints now. Window tests of
    // other processes may share the display, so the frame is raised above them meanwhile.
    QImage Shot(const std::string& name) {
        QApplication::processEvents();
        const QImage painted = frame_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return ShotWhenShown(
            *frame_,
            [&](const QImage& shot) {
                // The rounded corners lie outside the window's shape.
                const QRect inner = shot.rect().adjusted(8, 8, -8, -8);
                return Panes().IsAccelerated() || shot.copy(inner) == painted.copy(inner);
            },
            name);
    }

    QImage ScreenArea(const QRect& global) const { return test::ScreenArea(*frame_, global); }

    // A pane's client area in frame coordinates.
    QRect PaneArea(int pane) const {
        const CPaneVideo& video = Panes().Pane(pane);
        return QRect(video.mapTo(frame_, video.ClientRect().topLeft()), video.ClientRect().size());
    }
    // The part of a pane where the scene shows and no on-screen text lies.
    static QRect SceneArea(const QRect& pane) {
        return QRect(pane.left() + pane.width() * 62 / 100, pane.top() + pane.height() * 45 / 100,
                     pane.width() * 30 / 100, pane.height() * 30 / 100);
    }

    // Loads the event recording and steps to the first picture that carries the event border.
    void ShowEventAtItsTrigger() {
        Load(SearchList::Event, {0});
        ASSERT_NE(Current(), nullptr);
        const mkcard::WrittenRecording& event = ThePlaybackCard().written.recordings.at(0);
        ASSERT_TRUE(
            Current()->GotoTime(Current()->m_llBegin + event.triggerWallMs - event.startWallMs));
        // The border follows the drawing, which the OpenGL path leaves to the event loop.
        const auto marked = [this] {
            return WaitUntil([this] { return Panes().IsEventMarked(); }, 300);
        };
        for (int step = 0; step < 10 && !marked(); ++step)
            Click(*panel_->Button(cmd::kNextFrame));
        ASSERT_TRUE(Panes().IsEventMarked());
    }

    void ExpectCamerasInTheirPanes(const QImage& shot, const std::vector<int>& panes,
                                   int camera = -1) const {
        for (const int pane : panes) {
            const MeanColour mean = Mean(shot, SceneArea(PaneArea(pane)));
            EXPECT_TRUE(HasCameraHue(mean, camera < 0 ? pane : camera))
                << "pane " << pane << ": " << Describe(mean);
        }
    }
};

} // namespace

TEST_F(PlaybackScreenshotTest, QuadLayoutShowsEachCameraWithItsTextsAndTheEventBorder) {
    ShowEventAtItsTrigger();
    const QImage shot = Shot("playback-quad-event.png");
    ExpectCamerasInTheirPanes(shot, {0, 1, 2, 3});
    for (int pane = 0; pane < 4; ++pane) {
        const QRect area = PaneArea(pane);
        // The phase and event text at the top right, the frame counter at the bottom right.
        const QRect topRight(area.right() - 150, area.top() + 4, 146, 18);
        const QRect bottomRight(area.right() - 60, area.bottom() - 18, 56, 14);
        EXPECT_GT(PixelsNear(shot, topRight, kOsdGrey), 20) << "pane " << pane;
        EXPECT_GT(PixelsNear(shot, bottomRight, kOsdGrey), 10) << "pane " << pane;
    }
    // The red border runs along the pane panel's edge.
    const QRect panel(Panes().mapTo(frame_, QPoint(0, 0)), Panes().size());
    for (const QPoint edge :
         {QPoint(panel.left() + 1, panel.center().y()), QPoint(panel.center().x(), panel.top() + 1),
          QPoint(panel.right() - 1, panel.center().y()),
          QPoint(panel.center().x(), panel.bottom() - 1)})
        EXPECT_EQ(shot.pixelColor(edge), QColor(255, 0, 0)) << edge.x() << "," << edge.y();

    // The date and time digits show the picture's time, drawn where the display stands.
    CZVDigitDateTime& clock = *panel_->DateTimeDisplay();
    const QImage digits = clock.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = clock.mapTo(frame_, QPoint(0, 0));
    EXPECT_EQ(shot.copy(QRect(at, clock.size())), digits);

    // Before the trigger the border is gone.
    ASSERT_TRUE(Current()->GotoTime(Current()->m_llBegin));
    EXPECT_FALSE(Panes().IsEventMarked());
    const QImage before = Shot("playback-quad-before-trigger.png");
    EXPECT_NE(before.pixelColor(panel.left() + 1, panel.center().y()), QColor(255, 0, 0));
}

TEST_F(PlaybackScreenshotTest, SingleLayoutFillsThePanelWithOneCamera) {
    ShowEventAtItsTrigger();
    Click(*panel_->Button(cmd::kRearView));
    const QImage shot = Shot("playback-single-rear.png");
    const QRect area = PaneArea(2);
    EXPECT_EQ(area.size(), Panes().size() - QSize(6, 6)); // within 2 pixels and the pane's frame
    // Where the other cameras were, the rear camera shows.
    for (const QRect quarter :
         {QRect(area.topLeft(), area.size() / 2), QRect(area.center(), area.size() / 2)}) {
        const MeanColour mean = Mean(shot, SceneArea(quarter));
        EXPECT_TRUE(HasCameraHue(mean, 2)) << Describe(mean);
    }
    EXPECT_GT(PixelsNear(shot, QRect(area.right() - 200, area.top() + 4, 196, 22), kOsdGrey), 20);
}

TEST_F(PlaybackScreenshotTest, ThumbnailGridShowsSixteenPicturesAndMarksTheCurrentOne) {
    ShowEventAtItsTrigger();
    Click(*panel_->Button(cmd::kThumbnail));
    ASSERT_EQ(Panes().Layout(), PaneLayout::Thumbnail);
    const QImage shot = Shot("playback-thumbnail.png");
    std::vector<int> all(kPaneCount);
    for (int pane = 0; pane < kPaneCount; ++pane)
        all[static_cast<std::size_t>(pane)] = pane;
    ExpectCamerasInTheirPanes(shot, all, 0);
    // The current picture's pane has a yellow line along its bottom, the others have none.
    const QRect current = PaneArea(kThumbnailCurrentPane);
    const QRect line(current.left() + 4, current.bottom() - 4, current.width() - 8, 4);
    EXPECT_GT(PixelsNear(shot, line, QColor(255, 255, 0)), line.width() * 3);
    const QRect other = PaneArea(kThumbnailCurrentPane + 1);
    EXPECT_EQ(PixelsNear(shot, QRect(other.left() + 4, other.bottom() - 4, other.width() - 8, 4),
                         QColor(255, 255, 0)),
              0);
}

TEST_F(PlaybackScreenshotTest, OpenGlPanesShowTheCamerasOnTheScreen) {
    Restart(0, true);
    ShowEventAtItsTrigger();
    if (!Panes().IsAccelerated())
        GTEST_SKIP() << "no OpenGL context with textures on this display";
    // The surfaces reach the screen a little after the window paints.
    QImage shot;
    const bool shown = QTest::qWaitFor(
        [&] {
            frame_->raise();
            shot = ScreenArea(frame_->geometry());
            for (int pane = 0; pane < 4; ++pane)
                if (!HasCameraHue(Mean(shot, SceneArea(PaneArea(pane))), pane))
                    return false;
            return true;
        },
        5000);
    EXPECT_TRUE(
        shot.save(QString::fromStdString((ScreenshotFolder() / "playback-gl.png").string())));
    EXPECT_TRUE(shown);
    ExpectCamerasInTheirPanes(shot, {0, 1, 2, 3});
}
