// The started viewer with a generated four-camera card opened, for the playback tests: loading a
// list as the user does, the pane panel, the play control and the current recording, and checks
// of what the panes hold.
#pragma once

#include "catalogue/ui/WndSearch.h"
#include "playback/PlayState.h"
#include "playback/ui/PaneVideo.h"
#include "playback/ui/WndPanePanel.h"
#include "recorder/RecorderTime.h"
#include "tests/support/PulseTestSupport.h"
#include "tests/ui/MainPanelInFrame.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace trevix::test {

// Four cameras of MPEG-4 pictures with sound: an event recording (3 s before and 3 s from its
// trigger), a shorter second one, a normal group of two 6-second files and a memo with a
// picture of every camera.
// Written once; tests that change it work on a copy.
struct PlaybackCard {
    TempDir dir;
    mkcard::WrittenCard written;

    PlaybackCard() {
        const std::string picture = " codec=mpeg4 fps=5 size=360x240 audio=tone";
        written = WriteTestCard(dir, "event start=0 code=1 pre=3 post=3" + picture + "\n" +
                                         "event start=30 code=2 pre=2 post=2" + picture + "\n" +
                                         "normal start=100 files=2 seconds=6" + picture + "\n" +
                                         "memo start=300 size=360x240 seconds=4 sound=tone\n");
    }
};

inline const PlaybackCard& ThePlaybackCard() {
    static const PlaybackCard card;
    return card;
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class PlaybackInFrameTest : public MainPanelInFrameTest {
protected:
    void SetUp() override {
        MainPanelInFrameTest::SetUp();
        if (!HasFatalFailure())
            ShowAndOpen(ThePlaybackCard().dir);
    }

    // Starts the viewer again with another Vender and opens the card. The per-user settings a
    // first start seeded from the installed file go, so that the new ones count.
    void Restart(int vendor, bool openGlPanes = false) {
        app_.reset();
        std::filesystem::remove_all(temp_.Path() / "appdata");
        Start(vendor, openGlPanes);
        ShowAndOpen(ThePlaybackCard().dir);
    }

    void ShowAndOpen(const TempDir& card) {
        frame_->show();
        OpenCard(card);
        ASSERT_GT(Window().List(SearchList::Event).RowCount(), 0);
        // The scan's progress window goes once its hide timer has fired.
        ASSERT_TRUE(WaitUntil([&] { return !Window().LoadingWindow().isVisible(); }, 6000));
    }

    // Ticks the rows of a list and presses Load, as the user does.
    void Load(SearchList list, const std::vector<int>& rows) {
        Window().OnTab(list);
        for (const int row : rows)
            Window().List(list).SetChecked(row, true);
        Click(*Window().Button(wndsearch::kLoad));
    }

    CWndPanePanel& Panes() const { return *panel_->PaneWindow(); }
    CMgrPlayControl& Play() const { return frame_->PlayControl(); }
    CDriveRecInfo* Current() const {
        return frame_->Recordings().At(frame_->Search().CurrentRecording());
    }

    // The panes the layout shows (the four cameras in the quad layout).
    std::vector<int> VisiblePanes() const {
        std::vector<int> panes;
        for (int pane = 0; pane < kPaneCount; ++pane)
            if (!Panes().Pane(pane).isHidden())
                panes.push_back(pane);
        return panes;
    }

    // Every visible pane holds a picture; the message names those that do not.
    ::testing::AssertionResult EveryVisiblePaneHasAPicture() const {
        std::string empty;
        for (const int pane : VisiblePanes())
            if (!Panes().Pane(pane).HasPicture())
                empty += " " + std::to_string(pane);
        if (empty.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "panes without picture:" << empty;
    }

    // Pictures drawn so far in each of the four camera panes.
    std::vector<std::int64_t> DrawnPerCamera() const {
        std::vector<std::int64_t> drawn;
        for (int pane = 0; pane < 4; ++pane)
            drawn.push_back(Panes().PaneStats(pane).drawn);
        return drawn;
    }

    // Runs the event loop until the shown time has moved by at least ms (either way).
    bool WaitForShownTimeToMove(std::int64_t ms, int timeoutMs = 8000) const {
        const std::int64_t from = Play().ShownTimeMs();
        return WaitUntil([&] { return std::llabs(Play().ShownTimeMs() - from) >= ms; }, timeoutMs);
    }

    std::string Indicator() const { return panel_->SpeedIndicatorText().toStdString(); }

    // Playing at x1 sounds on the test server, which the sound tests record: they take turns.
    SoundServerLock soundLock_;
};

} // namespace trevix::test
