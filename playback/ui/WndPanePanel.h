// The video area of the main window: sixteen video panes arranged in the quad, single,
// thumbnail or log layout, the event border around them, the per-channel mirror setting of the
// pane menu, and the enlarged and full-screen states. Pictures arrive through IPaneView from
// the thread that steps the recording (which must have stopped before the panel goes); the
// panel's layouts and states change on the user-interface thread.
#pragma once

#include "catalogue/ThumbnailFiller.h"
#include "playback/MonitorInfo.h"
#include "playback/PaneDisplayRate.h"
#include "playback/PaneDrawStats.h"
#include "playback/PaneGeometry.h"
#include "playback/PaneOsd.h"
#include "playback/PanePanelCommands.h"
#include "playback/PanePanelLinks.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace trevix {

class CPaneVideo;
class CSkin;
class ViewerConfig;

// Commands of the pane menu.
inline constexpr int kCmdPaneViewNormal = 32861;
inline constexpr int kCmdPaneViewMirror = 32862;
// Skin items of the no-picture and hidden-picture images.
inline constexpr int kSkinNoPicture = 42;
inline constexpr int kSkinHiddenPicture = 54;
// The enlarged state's panel size and the width below which the states can be entered.
inline constexpr int kEnlargedWidth = 1024;
inline constexpr int kEnlargedHeight = 768;
inline constexpr int kEnlargeBelowWidth = 1020;
inline constexpr int kEventBorderWidth = 3;
inline constexpr QColor kEventBorderColour{255, 0, 0};
// CamFlip values the pane menu sets.
inline constexpr int kCamFlipNormal = 0;
inline constexpr int kCamFlipMirror = 2;

enum class PaneDisplayPath {
    Automatic, // OpenGL unless ForceGDI is set or no hardware OpenGL context is available
    Painter,   // always the plain QPainter path
};

// What the panel is built with; every pointer may be null (its steps are then skipped).
struct PanePanelSetup {
    ViewerConfig* config = nullptr; // ForceGDI, CamFlip1..4
    const CSkin* skin = nullptr;    // the no-picture and hidden-picture images
    QColor borderColor = Qt::black; // the back panel's background colour
    IPaneBackPanel* backPanel = nullptr;
    IPanePlayback* playback = nullptr;
    IPaneLogViews* logViews = nullptr;
    IPaneAppState* appState = nullptr;
    const CMonitorInfo* monitors = nullptr; // the panel's own list when null
    std::optional<int> cpuLevel;            // detected when empty
    PaneDisplayPath path = PaneDisplayPath::Automatic;
};

class CWndPanePanel final : public QWidget, public IThumbnailPanes, public IPanePanelCommands {
    Q_OBJECT
public:
    explicit CWndPanePanel(PanePanelSetup setup, QWidget* parent = nullptr);
    ~CWndPanePanel() override;
    CWndPanePanel(const CWndPanePanel&) = delete;
    CWndPanePanel& operator=(const CWndPanePanel&) = delete;

    // IPaneView (any thread): the record's pane receives it; other pane numbers are ignored.
    void SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame) override;
    void RepaintAll() override;
    // IThumbnailPanes
    void SetThumbCurrent(int pane) override { thumbCurrent_.store(pane); }

    // IPanePanelCommands (user-interface thread)
    PaneLayout Layout() const override { return layout_.load(); }
    bool IsEnlarged() const override { return enlarged_ || fullScreen_; }
    bool HasPreviewPicture() const override;
    void SetLayout(PaneLayout layout, int channel) override;
    void SetLogPreviewChannel(int channel) override;
    void ClearPanes() override;
    void ToggleEnlarged() override;
    void ToggleFullScreen() override;

    // The pane commands 32861 (Normal) and 32862 (Mirror) for a pane.
    void RunPaneCommand(int pane, int commandId);
    // The menu of the pane menu runs through this (tests choose an item); the default opens it
    // at the position and returns the chosen action.
    using MenuRunner = std::function<QAction*(QMenu& menu, QPoint globalPos)>;
    void SetMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }
    // Told of every picture of every pane (null: nobody).
    void SetDrawObserver(IPaneDrawObserver* observer) { observer_.store(observer); }
    IPaneDrawObserver* DrawObserver() const { return observer_.load(); }

    CPaneVideo& Pane(int index) const;
    PaneDrawStats PaneStats(int index) const;
    int Channel() const { return channel_.load(); }
    PaneLayout PreviousLayout() const { return previousLayout_; }
    int ThumbCurrent() const { return thumbCurrent_.load(); }
    int LogPreviewChannel() const { return logPreviewChannel_.load(); }
    bool IsEventMarked() const { return eventMarked_; }
    bool IsFullScreen() const { return fullScreen_; }
    // Whether the OpenGL display path was chosen at creation.
    bool IsAccelerated() const { return accelerated_; }
    const CPaneDisplayRate& DisplayRate() const { return rate_; }
    const QImage& NoPictureImage() const { return noPicture_; }
    const QImage& HiddenPictureImage() const { return hiddenPicture_; }

    // For the panes (any thread): whether a picture given to pane at pictureMs is drawn.
    bool AdmitPicture(int pane, std::int64_t pictureMs, bool plainPath);
    // For the panes (user-interface thread).
    OsdContext OsdContextFor(int pane, const PaneStatus& status, bool accelerated) const;
    bool DebugMode() const;
    void OnPaneDrawn(int pane, const PaneStatus& status, bool hadPicture);
    void OnPaneLeftPress(CPaneVideo& pane, QPoint globalPos);
    // True when the move dragged the main window.
    bool OnPaneDrag(QPoint globalPos);
    void OnPaneLeftRelease(CPaneVideo& pane, QPoint globalPos, bool dragged);
    void OnPaneRightPress(CPaneVideo& pane);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePanes();
    void LoadSkinImages(const CSkin& skin);
    void PlacePanes();
    void ClearPane(int pane);
    void FinishLayout(PaneLayout layout);
    void ShowChannelLayout(PaneLayout layout, int channel);
    void ShowThumbnailLayout(int channel);
    void ShowLogLayout();
    void LeaveThumbnailControls();
    void SetEventMarked(bool marked);
    bool BorderPane(int pane) const;
    int Vendor() const;
    int LoadedKind() const;
    int CamFlip(int channel) const;
    void SetMainWindowTopmost(bool topmost);
    void EnterFullScreen();
    void LeaveFullScreen();

    PanePanelSetup setup_;
    std::unique_ptr<CMonitorInfo> ownMonitors_;
    const CMonitorInfo& monitors_;
    bool accelerated_ = false;
    CPaneDisplayRate rate_;

    std::array<CPaneVideo*, kPaneCount> panes_{}; // children of the panel
    std::atomic<PaneLayout> layout_{PaneLayout::Quad};
    PaneLayout previousLayout_ = PaneLayout::Quad;
    std::atomic<int> channel_{0};
    std::atomic<int> thumbCurrent_{-1};
    std::atomic<int> logPreviewChannel_{0};
    QImage noPicture_;
    QImage hiddenPicture_;
    bool enlarged_ = false;
    bool fullScreen_ = false;
    QRect savedPanelRect_;
    QRect savedMainRect_;
    bool eventMarked_ = false;
    bool movedRule_ = false;           // the vendor's simpler geometry since the panel last moved
    std::optional<QPoint> dragOffset_; // press point against the main window's corner
    std::atomic<IPaneDrawObserver*> observer_{nullptr};
    MenuRunner menuRunner_;
};

} // namespace trevix
