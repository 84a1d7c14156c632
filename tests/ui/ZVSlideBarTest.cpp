// The slide bars driven with the mouse: when the parent hears of a move (2024) and of a release
// (2025), what disabling does to a drag, the redraw rules, and how the time bar paints its
// thumb, marks, recorded spans and labels.
#include "control/ui/ZVSlideBar.h"

#include "control/ui/ZVCheckBox.h"

#include "app/ui/Skin.h"
#include "catalogue/SearchViews.h"
#include "recorder/RecorderTime.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#ifndef TREVIX_RUN_DIR
#define TREVIX_RUN_DIR TREVIX_BINARY_DIR "/run"
#endif

namespace trevix {
namespace {

// What the parent heard: message number and position.
struct Heard {
    int message;
    int position;
    bool operator==(const Heard&) const = default;
};

class Listener {
public:
    explicit Listener(CZVSlideBar& bar) {
        QObject::connect(&bar, &CZVSlideBar::moving, [this, &bar](CZVSlideBar* sender, int at) {
            EXPECT_EQ(sender, &bar);
            heard.push_back({CZVSlideBar::kMsgMoving, at});
        });
        QObject::connect(&bar, &CZVSlideBar::released, [this, &bar](CZVSlideBar* sender, int at) {
            EXPECT_EQ(sender, &bar);
            heard.push_back({CZVSlideBar::kMsgReleased, at});
        });
    }
    std::vector<Heard> heard;
};

void Mouse(QWidget& widget, QEvent::Type type, int x, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local(x, 10);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, local, widget.mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

std::int64_t LocalMs(int hour, int minute, int second) {
    std::int64_t seconds = 0;
    EXPECT_TRUE(LocalFieldsToSeconds(2024, 5, 19, hour, minute, second, seconds));
    return seconds * 1000;
}

// A time bar over a Normal list of 620 seconds: one second per pixel, second s at 14 + s.
class TimeBarTest : public ::testing::Test {
protected:
    TimeBarTest() : bar(SlideBarKind::Time) {
        bar.resize(CZVSlideBar::PanelRect(SlideBarKind::Time).size());
        start = LocalMs(13, 0, 0);
        bar.SetTimeRange(kLoadedNormal, start, start + 620'000, start);
    }

    CZVSlideBar bar;
    std::int64_t start = 0;
};

TEST_F(TimeBarTest, ClickAwayFromTheThumbJumpsThereAndReleaseReportsIt) {
    Listener listener(bar);
    Mouse(bar, QEvent::MouseButtonPress, 314);
    EXPECT_EQ(bar.Position(), 300);
    EXPECT_TRUE(bar.IsDragging());
    EXPECT_EQ(listener.heard, (std::vector<Heard>{{2024, 300}}));
    Mouse(bar, QEvent::MouseButtonRelease, 314);
    EXPECT_FALSE(bar.IsDragging());
    EXPECT_EQ(listener.heard, (std::vector<Heard>{{2024, 300}, {2025, 300}}));
    EXPECT_EQ(bar.PositionTime(), start + 300'000);
}

TEST_F(TimeBarTest, DragReportsEveryChangeAndOnlyChanges) {
    Listener listener(bar);
    Mouse(bar, QEvent::MouseButtonPress, 20); // on the thumb (centre 14): grabbed 6 right of it
    EXPECT_TRUE(listener.heard.empty());
    Mouse(bar, QEvent::MouseMove, 20);
    Mouse(bar, QEvent::MouseMove, 30);
    Mouse(bar, QEvent::MouseMove, 30);
    Mouse(bar, QEvent::MouseMove, 2000); // kept at the right end
    Mouse(bar, QEvent::MouseMove, 2100);
    Mouse(bar, QEvent::MouseButtonRelease, 2100);
    EXPECT_EQ(listener.heard, (std::vector<Heard>{{2024, 10}, {2024, 620}, {2025, 620}}));
    // Moves after the release are no drag.
    Mouse(bar, QEvent::MouseMove, 100);
    EXPECT_EQ(bar.Position(), 620);
    EXPECT_EQ(listener.heard.size(), 3u);
}

TEST_F(TimeBarTest, OtherButtonsAndReleasesWithoutAPressSayNothing) {
    Listener listener(bar);
    Mouse(bar, QEvent::MouseButtonRelease, 200);
    Mouse(bar, QEvent::MouseButtonPress, 200, Qt::RightButton);
    Mouse(bar, QEvent::MouseButtonRelease, 200, Qt::RightButton);
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_EQ(bar.Position(), 0);
}

TEST_F(TimeBarTest, DisablingEndsADragWithoutAReport) {
    Listener listener(bar);
    Mouse(bar, QEvent::MouseButtonPress, 114);
    bar.Enable(false);
    EXPECT_FALSE(bar.IsDragging());
    EXPECT_FALSE(bar.isEnabled());
    Mouse(bar, QEvent::MouseMove, 200);
    Mouse(bar, QEvent::MouseButtonRelease, 200);
    bar.Enable(true);
    Mouse(bar, QEvent::MouseButtonRelease, 200);
    EXPECT_EQ(listener.heard, (std::vector<Heard>{{2024, 100}}));
    EXPECT_EQ(bar.Position(), 100);
    // A disabled bar takes no press.
    bar.Enable(false);
    Mouse(bar, QEvent::MouseButtonPress, 400);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_FALSE(bar.IsDragging());
}

TEST_F(TimeBarTest, TimeRangeOfAnotherListEmptiesTheBarAndItsExtras) {
    bar.SetTimeRange(kLoadedNormal, start, start + 620'000, start + 61'900);
    EXPECT_EQ(bar.Position(), 61);
    bar.AddMark(12);
    bar.SetRecordedSpans({{0, 59}});
    EXPECT_FALSE(bar.TimeRange().Labels().empty());

    bar.SetTimeRange(kLoadedEvent, start, start + 620'000, start + 61'900);
    EXPECT_EQ(bar.Minimum(), 0);
    EXPECT_EQ(bar.Maximum(), 0);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(bar.Marks().empty());
    EXPECT_TRUE(bar.Model().RecordedSpans().empty());
    EXPECT_TRUE(bar.TimeRange().Labels().empty());
    bar.ShowTime(start + 30'000); // playback moves only a Normal list's bar
    EXPECT_EQ(bar.Position(), 0);
}

TEST_F(TimeBarTest, ShowTimeMovesTheBarFromAnyThread) {
    bar.ShowTime(start + 42'700);
    EXPECT_EQ(bar.Position(), 42);
    std::thread worker([&] { bar.ShowTime(start + 99'000); });
    worker.join();
    EXPECT_EQ(bar.Position(), 42);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(bar.Position(), 99);
}

TEST_F(TimeBarTest, RepaintsOnlyWhenSomethingShownChanges) {
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    const auto paints = [&](auto&& action) {
        QCoreApplication::processEvents();
        const int before = bar.PaintCount();
        action();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return bar.PaintCount() - before;
    };
    EXPECT_EQ(paints([&] { bar.SetPosition(0); }), 0);
    EXPECT_EQ(paints([&] { bar.SetPosition(-40); }), 0); // clamped to where it is
    EXPECT_EQ(paints([&] { bar.SetPosition(40); }), 1);
    EXPECT_EQ(paints([&] { bar.ShowTime(start + 40'500); }), 0);
    EXPECT_EQ(paints([&] { bar.AddMark(7); }), 1);
    EXPECT_EQ(paints([&] { bar.AddMark(7); }), 0);
    EXPECT_EQ(paints([&] { bar.SetRange(0, 620); }), 0);
}

TEST(VolumeBarTest, StartsAtFiftyOfHundred) {
    CZVSlideBar bar(SlideBarKind::Volume);
    EXPECT_EQ(bar.Kind(), SlideBarKind::Volume);
    EXPECT_EQ(bar.Minimum(), 0);
    EXPECT_EQ(bar.Maximum(), 100);
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(CZVSlideBar::PanelRect(SlideBarKind::Volume), QRect(213, 581, 61, 20));
    EXPECT_EQ(CZVSlideBar::PanelRect(SlideBarKind::Time), QRect(10, 537, 648, 20));
}

TEST(VolumeBarTest, DragChangesTheVolumeAtEveryStep) {
    CZVSlideBar bar(SlideBarKind::Volume);
    bar.resize(61, 20);
    Listener listener(bar);
    Mouse(bar, QEvent::MouseButtonPress, 30); // the thumb's centre
    Mouse(bar, QEvent::MouseMove, 31);
    Mouse(bar, QEvent::MouseMove, 47);
    Mouse(bar, QEvent::MouseButtonRelease, 47);
    EXPECT_EQ(listener.heard, (std::vector<Heard>{{2024, 51}, {2024, 100}, {2025, 100}}));
}

TEST(MuteBoxTest, PressTogglesBeforeTellingTheParentAndDisabledTakesNone) {
    CZVCheckBox box;
    box.resize(20, 20);
    std::vector<int> told;
    QObject::connect(&box, &CZVCheckBox::stateChanged, [&](CZVCheckBox* sender, int state) {
        EXPECT_EQ(sender->State(), state); // the box shows the new state already
        told.push_back(state);
    });
    Mouse(box, QEvent::MouseButtonPress, 5);
    Mouse(box, QEvent::MouseButtonRelease, 5);
    EXPECT_EQ(told, (std::vector<int>{0}));
    box.setEnabled(false); // no usable mixer
    Mouse(box, QEvent::MouseButtonPress, 5);
    EXPECT_EQ(box.State(), 0);
    EXPECT_EQ(box.CurrentCell(), 2);
    EXPECT_EQ(told.size(), 1u);

    // The mixer's notice may come from its own thread.
    std::thread mixer([&] { box.SetState(1); });
    mixer.join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(box.State(), 1);
    EXPECT_EQ(told.size(), 1u); // set from outside: nobody is told
}

// The bar drawn with plain pictures so that every colour says what drew it.
class PaintedTimeBar : public TimeBarTest {
protected:
    PaintedTimeBar() {
        QImage track(630, 12, QImage::Format_RGB32);
        track.fill(kTrack);
        QImage thumb(20, 20, QImage::Format_RGB32);
        thumb.fill(kThumb);
        bar.SetTrackPicture(track);
        bar.SetThumbPicture(thumb);
        bar.SetFillColor(kFill);
    }

    QImage Shot() { return bar.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static inline const QColor kTrack{0, 0, 120};
    static inline const QColor kThumb{0, 160, 0};
    static inline const QColor kFill{30, 30, 30};
};

TEST_F(PaintedTimeBar, FillTrackAndUnscaledThumbAtThePosition) {
    bar.SetPosition(300);
    const QImage shot = Shot();
    EXPECT_EQ(shot.pixelColor(100, 1), kFill);
    EXPECT_EQ(shot.pixelColor(100, 3), kTrack);
    EXPECT_EQ(shot.pixelColor(647, 14), kTrack); // stretched over the whole width
    EXPECT_EQ(shot.pixelColor(100, 15), kFill);
    // Thumb 20 wide from pixel of 300 (314) less 10.
    EXPECT_EQ(shot.pixelColor(304, 0), kThumb);
    EXPECT_EQ(shot.pixelColor(323, 19), kThumb);
    EXPECT_EQ(shot.pixelColor(303, 5), kTrack);
    EXPECT_EQ(shot.pixelColor(324, 5), kTrack);
}

TEST_F(PaintedTimeBar, MarksOverSpansAndTheTrackEnds) {
    bar.SetPosition(620); // thumb out of the way, at the right end
    bar.SetRecordedSpans({{-20, 100}, {200, 250}, {700, 800}});
    bar.AddMark(50);
    bar.AddMark(700); // outside the range: not drawn
    const QImage shot = Shot();
    const QColor red = CZVSlideBar::kSpanColour;
    const QColor yellow = CZVSlideBar::kMarkColour;
    // Span from 0 (pixel 14) to 100 (pixel 114), 6 high around y 9.
    EXPECT_EQ(shot.pixelColor(14, 9), red);
    EXPECT_EQ(shot.pixelColor(114, 6), red);
    EXPECT_EQ(shot.pixelColor(114, 11), red);
    EXPECT_EQ(shot.pixelColor(114, 12), kTrack);
    EXPECT_EQ(shot.pixelColor(115, 9), kTrack);
    EXPECT_EQ(shot.pixelColor(214, 9), red);
    EXPECT_EQ(shot.pixelColor(264, 9), red);
    EXPECT_EQ(shot.pixelColor(300, 9), kTrack);
    // Ends of the track: 5 to 14 from either end.
    EXPECT_EQ(shot.pixelColor(5, 9), red);
    EXPECT_EQ(shot.pixelColor(4, 9), kTrack);
    EXPECT_EQ(shot.pixelColor(648 - 14, 9), kThumb); // under the thumb at the end
    // The mark at 50 (pixel 64), 2 wide, from y 5 to 10, over the span.
    EXPECT_EQ(shot.pixelColor(63, 5), yellow);
    EXPECT_EQ(shot.pixelColor(64, 10), yellow);
    EXPECT_EQ(shot.pixelColor(64, 11), red);
    EXPECT_EQ(shot.pixelColor(65, 8), red);
    for (int x = 0; x < shot.width(); ++x) {
        const bool onTheMark = x == 63 || x == 64;
        EXPECT_EQ(shot.pixelColor(x, 5) == yellow, onTheMark) << x;
    }
}

TEST_F(PaintedTimeBar, LabelsAreDrawnOnThePanelOnlyForADistinctRange) {
    const auto labelPixels = [&] {
        QImage panel(1024, 600, QImage::Format_RGB32);
        panel.fill(Qt::black);
        QPainter painter(&panel);
        bar.PaintTimeLabels(painter);
        painter.end();
        int count = 0;
        for (int y = 0; y < panel.height(); ++y)
            for (int x = 0; x < panel.width(); ++x)
                if (panel.pixelColor(x, y) == CZVSlideBar::kLabelColour) {
                    EXPECT_TRUE(CZVSlideBar::TimeLabelStrip().adjusted(-2, -4, 2, 2).contains(x, y))
                        << x << "," << y;
                    ++count;
                }
        return count;
    };
    EXPECT_GT(labelPixels(), 0);
    bar.SetTimeRange(kLoadedNormal, start, start, start);
    EXPECT_EQ(labelPixels(), 0);
}

TEST(GeneratedSkinSlideBarTest, PicturesAndPanelColourComeFromTheSkin) {
    CSkin skin;
    ASSERT_TRUE(skin.Load(std::filesystem::path(TREVIX_RUN_DIR) / "trevix.dsc", nullptr));
    CZVSlideBar bar(SlideBarKind::Volume);
    bar.resize(61, 20);
    bar.LoadPictures(skin);
    const SkinControl_Info* background = skin.Lookup(0);
    ASSERT_NE(background, nullptr);
    const QImage shot = bar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0),
              QColor(background->Red(), background->Green(), background->Blue()));
    const QImage thumb = skin.Picture(118);
    ASSERT_EQ(thumb.size(), QSize(20, 20));
    EXPECT_EQ(shot.pixelColor(30, 10), thumb.pixelColor(10, 10)); // thumb centred at 50
}

} // namespace
} // namespace trevix
