#include "playback/ui/WndPanePanel.h"

#include "app/Lang.h"
#include "app/ViewerConfig.h"
#include "app/ui/Skin.h"
#include "catalogue/SearchViews.h"
#include "playback/ui/PaneSurfaceGl.h"
#include "playback/ui/PaneVideo.h"

#include <QAction>
#include <QMenu>
#include <QMoveEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWindow>

namespace trevix {

namespace {

// The main window's corners outside the full-screen state.
constexpr int kMainCornerEllipse = 13;

QRegion RoundedRegion(QSize size) {
    QPainterPath path;
    const qreal radius = kMainCornerEllipse / 2.0;
    path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

QString MenuText(const char* key, const char* englishDefault) {
    return QString::fromStdString(Lang("PullDownMenu", key, englishDefault));
}

bool ChooseAccelerated(const PanePanelSetup& setup) {
    if (setup.path == PaneDisplayPath::Painter)
        return false;
    if (setup.config != nullptr && setup.config->ForceGDI() != 0)
        return false;
    return OpenGlPanesAvailable();
}

} // namespace

CWndPanePanel::CWndPanePanel(PanePanelSetup setup, QWidget* parent)
    : QWidget(parent), setup_(setup),
      ownMonitors_(setup.monitors == nullptr ? std::make_unique<CMonitorInfo>() : nullptr),
      monitors_(setup.monitors != nullptr ? *setup.monitors : *ownMonitors_),
      accelerated_(ChooseAccelerated(setup)),
      rate_(setup.cpuLevel ? CPaneDisplayRate(*setup.cpuLevel) : CPaneDisplayRate()) {
    setObjectName(QStringLiteral("PanePanel"));
    if (setup_.skin != nullptr)
        LoadSkinImages(*setup_.skin);
    CreatePanes();
    SetLayout(PaneLayout::Quad, 0);
}

CWndPanePanel::~CWndPanePanel() {
    if (window() != this)
        window()->removeEventFilter(this);
}

void CWndPanePanel::LoadSkinImages(const CSkin& skin) {
    noPicture_ = skin.Picture(kSkinNoPicture);
    hiddenPicture_ = skin.Picture(kSkinHiddenPicture);
}

void CWndPanePanel::CreatePanes() {
    for (int index = 0; index < kPaneCount; ++index) {
        auto pane = std::make_unique<CPaneVideo>(index, *this, accelerated_);
        pane->setVisible(index < 4);
        panes_[static_cast<std::size_t>(index)] = pane.release(); // owned by the panel
    }
}

CPaneVideo& CWndPanePanel::Pane(int index) const {
    return *panes_[static_cast<std::size_t>(std::clamp(index, 0, kPaneCount - 1))];
}

PaneDrawStats CWndPanePanel::PaneStats(int index) const {
    return Pane(index).Stats();
}

int CWndPanePanel::Vendor() const {
    return setup_.appState != nullptr ? setup_.appState->Vendor() : 1;
}

int CWndPanePanel::LoadedKind() const {
    return setup_.appState != nullptr ? setup_.appState->LoadedKind() : kLoadedNone;
}

bool CWndPanePanel::DebugMode() const {
    return setup_.appState != nullptr && setup_.appState->DebugMode();
}

int CWndPanePanel::CamFlip(int channel) const {
    return setup_.config != nullptr ? setup_.config->CamFlip(channel) : 0;
}

// ---- pictures --------------------------------------------------------------------------------

void CWndPanePanel::SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame) {
    if (frame.pane < 0 || frame.pane >= kPaneCount)
        return;
    Pane(frame.pane).SetFrame(eventCodeEx, phase, frame);
}

void CWndPanePanel::RepaintAll() {
    for (CPaneVideo* pane : panes_)
        pane->RequestRepaint();
}

bool CWndPanePanel::AdmitPicture(int pane, std::int64_t pictureMs, bool plainPath) {
    const PaneLayout layout = layout_.load();
    CPaneDisplayRate::Picture picture;
    picture.pane = pane;
    picture.timeMs = pictureMs;
    picture.measure = pane < CMgrDisplayFps::kChannels && layout != PaneLayout::Thumbnail;
    picture.limit = plainPath;
    picture.playState = setup_.playback != nullptr ? setup_.playback->PlayState() : 1;
    return rate_.OnPicture(picture);
}

OsdContext CWndPanePanel::OsdContextFor(int pane, const PaneStatus& status,
                                        bool accelerated) const {
    OsdContext context;
    context.layout = layout_.load();
    context.pane = pane;
    context.channel = channel_.load();
    context.logPreviewChannel = logPreviewChannel_.load();
    context.thumbCurrent = thumbCurrent_.load();
    context.memoLoaded = LoadedKind() == kLoadedMemo;
    context.debug = DebugMode();
    context.accelerated = accelerated;
    if (context.debug && setup_.appState != nullptr)
        context.speedKmh = setup_.appState->CarPulseSpeed(status.frame.speedRaw);
    return context;
}

bool CWndPanePanel::BorderPane(int pane) const {
    switch (layout_.load()) {
    case PaneLayout::Single:
        return pane == channel_.load();
    case PaneLayout::Quad:
        return pane == 0;
    case PaneLayout::Thumbnail:
        return pane == kThumbnailCurrentPane;
    case PaneLayout::Log:
        break;
    }
    return false;
}

void CWndPanePanel::OnPaneDrawn(int pane, const PaneStatus& status, bool hadPicture) {
    if (BorderPane(pane)) {
        const std::uint8_t flags = status.frame.flags;
        SetEventMarked((flags & kFlagEventBorder) != 0 && (flags & kFlagHiddenPicture) == 0);
    }
    if (hadPicture && layout_.load() == PaneLayout::Single && pane == channel_.load() &&
        setup_.backPanel != nullptr)
        setup_.backPanel->ShowGValues(status.frame.gX, status.frame.gY, status.frame.gZ - 1.0f);
}

void CWndPanePanel::SetEventMarked(bool marked) {
    if (marked == eventMarked_)
        return;
    eventMarked_ = marked;
    const QRegion edge =
        QRegion(rect()) - QRegion(rect().adjusted(kEventBorderWidth, kEventBorderWidth,
                                                  -kEventBorderWidth, -kEventBorderWidth));
    update(edge);
}

void CWndPanePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), setup_.borderColor);
    const int kind = LoadedKind();
    if (!eventMarked_ || (kind != kLoadedEvent && kind != kLoadedNormal))
        return;
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), kEventBorderWidth), kEventBorderColour);
    painter.fillRect(
        QRect(r.left(), r.bottom() - kEventBorderWidth + 1, r.width(), kEventBorderWidth),
        kEventBorderColour);
    painter.fillRect(QRect(r.left(), r.top(), kEventBorderWidth, r.height()), kEventBorderColour);
    painter.fillRect(
        QRect(r.right() - kEventBorderWidth + 1, r.top(), kEventBorderWidth, r.height()),
        kEventBorderColour);
}

// ---- layouts ---------------------------------------------------------------------------------

void CWndPanePanel::ClearPane(int pane) {
    Pane(pane).SetFrame(0, 0, EmptyPaneFrame(pane));
}

void CWndPanePanel::ClearPanes() {
    for (int pane = 0; pane < kPaneCount; ++pane)
        ClearPane(pane);
    SetEventMarked(false);
}

void CWndPanePanel::PlacePanes() {
    const PaneLayout layout = layout_.load();
    const int channel = channel_.load();
    const bool movedRule = movedRule_ && Vendor() != 1;
    for (int index = 0; index < kPaneCount; ++index) {
        CPaneVideo& pane = Pane(index);
        const bool visible = PaneVisible(layout, index, channel);
        const std::optional<QRect> moved =
            movedRule ? MovedPaneRect(layout, index, size()) : std::nullopt;
        if (moved)
            pane.setGeometry(*moved);
        else if (visible)
            pane.setGeometry(PaneRect(layout, index, channel, size()));
        pane.SetAcceleratedActive(layout != PaneLayout::Log);
        pane.setVisible(visible);
    }
}

void CWndPanePanel::FinishLayout(PaneLayout layout) {
    layout_.store(layout);
    movedRule_ = false; // a layout takes its own geometry until the panel moves
    PlacePanes();
    rate_.ResetRates();
    update();
}

void CWndPanePanel::LeaveThumbnailControls() {
    if (setup_.backPanel != nullptr)
        setup_.backPanel->EnableTransportButtons(true);
}

void CWndPanePanel::SetLayout(PaneLayout layout, int channel) {
    switch (layout) {
    case PaneLayout::Quad:
    case PaneLayout::Single:
        ShowChannelLayout(layout, channel);
        return;
    case PaneLayout::Thumbnail:
        ShowThumbnailLayout(channel);
        return;
    case PaneLayout::Log:
        ShowLogLayout();
        return;
    }
}

void CWndPanePanel::ShowChannelLayout(PaneLayout layout, int channel) {
    const bool fromThumbnail = layout_.load() == PaneLayout::Thumbnail;
    if (setup_.backPanel != nullptr) {
        setup_.backPanel->ShowLayoutButtons();
        setup_.backPanel->ShowTimeSlideBar(true);
    }
    if (fromThumbnail) {
        LeaveThumbnailControls();
        ClearPanes();
    }
    if (setup_.logViews != nullptr)
        setup_.logViews->Show(false);
    if (layout == PaneLayout::Quad) {
        channel_.store(0);
        for (int pane = 4; pane < kPaneCount; ++pane)
            ClearPane(pane);
    } else {
        channel_.store(std::clamp(channel, 0, 3));
    }
    FinishLayout(layout);
    if (fromThumbnail && setup_.playback != nullptr)
        setup_.playback->ShowCurrentTimeAgain();
}

void CWndPanePanel::ShowThumbnailLayout(int channel) {
    const PaneLayout current = layout_.load();
    if (current != PaneLayout::Quad && current != PaneLayout::Single)
        return;
    const int source = current == PaneLayout::Quad ? channel : channel_.load();
    if (source < 0 || source > 3 || Pane(source).FrameCount() <= 0)
        return; // nothing shown in the pane that would supply the channel
    channel_.store(source);
    previousLayout_ = current;
    if (setup_.backPanel != nullptr)
        setup_.backPanel->EnableTransportButtons(false);
    if (setup_.logViews != nullptr)
        setup_.logViews->Show(false);
    if (setup_.playback != nullptr)
        setup_.playback->Stop();
    thumbCurrent_.store(-1);
    ClearPanes();
    FinishLayout(PaneLayout::Thumbnail);
    if (setup_.playback != nullptr)
        setup_.playback->FillThumbnails(source);
}

void CWndPanePanel::ShowLogLayout() {
    if (layout_.load() == PaneLayout::Thumbnail)
        LeaveThumbnailControls(); // Play and the speeds serve the log list too
    if (setup_.playback != nullptr)
        setup_.playback->Stop();
    for (int pane = 0; pane < kPaneCount; ++pane)
        ClearPane(pane);
    if (setup_.logViews != nullptr) {
        setup_.logViews->Place(size());
        setup_.logViews->Show(true);
    }
    if (setup_.backPanel != nullptr) {
        setup_.backPanel->HideQuadAndThumbnailButtons();
        setup_.backPanel->ShowTimeSlideBar(false);
    }
    FinishLayout(PaneLayout::Log);
}

bool CWndPanePanel::HasPreviewPicture() const {
    return layout_.load() != PaneLayout::Log || Pane(0).HasPicture();
}

void CWndPanePanel::SetLogPreviewChannel(int channel) {
    logPreviewChannel_.store(std::clamp(channel, 0, 3));
    if (setup_.logViews != nullptr)
        setup_.logViews->ShowCurrentSample();
}

void CWndPanePanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (Vendor() != 1) {
        movedRule_ = true;
        PlacePanes();
    }
}

void CWndPanePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlacePanes();
    if (layout_.load() == PaneLayout::Log && setup_.logViews != nullptr)
        setup_.logViews->Place(size());
}

// ---- pane menu, thumbnail toggle, dragging ---------------------------------------------------

void CWndPanePanel::RunPaneCommand(int pane, int commandId) {
    if (commandId != kCmdPaneViewNormal && commandId != kCmdPaneViewMirror)
        return;
    const int channel =
        MirrorChannel(layout_.load(), pane, channel_.load(), logPreviewChannel_.load());
    const int current = CamFlip(channel);
    int wanted = current;
    if (commandId == kCmdPaneViewNormal && current != kCamFlipNormal)
        wanted = kCamFlipNormal;
    if (commandId == kCmdPaneViewMirror && current == kCamFlipNormal)
        wanted = kCamFlipMirror;
    if (wanted == current || setup_.config == nullptr)
        return;
    setup_.config->SetCamFlip(channel, wanted);
    setup_.config->WriteCamFlip(channel, wanted);
    Pane(pane).DiscardImage();
    if (setup_.playback != nullptr)
        setup_.playback->CamFlipChanged(channel);
}

void CWndPanePanel::OnPaneLeftPress(CPaneVideo&, QPoint globalPos) {
    dragOffset_ = globalPos - window()->frameGeometry().topLeft();
}

bool CWndPanePanel::OnPaneDrag(QPoint globalPos) {
    if (!dragOffset_ || Vendor() == 1 || fullScreen_)
        return false;
    const QPoint target = globalPos - *dragOffset_;
    if (target == window()->frameGeometry().topLeft())
        return false;
    window()->move(target);
    return true;
}

void CWndPanePanel::OnPaneLeftRelease(CPaneVideo& pane, QPoint globalPos, bool dragged) {
    dragOffset_.reset();
    const PaneLayout layout = layout_.load();
    // A release that ends a drag of the window is no menu request.
    if (dragged || (layout != PaneLayout::Quad && layout != PaneLayout::Single) ||
        !pane.HasPicture())
        return;
    QMenu menu(this);
    QAction* normal = menu.addAction(MenuText("ViewNormal", "Normal"));
    QAction* mirror = menu.addAction(MenuText("ViewMirror", "Mirror"));
    normal->setData(kCmdPaneViewNormal);
    mirror->setData(kCmdPaneViewMirror);
    normal->setCheckable(true);
    mirror->setCheckable(true);
    const int channel = MirrorChannel(layout, pane.Index(), channel_.load(), 0);
    (CamFlip(channel) != 0 ? mirror : normal)->setChecked(true);
    QAction* chosen = menuRunner_ ? menuRunner_(menu, globalPos) : menu.exec(globalPos);
    if (chosen != nullptr)
        RunPaneCommand(pane.Index(), chosen->data().toInt());
}

void CWndPanePanel::OnPaneRightPress(CPaneVideo& pane) {
    if (LoadedKind() == kLoadedMemo)
        return;
    const PaneLayout layout = layout_.load();
    if (layout == PaneLayout::Thumbnail) {
        SetLayout(previousLayout_, channel_.load());
        return;
    }
    if ((layout == PaneLayout::Quad || layout == PaneLayout::Single) && pane.FrameCount() > 0)
        SetLayout(PaneLayout::Thumbnail, pane.Index());
}

// ---- enlarged and full-screen states ---------------------------------------------------------

void CWndPanePanel::SetMainWindowTopmost(bool topmost) {
    QWidget* main = window();
    Qt::WindowFlags flags = main->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    // The window system is told on the existing window: setting a widget's flags would make
    // the main window again, hiding it for a moment and losing the panes' OpenGL windows.
    main->overrideWindowFlags(flags);
    if (QWindow* handle = main->windowHandle())
        handle->setFlags(flags);
}

void CWndPanePanel::ToggleEnlarged() {
    if (Vendor() == 1 || setup_.appState == nullptr || !setup_.appState->HasRecordingsListed())
        return;
    if (fullScreen_) {
        LeaveFullScreen();
        return;
    }
    if (width() < kEnlargeBelowWidth && !enlarged_) {
        savedPanelRect_ = geometry();
        SetMainWindowTopmost(true);
        setGeometry(0, 0, kEnlargedWidth, kEnlargedHeight);
        raise();
        if (setup_.backPanel != nullptr)
            setup_.backPanel->ShowSurroundings(false);
        enlarged_ = true;
    } else if (enlarged_) {
        SetMainWindowTopmost(false);
        setGeometry(savedPanelRect_);
        if (setup_.backPanel != nullptr)
            setup_.backPanel->ShowSurroundings(true);
        enlarged_ = false;
    }
}

void CWndPanePanel::ToggleFullScreen() {
    if (Vendor() == 1 || setup_.appState == nullptr || !setup_.appState->HasRecordingsListed())
        return;
    if (enlarged_) {
        ToggleEnlarged();
        return;
    }
    if (width() < kEnlargeBelowWidth && !fullScreen_)
        EnterFullScreen();
    else if (fullScreen_)
        LeaveFullScreen();
}

void CWndPanePanel::EnterFullScreen() {
    QWidget* main = window();
    savedMainRect_ = main->geometry();
    savedPanelRect_ = geometry();
    const QPoint centre = main->frameGeometry().center();
    const int monitor = std::max(monitors_.MonitorFromPoint(centre.x(), centre.y()), 0);
    QRect screen = monitors_.GetMonitorRect(monitor);
    if (screen.isEmpty())
        return;
    fullScreen_ = true;
    if (main != this) {
        main->installEventFilter(this);
        main->setMask(QRegion(QRect(QPoint(0, 0), screen.size())));
        main->setGeometry(screen);
        SetMainWindowTopmost(true);
        setGeometry(QRect(QPoint(0, 0), screen.size()));
        raise();
    } else {
        setGeometry(screen);
    }
    if (setup_.backPanel != nullptr)
        setup_.backPanel->ShowSurroundings(false);
}

void CWndPanePanel::LeaveFullScreen() {
    QWidget* main = window();
    fullScreen_ = false;
    if (main != this) {
        main->removeEventFilter(this);
        main->setGeometry(savedMainRect_);
        main->setMask(RoundedRegion(savedMainRect_.size()));
        setGeometry(savedPanelRect_);
        SetMainWindowTopmost(false);
    } else {
        setGeometry(savedMainRect_);
    }
    if (setup_.backPanel != nullptr)
        setup_.backPanel->ShowSurroundings(true);
}

bool CWndPanePanel::eventFilter(QObject* watched, QEvent* event) {
    // The main window gives itself rounded corners on every resize; in the full-screen state
    // its region stays the whole monitor.
    if (fullScreen_ && watched == window() && event->type() == QEvent::Resize) {
        QTimer::singleShot(0, this, [this] {
            if (fullScreen_ && window() != this)
                window()->setMask(QRegion(window()->rect()));
        });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace trevix
