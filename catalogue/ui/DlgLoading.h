// The loading window: one modeless instance shows the progress of a scan and of an event or
// normal load; a fresh instance per file waits for that file's loader (hidden for event and
// normal files, shown for log files and the log preview). Cancel (or Esc) asks the loader to
// stop; the window closes only when the loader reports that it has finished.
#pragma once

#include "catalogue/LoadingSequence.h"
#include "catalogue/SearchViews.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QProgressBar;
class QPushButton;

namespace trevix {

// Control ids of the loading window.
inline constexpr int kLoadingCancelId = 2;
inline constexpr int kLoadingProgressId = 1094;
inline constexpr int kModeProgressOnly = 0;

class CDlgLoading : public QDialog, public ILoadingView {
    Q_OBJECT
public:
    explicit CDlgLoading(int mode = kModeProgressOnly, QWidget* parent = nullptr);
    ~CDlgLoading() override;
    CDlgLoading(const CDlgLoading&) = delete;
    CDlgLoading& operator=(const CDlgLoading&) = delete;

    int Mode() const { return mode_; }

    // ILoadingView: the scan's use of the modeless window.
    void SetCaption(const std::string& caption) override;
    void Show() override;
    void Hide() override;
    void SetRange(int low, int high) override;
    void SetPos(int position) override;
    void SetWaitCursor(bool waiting) override;
    void StartHideTimer(int milliseconds) override;
    void StopHideTimer() override;
    // What the scan's hide timer runs when it fires.
    void SetHideTimerHandler(std::function<void()> handler) { hideHandler_ = std::move(handler); }

    // The modeless window during a load: shown and blocking the other windows, so that only
    // its Cancel can be used while the per-file dialogs run.
    void ShowForLoad();

    // Runs one per-file dialog in mode (1, 2, 4 or 5) and returns when the loader has finished.
    // modeless: the window whose Cancel stands for the hidden dialogs of modes 1 and 2.
    static void RunFileDialog(QWidget* parent, CDlgLoading* modeless, int mode,
                              const std::string& caption, CLoadHandshake& handshake,
                              const std::function<bool()>& start);

    // The Cancel command (control 2, also Esc): asks for the cancel (state 2) and stays open.
    void OnCancel();

    QProgressBar* ProgressBar() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }
    int ProgressLow() const;
    int ProgressHigh() const;
    int ProgressPos() const;

signals:
    // The per-file dialog currently waiting for a loader (null when none).
    void fileDialogStarted(trevix::CDlgLoading* dialog);

protected:
    void reject() override; // Esc and the close box: Cancel, never an early close

private:
    // Completion message 1824, delivered on the user-interface thread.
    void OnLoadFinished();
    void WatchHandshake();
    void StopWatching();

    int mode_;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    CLoadHandshake* handshake_ = nullptr;
    QPointer<CDlgLoading> activeFileDialog_; // on the modeless window while a file loads
    QTimer hideTimer_;
    std::function<void()> hideHandler_;
    bool waitCursor_ = false;
    std::atomic<bool> stopWatching_{false};
    std::thread watcher_;
};

// The wait dialog shown after a log load while the log views are built: caption "Log Loading",
// one centred text; 500 ms after it opened it runs initLogViews and closes with OK.
class CDlgWaitMsg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextId = 1158;
    static constexpr int kTimerMs = 500;

    CDlgWaitMsg(std::function<void()> initLogViews, QWidget* parent = nullptr);
    QString Text() const;

private:
    std::function<void()> initLogViews_;
    QString text_;
};

} // namespace trevix
