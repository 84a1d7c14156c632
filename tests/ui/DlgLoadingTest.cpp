// The loading window and its per-file dialogs: waiting for the loader whatever the user does,
// Cancel and Esc as cancel requests, the hidden dialogs of event files cancelled through the
// modeless window, the scan's hide timer, and the wait dialog of a log load.
#include "catalogue/ui/DlgLoading.h"

#include "tests/ui/WndSearchTestSupport.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace trevix::test {
namespace {

// A loader thread that finishes after ms and is joined by the test.
struct SlowLoader {
    std::thread thread;
    std::atomic<bool> finished{false};

    std::function<bool()> Starter(CLoadHandshake& handshake, int ms) {
        return [this, &handshake, ms] {
            thread = std::thread([this, &handshake, ms] {
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                finished.store(true);
                handshake.NotifyFinished();
            });
            return true;
        };
    }
    ~SlowLoader() {
        if (thread.joinable())
            thread.join();
    }
};

} // namespace

TEST(DlgLoadingFile, EscAsksForCancelButTheDialogWaitsForTheLoader) {
    CDlgLoading modeless;
    CLoadHandshake handshake;
    SlowLoader loader;
    bool shown = false, stillOpen = false;
    std::string caption;
    QObject::connect(&modeless, &CDlgLoading::fileDialogStarted, &modeless,
                     [&](CDlgLoading* dialog) {
                         QTimer::singleShot(30, dialog, [&, dialog] {
                             shown = dialog->isVisible();
                             caption = dialog->windowTitle().toStdString();
                             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                             QApplication::sendEvent(dialog, &esc);
                             stillOpen = dialog->isVisible();
                         });
                     });
    CDlgLoading::RunFileDialog(nullptr, &modeless, kLoadModeLog, "LOG File Loading  [ 1 / 1 ]",
                               handshake, loader.Starter(handshake, 300));
    EXPECT_TRUE(loader.finished.load()); // returned only after the loader had finished
    EXPECT_TRUE(shown);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(caption, "LOG File Loading  [ 1 / 1 ]");
    EXPECT_EQ(handshake.Result(), LoadResult::Cancelled);
}

TEST(DlgLoadingFile, EventFileDialogIsHiddenAndTheModelessCancelReachesIt) {
    CDlgLoading modeless;
    modeless.ShowForLoad();
    EXPECT_EQ(modeless.windowModality(), Qt::ApplicationModal);
    CLoadHandshake handshake;
    SlowLoader loader;
    bool hidden = false;
    QObject::connect(&modeless, &CDlgLoading::fileDialogStarted, &modeless,
                     [&](CDlgLoading* dialog) {
                         QTimer::singleShot(30, &modeless, [&, dialog] {
                             hidden = !dialog->isVisible();
                             modeless.CancelButton()->click();
                         });
                     });
    CDlgLoading::RunFileDialog(nullptr, &modeless, kLoadModeEvent, "EVENT File Loading  [ 1 / 1 ]",
                               handshake, loader.Starter(handshake, 200));
    EXPECT_TRUE(loader.finished.load());
    EXPECT_TRUE(hidden);
    EXPECT_EQ(handshake.Result(), LoadResult::Cancelled);
    // Cancel on the modeless window with no file loading does nothing.
    modeless.CancelButton()->click();
    modeless.Hide();
    EXPECT_EQ(modeless.windowModality(), Qt::NonModal);
}

TEST(DlgLoadingFile, LoaderThatCannotStartEndsTheDialogAtOnce) {
    CLoadHandshake handshake;
    CDlgLoading::RunFileDialog(nullptr, nullptr, kLoadModePreview, "Preview File Loading",
                               handshake, [&] {
                                   handshake.SetFailed();
                                   handshake.NotifyFinished();
                                   return false;
                               });
    EXPECT_EQ(handshake.Result(), LoadResult::Failed);
}

TEST(DlgLoadingWindow, ProgressAndTheScansHideTimer) {
    CDlgLoading loading;
    loading.SetCaption("EVENT File Loading");
    loading.SetRange(0, 3);
    loading.SetPos(2);
    EXPECT_EQ(loading.windowTitle().toStdString(), "EVENT File Loading");
    EXPECT_EQ(loading.ProgressHigh(), 3);
    EXPECT_EQ(loading.ProgressPos(), 2);
    EXPECT_EQ(loading.CancelButton()->text().toStdString(), "Cancel");

    int fired = 0;
    loading.SetHideTimerHandler([&] { ++fired; });
    loading.StartHideTimer(20);
    EXPECT_TRUE(WaitUntil([&] { return fired == 1; }, 5000));
    loading.StartHideTimer(20);
    loading.StopHideTimer();
    QTimer::singleShot(100, [] {});
    WaitUntil([] { return false; }, 150);
    EXPECT_EQ(fired, 1);
}

TEST(DlgWaitMsg, BuildsTheLogViewsOnceAndClosesWithOk) {
    int built = 0;
    CDlgWaitMsg wait([&] { ++built; });
    EXPECT_EQ(wait.windowTitle().toStdString(), "Log Loading");
    EXPECT_EQ(wait.Text().toStdString(), "The log graph is initialized. Please wait");
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    EXPECT_EQ(built, 1);
}

} // namespace trevix::test
