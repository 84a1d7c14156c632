// The viewer's only top-level window: a fixed 1024 x 768 frameless window with rounded corners.
// It owns the main panel, the three managers (catalogue, play control, map synchronisation),
// the loaded recordings and the master volume; it routes the keyboard accelerators to the
// panel, watches the mount table for the card disappearing, and takes the key channel's
// file-change notice of a playing normal recording.
#pragma once

#include "app/ui/TrevixApp.h"
#include "catalogue/LoadedRecordings.h"
#include "catalogue/MgrDBSearch.h"
#include "catalogue/SearchViews.h"
#include "mapctrl/MgrMapSync.h"
#include "platform/MountTable.h"
#include "platform/MountWatcher.h"
#include "playback/MgrPlayControl.h"
#include "playback/PlayClock.h"
#include "playback/VolumeOutMaster.h"
#include "recorder/DriveRecChannel.h"
#include "recorder/DriveRecInfo.h"

#include <QKeySequence>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace trevix {

class CMainFrame;

// Accelerator commands of the key table; the frame hands them to the panel's command handler.
namespace accel {
inline constexpr int kSelectFolder = 32806;
inline constexpr int kLoadEvent = 32822;
inline constexpr int kLoadLog = 32807;
inline constexpr int kPrint = 32808;
inline constexpr int kExit = 32809;
inline constexpr int kCheckAll = 32810;
inline constexpr int kUncheckAll = 32811;
inline constexpr int kPaneEnter = 32855;
inline constexpr int kPaneAltEnter = 32856;
inline constexpr int kPlayStopToggle = 32771;
inline constexpr int kPrevFrameLeft = 32772;
inline constexpr int kPrevFrame = 32817;
inline constexpr int kNextFrameRight = 32773;
inline constexpr int kNextFrame = 32815;
inline constexpr int kPlay = 32849;
inline constexpr int kStop = 32819;
inline constexpr int kFastPlay = 32814;
inline constexpr int kReversePlay = 32816;
inline constexpr int kFastReversePlay = 32818;
inline constexpr int kHelp = 32820;
inline constexpr int kMenuFile = 32835; // ... 32839 Tool
inline constexpr int kMenuTool = 32839;
inline constexpr int kMenuHelp = 32840;        // vendor other than 1
inline constexpr int kMenuHelpVendor1 = 32841; // vendor 1
inline constexpr int kViewFront = 32850;       // ... 32852 Side
inline constexpr int kViewSide = 32852;
inline constexpr int kViewQuad = 32853;
} // namespace accel

// One row of the key table.
struct AcceleratorKey {
    QKeySequence keys;
    int command = 0;
};

// The key table: every key and its accelerator command.
std::span<const AcceleratorKey> AcceleratorTable();

// The main panel as the frame needs it. CMainBackPanel implements it.
class IMainPanel {
public:
    virtual ~IMainPanel() = default;
    virtual QWidget& Widget() = 0;

    // The panel's command handler: an identifier of its command table or a key of the
    // accelerator table (the panel decides what the key runs in its state).
    virtual void OnPanelCommand(int commandId) = 0;
    // The pane panel is enlarged or full screen.
    virtual bool IsPaneEnlarged() const = 0;

    // The volume bar's range, its level, the mute box (checked: sound off) and the reset and
    // disabled state used when the system volume cannot be opened.
    virtual std::pair<int, int> VolumeRange() const = 0;
    virtual void ShowVolume(int level) = 0;
    virtual void ShowMute(bool soundOff) = 0;
    virtual void DisableVolume() = 0;

    // The file-list window's Close: it leaves the loaded state and shows its lists again.
    virtual void CloseFileList() = 0;
    // The key channel of the current normal recording moved to another index file: rebuild
    // the pane panel's channel view and resynchronise it to the play time.
    virtual void OnKeyChannelFileChanged(int channel) = 0;

    // The views the catalogue manager and the play control report to; a null entry makes the
    // frame use a view that shows nothing.
    virtual ISearchView* SearchView() = 0;
    virtual ILoadingView* LoadingView() = 0;
    virtual IPlayHost* PlayHost() = 0;
    virtual PlayControlViews PlayViews() = 0;
    // The views cleared with the lists and the time bar (the catalogue's host calls).
    virtual void ClearViews() = 0;
    virtual void SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) = 0;
    // The windows' part of making loaded entry index current, after the recording has been
    // shown at its start.
    virtual void ShowSelected(int index, int loadedKind) = 0;
    // The video panes the loaded recordings hand their pictures to; none until the pane panel
    // is built.
    virtual IPaneView* PaneView() { return nullptr; }
};

// Everything the frame is built from; tests replace the parts that reach the system.
struct MainFrameSetup {
    // Creates the main panel as a child of the frame; without one the frame holds a plain
    // child widget named "MainBackPanel" that shows nothing.
    std::function<std::unique_ptr<IMainPanel>(CMainFrame& frame)> makePanel;
    // The mount table; the system's when null.
    std::shared_ptr<const IMountTable> mounts;
    // The file whose changes tell of mounts appearing and disappearing; empty: no watching
    // thread (tests call CheckMounts).
    std::string mountWatchPath = kSystemMountInfoPath;
    // Opens the master volume; the system's when null.
    std::function<std::unique_ptr<CVolumeOutMaster>()> openVolume;
    // Where message boxes go; the application's when null.
    IUserMessages* messages = nullptr;
    // The vendor setting (Vender).
    int vendor = 1;
};

class CMainFrame final : public QWidget,
                         public IChannelFileNotice,
                         public IRecordingNotices,
                         private IViewerHost,
                         private IPlayCatalogue {
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    static constexpr int kCornerEllipse = 13;

    explicit CMainFrame(MainFrameSetup setup = {});
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creation of the panel, the managers and the volume control; false when the panel or a
    // manager could not be created.
    bool Create();

    // Other windows reach the managers, the panel and the volume through these; they exist
    // from Create on (the panel is made first and must not use the managers while it is made).
    CMgrDBSearch& Search() { return *search_; }
    CMgrPlayControl& PlayControl() { return *playControl_; }
    CMgrMapSync& MapSync() { return *mapSync_; }
    IMainPanel& Panel() { return *panel_; }
    CVolumeOutMaster* Volume() { return volume_.get(); }
    // The same, null while the frame is still making its panel.
    CMgrDBSearch* SearchIfMade() { return search_.get(); }
    CMgrPlayControl* PlayControlIfMade() { return playControl_.get(); }
    CLoadedRecordings& Recordings() { return recordings_; }

    // Local time minus UTC at construction, in seconds.
    int UtcOffsetSeconds() const { return utcOffsetSeconds_; }
    // Set while a card operation runs a modal dialog on the card; a removal is then ignored.
    int ModalDialogFlag = 0;

    // Runs an accelerator command as its key does: the panel's command handler gets it.
    void RunAccelerator(int command);

    // Reads the mount table again and acts on mounts that came and went (the watcher's work;
    // tests call it after changing their table).
    void CheckMounts();
    // A mount disappeared: acts when it held the current card root.
    void OnMountRemoved(const MountEntry& removed, std::span<const MountEntry> before);

    // IChannelFileNotice / IRecordingNotices: message 1423 (any thread).
    void OnKeyChannelFileChanged(int channel) override;

    // The volume callbacks (user-interface thread).
    void OnVolumeChanged(int percent);
    void OnMuteChanged(int soundOn);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class PlainPanel;
    class QtPlayTimer;

    // IViewerHost
    void ShowMessage(const std::string& text) override;
    int LoadedKind() const override;
    void ClearViews() override;
    void SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) override;
    // IPlayCatalogue
    int CurrentRecording() const override;
    int RecordingCount() const override;
    CDriveRecInfo* Recording(int index) override;
    void SelectRecording(int index) override;
    int CarPulseSpeed(int pulsesPerSecond) const override;

    void PlaceCentred();
    void ApplyRoundedMask();
    void CreateShortcuts();
    void OpenVolume();
    void HandleKeyChannelChange(int channel);
    // The windows' part of making a loaded recording current.
    void ShowSelectedRecording(int index, int loadedKind);
    void OnMountChanges(const MountChanges& changes);
    IUserMessages& Messages();

    MainFrameSetup setup_;
    int utcOffsetSeconds_ = 0;

    // Construction order is destruction order reversed: the managers go before the panel.
    std::unique_ptr<IMainPanel> panel_;
    CLoadedRecordings recordings_;
    CSteadyPlayClock clock_;
    std::unique_ptr<QtPlayTimer> videoTimer_;
    std::unique_ptr<QtPlayTimer> logTimer_;
    std::unique_ptr<CMgrDBSearch> search_;
    std::unique_ptr<CMgrPlayControl> playControl_;
    std::unique_ptr<CMgrMapSync> mapSync_;
    std::unique_ptr<CVolumeOutMaster> volume_;
    std::shared_ptr<const IMountTable> mounts_;
    std::unique_ptr<MountWatcher> mountWatcher_;

    std::optional<QPoint> dragOffset_; // cursor position within the window while dragging
};

// The process's main frame, set when the application creates it; null before and after.
CMainFrame* TheMainFrame();
void SetTheMainFrame(CMainFrame* frame);

} // namespace trevix
