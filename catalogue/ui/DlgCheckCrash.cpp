#include "catalogue/ui/DlgCheckCrash.h"

#include "app/Lang.h"

#include <QCheckBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <memory>

namespace trevix {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString Caption() {
    return Q(Lang("GUI", "CheckFileValid", "Check file validation"));
}

} // namespace

// The walk's reports, carried to the dialog's thread as queued calls.
class CDlgCheckCrash::Progress final : public ICheckCrashProgress {
public:
    explicit Progress(CDlgCheckCrash& dialog) : dialog_(&dialog) {}

    void SetCaption(const std::string& caption) override {
        Post([caption](CDlgCheckCrash& d) { d.setWindowTitle(Q(caption)); });
    }
    void SetRange(int count) override {
        Post([count](CDlgCheckCrash& d) { d.progress_->setRange(0, std::max(count, 0)); });
    }
    void SetPos(int position) override {
        Post([position](CDlgCheckCrash& d) { d.progress_->setValue(position); });
    }

private:
    template <typename Action>
    void Post(Action action) {
        CDlgCheckCrash* dialog = dialog_;
        QMetaObject::invokeMethod(
            dialog, [dialog, action] { action(*dialog); }, Qt::QueuedConnection);
    }
    CDlgCheckCrash* dialog_;
};

CDlgCheckCrash::CDlgCheckCrash(std::string rootPath, QWidget* parent)
    : QDialog(parent), walk_(std::move(rootPath)) {
    setObjectName(QStringLiteral("CheckCrash"));
    setFixedSize(279, 78); // 186 x 48 dialog units
    setWindowTitle(Caption());
    auto progress = std::make_unique<QProgressBar>(this);
    progress->setObjectName(QStringLiteral("Progress%1").arg(kProgressId));
    progress->setGeometry(10, 11, 258, 28);
    progress->setTextVisible(false);
    progress->setRange(0, 0);
    auto cancel = std::make_unique<QPushButton>(QStringLiteral("Cancel"), this);
    cancel->setGeometry(192, 13, 75, 23);
    cancel->hide(); // present but not visible: Esc reaches it through reject()
    auto verify = std::make_unique<QCheckBox>(
        Q(Lang("GUI", "VerifyFileCrash", "Verify that the files corruption")), this);
    verify->setObjectName(QStringLiteral("Verify%1").arg(kVerifyBoxId));
    verify->setGeometry(13, 50, 254, 17);
    verify->setChecked(true);
    // The children are owned by the dialog, their parent.
    progress_ = progress.release();
    cancel_ = cancel.release();
    verify_ = verify.release();
    connect(cancel_, &QPushButton::clicked, this, &CDlgCheckCrash::OnCancel);
    connect(verify_, &QCheckBox::clicked, this, [this](bool ticked) { walk_.SetSkip(!ticked); });

    startTimer_.setSingleShot(true);
    connect(&startTimer_, &QTimer::timeout, this, &CDlgCheckCrash::StartWorker);
    startTimer_.start(kStartTimerMs);
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, &QDialog::accept);
}

CDlgCheckCrash::~CDlgCheckCrash() {
    // The walk must not outlive the dialog it reports to.
    walk_.SetSkip(true);
    if (worker_.joinable())
        worker_.join();
}

bool CDlgCheckCrash::CheckCard(const std::string& root, QWidget* parent) {
    CDlgCheckCrash dialog(root, parent);
    dialog.exec();
    return dialog.DamagedFound();
}

void CDlgCheckCrash::OnCancel() {
    walk_.SetSkip(true);
}

void CDlgCheckCrash::reject() {
    OnCancel(); // the dialog stays open until the walk has ended
}

void CDlgCheckCrash::StartWorker() {
    if (worker_.joinable())
        return;
    // An unticked box skips the checks; a Cancel pressed before the start is kept too.
    if (!verify_->isChecked())
        walk_.SetSkip(true);
    reporter_ = std::make_unique<Progress>(*this);
    worker_ = std::thread([this] {
        CheckCrashResult result = walk_.Run(*reporter_);
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { OnWorkerFinished(result); },
            Qt::QueuedConnection);
    });
}

void CDlgCheckCrash::OnWorkerFinished(CheckCrashResult result) {
    if (worker_.joinable())
        worker_.join(); // its last action was the call that brought us here
    result_ = std::move(result);
    closeTimer_.start(kCloseTimerMs);
    accept(); // message 0x0798
}

} // namespace trevix
