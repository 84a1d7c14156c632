#include "catalogue/ui/DlgLoading.h"

#include "app/Lang.h"
#include "app/TraceLog.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <memory>

namespace trevix {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// 186 x 51 dialog units at the system font.
constexpr int kWidth = 280;
constexpr int kHeight = 83;

} // namespace

CDlgLoading::CDlgLoading(int mode, QWidget* parent) : QDialog(parent), mode_(mode) {
    setObjectName(QStringLiteral("Loading"));
    setWindowTitle(QStringLiteral("Loading"));
    setFixedSize(kWidth, kHeight);
    auto layout = std::make_unique<QVBoxLayout>();
    auto progress = std::make_unique<QProgressBar>();
    progress->setObjectName(QStringLiteral("Progress%1").arg(kLoadingProgressId));
    progress->setTextVisible(false);
    auto cancel = std::make_unique<QPushButton>(Q(Lang("GUI", "Cancel", "Cancel")));
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    connect(cancel.get(), &QPushButton::clicked, this, &CDlgLoading::OnCancel);
    layout->addWidget(progress.get());
    layout->addWidget(cancel.get(), 0, Qt::AlignRight);
    // The dialog owns its layout and, through it, the progress bar and the button.
    setLayout(layout.release());
    progress_ = progress.release();
    cancel_ = cancel.release();

    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, [this] {
        if (hideHandler_)
            hideHandler_();
        else
            Hide();
    });
}

CDlgLoading::~CDlgLoading() {
    StopWatching();
    SetWaitCursor(false);
}

void CDlgLoading::SetCaption(const std::string& caption) {
    setWindowTitle(Q(caption));
}

void CDlgLoading::Show() {
    show();
    raise();
}

void CDlgLoading::ShowForLoad() {
    if (isVisible() && windowModality() != Qt::ApplicationModal)
        hide(); // a change of modality takes effect when the window is shown again
    setWindowModality(Qt::ApplicationModal);
    Show();
}

void CDlgLoading::Hide() {
    hide();
    setWindowModality(Qt::NonModal);
}

void CDlgLoading::SetRange(int low, int high) {
    progress_->setRange(low, std::max(low, high));
}

void CDlgLoading::SetPos(int position) {
    progress_->setValue(position);
}

int CDlgLoading::ProgressLow() const {
    return progress_->minimum();
}
int CDlgLoading::ProgressHigh() const {
    return progress_->maximum();
}
int CDlgLoading::ProgressPos() const {
    return progress_->value();
}

void CDlgLoading::SetWaitCursor(bool waiting) {
    if (waiting == waitCursor_)
        return;
    waitCursor_ = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CDlgLoading::StartHideTimer(int milliseconds) {
    hideTimer_.start(milliseconds);
}

void CDlgLoading::StopHideTimer() {
    hideTimer_.stop();
}

void CDlgLoading::OnCancel() {
    if (handshake_ != nullptr)
        handshake_->RequestCancel();
    // The modeless window stands for the hidden per-file dialog of an event or normal file.
    if (activeFileDialog_ != nullptr)
        activeFileDialog_->OnCancel();
}

void CDlgLoading::reject() {
    OnCancel();
}

void CDlgLoading::WatchHandshake() {
    // The loader's completion notice is turned into a queued call on this dialog.
    CLoadHandshake* handshake = handshake_;
    watcher_ = std::thread([this, handshake] {
        while (!stopWatching_.load()) {
            if (handshake->WaitFinished(std::chrono::milliseconds(20))) {
                QMetaObject::invokeMethod(
                    this, [this] { OnLoadFinished(); }, Qt::QueuedConnection);
                return;
            }
        }
    });
}

void CDlgLoading::StopWatching() {
    stopWatching_.store(true);
    if (watcher_.joinable())
        watcher_.join();
}

void CDlgLoading::OnLoadFinished() {
    if (handshake_ == nullptr)
        return;
    if (mode_ == kLoadModePreview)
        TRACE("preview load complete");
    done(static_cast<int>(handshake_->Result()));
}

void CDlgLoading::RunFileDialog(QWidget* parent, CDlgLoading* modeless, int mode,
                                const std::string& caption, CLoadHandshake& handshake,
                                const std::function<bool()>& start) {
    const auto dialog = std::make_unique<CDlgLoading>(mode, parent);
    dialog->SetCaption(caption);
    dialog->cancel_->setText(Q(Lang("GUI", "Cancel", "Cancel")));
    handshake.SetState(1);
    dialog->handshake_ = &handshake;
    const bool hidden = mode == kLoadModeEvent || mode == kLoadModeNormal;
    if (modeless != nullptr && hidden)
        modeless->activeFileDialog_ = dialog.get();
    if (modeless != nullptr)
        emit modeless->fileDialogStarted(dialog.get());

    start();
    dialog->WatchHandshake();
    if (hidden) {
        // Only the modeless window is seen; it blocks the other windows meanwhile.
        QEventLoop loop;
        connect(dialog.get(), &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->exec();
    }
    dialog->StopWatching();
    if (modeless != nullptr)
        modeless->activeFileDialog_ = nullptr;
}

CDlgWaitMsg::CDlgWaitMsg(std::function<void()> initLogViews, QWidget* parent)
    : QDialog(parent), initLogViews_(std::move(initLogViews)) {
    setObjectName(QStringLiteral("WaitMsg"));
    setWindowTitle(Q(Lang("GUI", "LoadLog", "Log Loading")));
    setFixedSize(378, 88); // 252 x 54 dialog units
    text_ = Q(Lang("GUI", "LogGraphInitWait", "The log graph is initialized. Please wait"));
    auto layout = std::make_unique<QVBoxLayout>();
    auto label = std::make_unique<QLabel>(text_);
    label->setObjectName(QStringLiteral("Text%1").arg(kTextId));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label.release()); // owned by the dialog through its layout
    setLayout(layout.release());
    QTimer::singleShot(kTimerMs, this, [this] {
        if (initLogViews_)
            initLogViews_();
        accept();
    });
}

QString CDlgWaitMsg::Text() const {
    return text_;
}

} // namespace trevix
