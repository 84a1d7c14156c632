#include "app/ui/MainFrm.h"

#include "app/Lang.h"
#include "app/TraceLog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <ctime>

namespace trevix {

namespace {

CMainFrame* g_mainFrame = nullptr;

// A play host for when the panel does not provide one.
class NullPlayHost final : public IPlayHost {
public:
    int LoadedKind() const override { return TheApp() != nullptr ? TheApp()->LoadedKind() : 0; }
    bool IsThumbnailLayout() const override { return false; }
    bool IsSingleLayout() const override { return false; }
    bool IsPanelEnlarged() const override { return false; }
    void SelectListRow(int, int) override {}
    void UpdatePanesForSample(int) override {}
    std::string SelectedMemoPicture() const override { return {}; }
};

NullSearchView& TheNullSearchView() {
    static NullSearchView view;
    return view;
}
NullLoadingView& TheNullLoadingView() {
    static NullLoadingView view;
    return view;
}
NullPlayHost& TheNullPlayHost() {
    static NullPlayHost host;
    return host;
}

// Local time minus UTC now, in seconds (daylight saving included).
int LocalUtcOffsetSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr)
        return 0;
    return static_cast<int>(local.tm_gmtoff);
}

QKeySequence Keys(QKeyCombination combination) {
    return QKeySequence(combination);
}

} // namespace

CMainFrame* TheMainFrame() {
    return g_mainFrame;
}
void SetTheMainFrame(CMainFrame* frame) {
    g_mainFrame = frame;
}

std::span<const AcceleratorKey> AcceleratorTable() {
    using namespace accel;
    constexpr auto ctrl = Qt::ControlModifier;
    constexpr auto shift = Qt::ShiftModifier;
    constexpr auto alt = Qt::AltModifier;
    static const std::array<AcceleratorKey, 32> table = {{
        {Keys(ctrl | Qt::Key_O), kSelectFolder},
        {Keys(ctrl | Qt::Key_E), kLoadEvent},
        {Keys(ctrl | Qt::Key_L), kLoadLog},
        {Keys(ctrl | Qt::Key_P), kPrint},
        {Keys(ctrl | Qt::Key_Q), kExit},
        {Keys(ctrl | Qt::Key_A), kCheckAll},
        {Keys(ctrl | shift | Qt::Key_A), kUncheckAll},
        {Keys(QKeyCombination(Qt::Key_Space)), kPlayStopToggle},
        {Keys(ctrl | Qt::Key_F), kPlay},
        {Keys(ctrl | Qt::Key_S), kStop},
        {Keys(ctrl | shift | Qt::Key_F), kFastPlay},
        {Keys(ctrl | Qt::Key_B), kReversePlay},
        {Keys(ctrl | shift | Qt::Key_B), kFastReversePlay},
        {Keys(QKeyCombination(Qt::Key_Left)), kPrevFrameLeft},
        {Keys(ctrl | shift | Qt::Key_P), kPrevFrame},
        {Keys(QKeyCombination(Qt::Key_Right)), kNextFrameRight},
        {Keys(ctrl | shift | Qt::Key_N), kNextFrame},
        {Keys(ctrl | Qt::Key_1), kViewFront},
        {Keys(ctrl | Qt::Key_2), kViewFront + 1},
        {Keys(ctrl | Qt::Key_3), kViewSide},
        {Keys(ctrl | Qt::Key_4), kViewQuad},
        {Keys(QKeyCombination(Qt::Key_Return)), kPaneEnter},
        {Keys(alt | Qt::Key_Return), kPaneAltEnter},
        {Keys(alt | Qt::Key_F), kMenuFile},
        {Keys(alt | Qt::Key_E), kMenuFile + 1},
        {Keys(alt | Qt::Key_V), kMenuFile + 2},
        {Keys(alt | Qt::Key_P), kMenuFile + 3},
        {Keys(alt | Qt::Key_T), kMenuTool},
        {Keys(alt | Qt::Key_H), kMenuHelp},
        {Keys(alt | Qt::Key_I), kMenuHelpVendor1},
        {Keys(QKeyCombination(Qt::Key_F1)), kHelp},
        // The keypad's Enter works as the main Enter key.
        {Keys(QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter)), kPaneEnter},
    }};
    return table;
}

// The panel that stands in until the skinned panel is given: a plain child that shows nothing
// and runs no command.
class CMainFrame::PlainPanel final : public QWidget, public IMainPanel {
public:
    explicit PlainPanel(QWidget* parent) : QWidget(parent) {}
    QWidget& Widget() override { return *this; }
    void OnPanelCommand(int) override {}
    bool IsPaneEnlarged() const override { return false; }
    std::pair<int, int> VolumeRange() const override { return {0, 100}; }
    void ShowVolume(int) override {}
    void ShowMute(bool) override {}
    void DisableVolume() override {}
    void CloseFileList() override {}
    void OnKeyChannelFileChanged(int) override {}
    ISearchView* SearchView() override { return nullptr; }
    ILoadingView* LoadingView() override { return nullptr; }
    IPlayHost* PlayHost() override { return nullptr; }
    PlayControlViews PlayViews() override { return {}; }
    void ClearViews() override {}
    void SetTimeRange(std::int64_t, std::int64_t, std::int64_t) override {}
    void ShowSelected(int, int) override {}
};

// A play timer on the user-interface thread; the precise kind asks Qt for its finest timer.
class CMainFrame::QtPlayTimer final : public IPlayTimer {
public:
    using Expiry = std::function<void(TimerKind)>;
    explicit QtPlayTimer(Expiry expiry) : expiry_(std::move(expiry)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { expiry_(kind_); });
    }
    bool Start(int periodMs, TimerKind kind) override {
        kind_ = kind;
        timer_.setTimerType(kind == TimerKind::Precise ? Qt::PreciseTimer : Qt::CoarseTimer);
        timer_.start(std::max(1, periodMs));
        return true;
    }
    void Stop() override { timer_.stop(); }

private:
    Expiry expiry_;
    TimerKind kind_ = TimerKind::Coarse;
    QTimer timer_;
};

CMainFrame::CMainFrame(MainFrameSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint),
      setup_(std::move(setup)), utcOffsetSeconds_(LocalUtcOffsetSeconds()),
      recordings_([this](int index, int kind) { ShowSelectedRecording(index, kind); }) {
    setObjectName("MainFrame");
    setWindowTitle(kAppName);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CMainFrame::~CMainFrame() {
    // No mount report and no timer expiry may arrive while the members go.
    mountWatcher_.reset();
    if (playControl_) {
        playControl_->Stop();
        playControl_->StopLogPlay();
    }
    // The recordings report to the play control, which goes before them.
    recordings_.DestroyAll();
    if (g_mainFrame == this)
        g_mainFrame = nullptr;
}

bool CMainFrame::Create() {
    PlaceCentred();

    panel_ = setup_.makePanel ? setup_.makePanel(*this) : std::make_unique<PlainPanel>(this);
    if (!panel_)
        return false;
    QWidget& panelWidget = panel_->Widget();
    panelWidget.setParent(this);
    panelWidget.setObjectName("MainBackPanel");
    panelWidget.setGeometry(rect());
    panelWidget.show();
    ApplyRoundedMask();

    const auto expiry = [this](int timerId) {
        return [this, timerId](TimerKind kind) {
            if (!playControl_)
                return;
            if (kind == TimerKind::Precise)
                playControl_->TimeProc(timerId);
            else
                playControl_->OnTimer(timerId);
        };
    };
    videoTimer_ = std::make_unique<QtPlayTimer>(expiry(kVideoTimerId));
    logTimer_ = std::make_unique<QtPlayTimer>(expiry(kLogTimerId));

    ISearchView* searchView = panel_->SearchView();
    ILoadingView* loadingView = panel_->LoadingView();
    IPlayHost* playHost = panel_->PlayHost();
    search_ =
        std::make_unique<CMgrDBSearch>(searchView != nullptr ? *searchView : TheNullSearchView(),
                                       loadingView != nullptr ? *loadingView : TheNullLoadingView(),
                                       static_cast<IViewerHost&>(*this), recordings_);
    playControl_ = std::make_unique<CMgrPlayControl>(
        clock_, *videoTimer_, *logTimer_, static_cast<IPlayCatalogue&>(*this),
        playHost != nullptr ? *playHost : TheNullPlayHost(), panel_->PlayViews());
    playControl_->SetVendor(setup_.vendor);
    recordings_.SetViews(RecordingViews{playControl_.get(), panel_->PaneView(),
                                        static_cast<IRecordingNotices*>(this)});
    mapSync_ = std::make_unique<CMgrMapSync>();

    OpenVolume();

    mounts_ = setup_.mounts ? setup_.mounts : std::make_shared<SystemMountTable>();
    mountWatcher_ = std::make_unique<MountWatcher>(
        mounts_,
        [this](const MountChanges& changes) {
            if (QThread::currentThread() == thread())
                OnMountChanges(changes);
            else
                QMetaObject::invokeMethod(
                    this, [this, changes] { OnMountChanges(changes); }, Qt::QueuedConnection);
        },
        setup_.mountWatchPath);

    CreateShortcuts();
    return true;
}

void CMainFrame::PlaceCentred() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.x() + desktop.width() / 2 - kWidth / 2,
         desktop.y() + desktop.height() / 2 - kHeight / 2);
}

void CMainFrame::ApplyRoundedMask() {
    QPainterPath path;
    const qreal radius = kCornerEllipse / 2.0;
    path.addRoundedRect(QRectF(0, 0, width(), height()), radius, radius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyRoundedMask();
    if (panel_)
        panel_->Widget().setGeometry(rect());
}

void CMainFrame::CreateShortcuts() {
    for (const AcceleratorKey& key : AcceleratorTable()) {
        auto shortcut = std::make_unique<QShortcut>(key.keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(true);
        const int command = key.command;
        connect(shortcut.get(), &QShortcut::activated, this,
                [this, command] { RunAccelerator(command); });
        shortcut.release(); // owned by the frame, its parent
    }
}

void CMainFrame::RunAccelerator(int command) {
    if (panel_)
        panel_->OnPanelCommand(command);
}

void CMainFrame::OpenVolume() {
    volume_ = setup_.openVolume ? setup_.openVolume() : std::make_unique<CVolumeOutMaster>();
    if (!volume_ || volume_->IsAvailable() == 0) {
        panel_->DisableVolume();
        return;
    }
    std::uint32_t muted = 0;
    const bool haveMute = volume_->GetMute(muted) != 0;
    if (haveMute)
        volume_->SetMute(muted);
    volume_->SetVolumeCallback(
        [this](std::uint8_t percent, std::uintptr_t) { OnVolumeChanged(percent); }, 0);
    volume_->SetMuteCallback([this](int soundOn, std::uintptr_t) { OnMuteChanged(soundOn); }, 0);
    OnVolumeChanged(volume_->GetVolumePercent());
    panel_->ShowMute(haveMute && muted != 0);
}

void CMainFrame::OnVolumeChanged(int percent) {
    if (!panel_)
        return;
    const auto [low, high] = panel_->VolumeRange();
    panel_->ShowVolume(std::clamp(percent, low, std::max(low, high)));
}

void CMainFrame::OnMuteChanged(int soundOn) {
    if (panel_)
        panel_->ShowMute(soundOn == 0);
}

void CMainFrame::OnKeyChannelFileChanged(int channel) {
    // The stepping code may tell from the play control's thread; the panel is touched only
    // on the user-interface thread.
    QMetaObject::invokeMethod(
        this, [this, channel] { HandleKeyChannelChange(channel); }, Qt::QueuedConnection);
}

void CMainFrame::HandleKeyChannelChange(int channel) {
    const CDriveRecInfo* recording = recordings_.At(search_ ? search_->CurrentRecording() : -1);
    if (recording == nullptr || recording->m_nMode != kRecordingModeNormal ||
        recording->m_nKeyChannel != channel)
        return;
    TRACE("KeyChannel[%d] VDX file is changed.", channel);
    panel_->OnKeyChannelFileChanged(channel);
}

void CMainFrame::ShowSelectedRecording(int index, int loadedKind) {
    // A normal recording gives the time bar its span, starting at its begin.
    const CDriveRecInfo* recording = recordings_.At(index);
    if (loadedKind == kLoadedNormal && recording != nullptr)
        SetTimeRange(recording->m_llBegin, recording->m_llEnd, recording->m_llBegin);
    if (panel_)
        panel_->ShowSelected(index, loadedKind);
}

void CMainFrame::CheckMounts() {
    if (mountWatcher_)
        mountWatcher_->CheckNow();
}

void CMainFrame::OnMountChanges(const MountChanges& changes) {
    for ([[maybe_unused]] const auto& mount : changes.added)
        TRACE("Media Inserted");
    for (const auto& mount : changes.removed) {
        TRACE("Media Removed : %s", mount.mountPoint.c_str());
        OnMountRemoved(mount, changes.before);
    }
}

void CMainFrame::OnMountRemoved(const MountEntry& removed, std::span<const MountEntry> before) {
    if (!search_ || search_->RootPath().empty())
        return;
    // The mount that held the card root before the change: only its removal takes the
    // recordings away (another card or drive going changes nothing).
    const MountEntry* holder = MountHolding(before, search_->RootPath());
    if (holder == nullptr || holder->mountId != removed.mountId ||
        holder->mountPoint != removed.mountPoint)
        return;
    if (ModalDialogFlag != 0)
        return;
    playControl_->Stop();
    playControl_->StopLogPlay();
    panel_->CloseFileList();
    search_->Clear();
    search_->SetRootPath({});
    if (TheApp() != nullptr)
        TheApp()->SetLoadedKind(kLoadedNone);
    ShowMessage(Lang("Message", "MediaRemoved", "Media has been removed."));
}

void CMainFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CMainFrame::mouseMoveEvent(QMouseEvent* event) {
    // The window has no caption: a drag with the left button anywhere moves it.
    if (dragOffset_ && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CMainFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragOffset_.reset();
    QWidget::mouseReleaseEvent(event);
}

IUserMessages& CMainFrame::Messages() {
    if (setup_.messages != nullptr)
        return *setup_.messages;
    if (TheApp() != nullptr)
        return TheApp()->Messages();
    static CMessageBoxes boxes;
    return boxes;
}

void CMainFrame::ShowMessage(const std::string& text) {
    Messages().ShowMessage(this, kAppName, QString::fromStdString(text));
}

int CMainFrame::LoadedKind() const {
    return TheApp() != nullptr ? TheApp()->LoadedKind() : 0;
}

void CMainFrame::ClearViews() {
    if (panel_)
        panel_->ClearViews();
}

void CMainFrame::SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) {
    if (panel_)
        panel_->SetTimeRange(start, end, current);
}

int CMainFrame::CurrentRecording() const {
    return search_ ? search_->CurrentRecording() : -1;
}
int CMainFrame::RecordingCount() const {
    return recordings_.Count();
}
CDriveRecInfo* CMainFrame::Recording(int index) {
    return recordings_.At(index);
}
void CMainFrame::SelectRecording(int index) {
    if (search_)
        search_->SelectRecording(index);
}
int CMainFrame::CarPulseSpeed(int pulsesPerSecond) const {
    return search_ ? search_->CarPulseSpeed(pulsesPerSecond) : 0;
}

} // namespace trevix
