// Screenshots of the started viewer on a real display (the virtual X server of the test run):
// after start, with a scanned card, with loaded recordings and with each menu dropped down. The
// pictures are taken from the screen, not from the widgets, and checked by their pixels: the
// skin is drawn, the buttons stand where the skin puts them, the lists show their rows and the
// dropped menu is on the screen below its button.
#include "app/ui/PanelMenus.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVListBox.h"
#include "tests/ui/MainPanelDroppedMenu.h"
#include "tests/ui/MainPanelInFrame.h"
#include "tests/ui/ScreenGrab.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

#include <set>

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

// The number of different colours on a grid of every step-th pixel of area.
std::size_t ColourCount(const QImage& image, const QRect& area, int step = 4) {
    std::set<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); y += step)
        for (int x = area.left(); x <= area.right(); x += step)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

// Pixels of area that differ between two pictures (every other pixel).
int DifferentPixels(const QImage& a, const QImage& b, const QRect& area) {
    int different = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2)
            different += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return different;
}

// Whether widget, rendered by itself, stands on shot at its place in the frame (five probes:
// the centre and points two pixels inside each corner).
bool ShowsWidget(const QImage& shot, const QWidget& frame, QWidget& widget) {
    const QImage own = widget.grab().toImage();
    const QPoint origin = widget.mapTo(&frame, QPoint(0, 0));
    const QRect inner = widget.rect().adjusted(2, 2, -2, -2);
    for (const QPoint probe : {inner.center(), inner.topLeft(), inner.topRight(),
                               inner.bottomLeft(), inner.bottomRight()})
        if (shot.pixel(origin + probe) != own.pixel(probe))
            return false;
    return true;
}

class MainFrameScreenshotTest : public MainPanelInFrameTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "screenshots of real windows need a display";
        MainPanelInFrameTest::SetUp();
        QCursor::setPos(0, 0); // no hover and no tool tip over the window
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
        skin_.Load(test::SkinDescription(), nullptr);
    }

    // The frame's area of the screen once the screen shows what the frame paints now.
    QImage Shot(const std::string& name) {
        QApplication::processEvents();
        const QImage painted = frame_->grab().toImage();
        const QPoint centre(CMainFrame::kWidth / 2, CMainFrame::kHeight / 2);
        return ShotWhenShown(
            *frame_,
            [&](const QImage& shot) {
                return DifferentPixels(shot, painted,
                                       QRect(QPoint(8, 8), centre * 2 - QPoint(16, 16))) == 0;
            },
            name);
    }

    QImage ScreenArea(const QRect& global) const { return test::ScreenArea(*frame_, global); }

    QRect ItemRect(int item) const {
        QRect rect;
        EXPECT_TRUE(skin_.GetRect(item, rect)) << "item " << item;
        return rect;
    }

    // The area of the file-list window's child in frame coordinates.
    QRect InFrame(const QWidget& child, const QRect& local) const {
        return QRect(child.mapTo(frame_, local.topLeft()), local.size());
    }

    CSkin skin_{nullptr};
};

} // namespace

TEST_F(MainFrameScreenshotTest, StartedViewerShowsTheSkinAndItsButtons) {
    const QImage shot = Shot("viewer-on-screen-started.png");
    ASSERT_EQ(shot.size(), QSize(CMainFrame::kWidth, CMainFrame::kHeight));
    EXPECT_GT(ColourCount(shot, shot.rect(), 16), 8u); // not one plain colour

    // Outside every child the screen shows the skin's background picture.
    SkinPicture background;
    ASSERT_TRUE(skin_.LoadPicture(cmd::kSkinBackground, background));
    int backgroundProbes = 0;
    for (int y = 40; y < CMainFrame::kHeight - 8; y += 37) {
        for (int x = 16; x < CMainFrame::kWidth - 16; x += 41) {
            const QPoint probe(x, y);
            if (panel_->childAt(probe) != nullptr || !background.rect.contains(probe))
                continue;
            ++backgroundProbes;
            EXPECT_EQ(QColor(shot.pixel(probe)),
                      background.image.pixelColor(probe - background.rect.topLeft()))
                << x << "," << y;
        }
    }
    EXPECT_GT(backgroundProbes, 20);

    // Every button stands on its skin item's rectangle and draws its picture there.
    for (const cmd::PanelButton& entry : cmd::kPanelButtons) {
        if (entry.skinItem == cmd::kSkinMuteBox)
            continue;
        CZVButton* button = panel_->Button(entry.id);
        ASSERT_NE(button, nullptr) << entry.id;
        if (!button->isVisible())
            continue;
        EXPECT_EQ(button->geometry(), ItemRect(entry.skinItem)) << entry.id;
        EXPECT_TRUE(ShowsWidget(shot, *frame_, *button)) << entry.id;
        EXPECT_GT(DifferentPixels(shot, background.image, ItemRect(entry.skinItem)), 0)
            << entry.id << " is not drawn over the background";
    }

    // The rounded corners let the screen beneath show.
    const QImage panelOnly = frame_->grab().toImage();
    EXPECT_NE(shot.pixel(0, 0), panelOnly.pixel(0, 0));
    EXPECT_EQ(shot.pixel(8, 8), panelOnly.pixel(8, 8));
}

TEST_F(MainFrameScreenshotTest, ScannedCardShowsItsRowsInTheFileList) {
    const QImage before = Shot("viewer-on-screen-empty-list.png");
    TempDir card;
    WriteTestCard(card, "event start=0 code=1 fps=1 size=360x240 audio=none\n"
                        "event start=100 code=2 fps=1 size=360x240 audio=none\n"
                        "log start=0 seconds=30\n");
    OpenCard(card);
    ASSERT_TRUE(WaitUntil([&] { return !Window().LoadingWindow().isVisible(); }, 6000));
    const QImage shot = Shot("viewer-on-screen-scanned.png");

    CListEvent& events = Window().List(SearchList::Event);
    ASSERT_EQ(events.RowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const QRect cell = events.visualRect(events.model()->index(row, 1));
        const QRect area = InFrame(*events.viewport(), cell);
        EXPECT_GT(ColourCount(shot, area, 1), 2u) << "row " << row << " shows no text";
        EXPECT_GT(DifferentPixels(shot, before, area), 0) << "row " << row;
    }
    EXPECT_TRUE(ShowsWidget(shot, *frame_, *events.viewport()));
    EXPECT_TRUE(ShowsWidget(shot, *frame_, *Window().Button(wndsearch::kLoad)));
    EXPECT_TRUE(ShowsWidget(shot, *frame_, *Window().Button(wndsearch::kTabEvent)));
}

TEST_F(MainFrameScreenshotTest, LoadedRecordingsAreListedWithTheCloseButton) {
    TempDir card;
    WriteTestCard(card, "event start=0 code=1 pre=2 post=2 codec=jpeg fps=2 audio=none\n"
                        "event start=100 code=2 pre=2 post=2 codec=jpeg fps=2 audio=none\n");
    OpenCard(card);
    ASSERT_TRUE(WaitUntil([&] { return !Window().LoadingWindow().isVisible(); }, 6000));
    const QImage listed = Shot("viewer-on-screen-before-load.png");
    Window().CheckAll();
    Click(*Window().Button(wndsearch::kLoad));
    ASSERT_EQ(Window().LoadedList().count(), 2);
    const QImage shot = Shot("viewer-on-screen-loaded.png");

    CZVListBox& loaded = Window().LoadedList();
    for (int row = 0; row < loaded.count(); ++row) {
        const QRect area = InFrame(*loaded.viewport(), loaded.visualItemRect(loaded.item(row)));
        EXPECT_GT(ColourCount(shot, area, 1), 2u) << "line " << row << " shows no text";
    }
    EXPECT_GT(DifferentPixels(shot, listed, InFrame(loaded, loaded.rect())), 0);
    EXPECT_TRUE(ShowsWidget(shot, *frame_, *loaded.viewport()));
    EXPECT_TRUE(ShowsWidget(shot, *frame_, *Window().Button(wndsearch::kClose)));
    EXPECT_FALSE(Window().Button(wndsearch::kLoad)->isVisible());
}

TEST_F(MainFrameScreenshotTest, EachMenuDropsDownOnTheScreenBelowItsButton) {
    const QImage plain = Shot("viewer-on-screen-no-menu.png");
    const char* names[] = {"file", "edit", "view", "play", "tool", "help"};
    for (int m = 0; m < cmd::kMenuCount; ++m) {
        const auto menu = static_cast<cmd::PanelMenu>(m);
        CZVButton* button = panel_->Button(cmd::MenuButtonId(menu));
        ASSERT_NE(button, nullptr);
        QImage screen;
        QRect popup;
        const bool seen = WithDroppedMenu(
            [&] { Click(*button); },
            [&](QMenu& dropped) {
                popup = dropped.geometry();
                const QImage own = dropped.grab().toImage();
                const bool painted = QTest::qWaitFor(
                    [&] {
                        dropped.raise();
                        screen = ScreenArea(frame_->geometry());
                        const QPoint at = popup.topLeft() - frame_->pos();
                        return screen.pixel(at + QPoint(20, 10)) == own.pixel(20, 10);
                    },
                    5000);
                EXPECT_TRUE(painted) << "the menu never reached the screen";
            });
        ASSERT_TRUE(seen) << names[m];
        ASSERT_TRUE(screen.save(QString::fromStdString(
            (ScreenshotFolder() / ("viewer-on-screen-menu-" + std::string(names[m]) + ".png"))
                .string())));
        // The popup hangs from the button's lower left corner and covers the panel there.
        const QPoint corner = button->mapTo(frame_, QPoint(0, button->height()));
        EXPECT_EQ(popup.topLeft() - frame_->pos(), corner) << names[m];
        const QRect area =
            QRect(popup.topLeft() - frame_->pos(), popup.size()).intersected(plain.rect());
        ASSERT_FALSE(area.isEmpty()) << names[m];
        EXPECT_GT(DifferentPixels(screen, plain, area), area.width() * area.height() / 16)
            << names[m] << " is not on the screen";
        EXPECT_GT(ColourCount(screen, area, 1), 2u) << names[m] << " shows no item texts";
    }
}
