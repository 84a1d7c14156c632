// The crashed-file check dialog: shows the walk over the card's recorder folders with a progress
// bar while a worker reads one byte of every file; the verify box (and Cancel or Esc) lets the
// remaining folders be walked without opening their files.
#pragma once

#include "catalogue/CheckCrashWalk.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>
#include <thread>

class QCheckBox;
class QProgressBar;
class QPushButton;

namespace trevix {

class CDlgCheckCrash : public QDialog {
    Q_OBJECT
public:
    static constexpr int kProgressId = 1122;
    static constexpr int kVerifyBoxId = 1135;
    static constexpr int kStartTimerMs = 100;  // timer 999: the worker starts
    static constexpr int kCloseTimerMs = 2000; // timer 111: a second way to close

    explicit CDlgCheckCrash(std::string rootPath, QWidget* parent = nullptr);
    ~CDlgCheckCrash() override;
    CDlgCheckCrash(const CDlgCheckCrash&) = delete;
    CDlgCheckCrash& operator=(const CDlgCheckCrash&) = delete;

    // Runs the check on root modally; true when damaged files were found.
    static bool CheckCard(const std::string& root, QWidget* parent = nullptr);

    bool DamagedFound() const { return result_.damagedFound; }
    const CheckCrashResult& Result() const { return result_; }
    bool Skip() const { return walk_.Skip(); }
    bool WorkerStarted() const { return worker_.joinable(); }

    QProgressBar* ProgressBar() const { return progress_; }
    QCheckBox* VerifyBox() const { return verify_; }

    // Cancel (control 2, also Esc): the remaining folders are walked without checks.
    void OnCancel();

protected:
    void reject() override;

private:
    class Progress;

    void StartWorker(); // timer 999
    void OnWorkerFinished(CheckCrashResult result);

    CheckCrashWalk walk_;
    CheckCrashResult result_;
    QProgressBar* progress_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer startTimer_;
    QTimer closeTimer_;
    std::unique_ptr<Progress> reporter_;
    std::thread worker_;
};

} // namespace trevix
