// The main panel: the whole client area of the main window. It paints the skin's background,
// holds the skinned buttons with their tool tips, the six buttons that drop down the menus, the
// mute box and volume bar, the speed indicator, the status digits, the car-signal indicator,
// the time bar and the four child windows, and runs the viewer's command table: every button,
// menu item and accelerator arrives at OnPanelCommand. It is the play control's window side:
// the status displays, the play host and the two sound outputs.
#pragma once

#include "app/CommandState.h"
#include "app/ui/MainFrm.h"
#include "app/ui/Skin.h"
#include "catalogue/MemoDisplay.h"
#include "playback/MgrPlayControl.h"
#include "playback/PanePanelCommands.h"
#include "playback/PlayViews.h"

#include <QRect>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace trevix {

class CLoadedRecordings;
class CThumbnailFiller;
class CWndPanePanel;
class CWndSearch;
class CZVButton;
class CZVCarSignal;
class CZVCheckBox;
class CZVDigitDateTime;
class CZVDigitGVal;
class CZVDigitGps;
class CZVDigitSpeed;
class CZVSlideBar;
class ViewerConfig;
class IUserMessages;

// The folder browser of the commands.
class IFolderBrowser {
public:
    virtual ~IFolderBrowser() = default;
    // The chosen folder; nullopt when the user cancels.
    virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& title,
                                                const QString& startFolder) = 0;
};

// Opens a file or web address with the program the desktop associates with it.
class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    virtual bool Open(const QUrl& url) = 0;
};

// The file-list window as the commands reach it.
class IFileListCommands {
public:
    virtual ~IFileListCommands() = default;
    virtual void ShowList(SearchList list) = 0; // as its tab buttons do
    virtual void CheckAll() = 0;
    virtual void UncheckAll() = 0;
    virtual void Close() = 0; // leaves the loaded state
    virtual void ShowTabsAndLists() = 0;
    virtual bool ShowsLoadedList() const = 0;
    virtual bool LoadedLogListVisible() const = 0;
    virtual int TickedMemoCount() const = 0;
};

// A G-sensor graph control (the G-sensor window's and the pane panel's).
class IGraphCommands {
public:
    virtual ~IGraphCommands() = default;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void SetScale(int scale) = 0; // 1 ... 4: +-1 ... +-4 g
    virtual void ClearSamples() = 0;
};

// What the panel reaches of the application object and the main frame.
class IMainPanelHost {
public:
    virtual ~IMainPanelHost() = default;
    virtual ViewerConfig& Config() = 0;
    virtual std::filesystem::path StartDirectory() const = 0;
    virtual int LoadedKind() const = 0;
    virtual void SetLoadedKind(int kind) = 0;
    virtual void ShowAboutBox() = 0;
    virtual void MinimizeWindow() = 0;
    // Posts the close request to the main window.
    virtual void PostCloseRequest() = 0;
    // The managers and the volume; null until the frame has made them.
    virtual CMgrDBSearch* Search() = 0;
    virtual CMgrPlayControl* PlayControl() = 0;
    virtual CVolumeOutMaster* Volume() = 0;
    virtual ILoadedRecordings* Recordings() = 0;
    // The frame's own list of loaded recordings, which the loads of the file-list window fill;
    // null: the file-list window lists, but loads nothing.
    virtual CLoadedRecordings* LoadedRecordings() { return nullptr; }
    // The crashed-file check offered before a removable card is scanned; null: none.
    virtual ICardCheckHost* CardChecks() = 0;
    // The root is the mount point of a removable card.
    virtual bool IsRemovableCard(const std::string& root) = 0;
    // Raises or lowers the frame's modal-dialog flag.
    virtual void SetModalDialog(bool raised) = 0;
};

// The services that reach the desktop; null entries take the real ones.
struct PanelServices {
    IUserMessages* messages = nullptr;
    IFolderBrowser* folders = nullptr;
    IUrlOpener* urls = nullptr;
    SkinMessages* skinMessages = nullptr;
};

// The host of a panel made by the main frame: the frame's managers and the application object.
// config and startDirectory replace the application's (tests); the application's are used when
// they are null or empty.
std::unique_ptr<IMainPanelHost> MakeFramePanelHost(CMainFrame& frame,
                                                   ViewerConfig* config = nullptr,
                                                   std::filesystem::path startDirectory = {});
// The panel the frame creates (MainFrameSetup::makePanel).
std::unique_ptr<IMainPanel> MakeMainBackPanel(CMainFrame& frame);

class CMainBackPanel final : public QWidget,
                             public IMainPanel,
                             private IStatusDisplays,
                             private IPlayHost {
    Q_OBJECT
public:
    // Rows at the top in which a drag moves the main window.
    static constexpr int kDragRows = 28;
    // A double click inside this rectangle exits; with vendor 1 a click in the second opens the
    // homepage.
    static constexpr QRect kExitCorner{QPoint(7, 7), QPoint(19, 19)};
    static constexpr QRect kVendorLink{QPoint(875, 38), QPoint(1005, 56)};
    static constexpr int kVolumeMin = 0;
    static constexpr int kVolumeMax = 100;
    static constexpr int kVolumeStart = 50;
    static constexpr int kVolumeDownStep = 8;
    static constexpr int kVolumeUpStep = 10;
    // Cards below this size (MB) are refused by the card tools.
    static constexpr std::uint64_t kMinCardMegabytes = 1500;

    // Builds the panel from the skin description "trevix.dsc" in the host's start directory.
    explicit CMainBackPanel(IMainPanelHost& host, PanelServices services = {},
                            QWidget* parent = nullptr);
    // The same, keeping its host for as long as the panel lives.
    CMainBackPanel(std::unique_ptr<IMainPanelHost> host, PanelServices services,
                   QWidget* parent = nullptr);
    ~CMainBackPanel() override;
    CMainBackPanel(const CMainBackPanel&) = delete;
    CMainBackPanel& operator=(const CMainBackPanel&) = delete;

    // IMainPanel
    QWidget& Widget() override { return *this; }
    void OnPanelCommand(int commandId) override;
    bool IsPaneEnlarged() const override;
    std::pair<int, int> VolumeRange() const override { return {kVolumeMin, kVolumeMax}; }
    void ShowVolume(int level) override;
    void ShowMute(bool soundOff) override;
    void DisableVolume() override;
    void CloseFileList() override;
    void OnKeyChannelFileChanged(int channel) override;
    ISearchView* SearchView() override;
    ILoadingView* LoadingView() override;
    IPlayHost* PlayHost() override { return this; }
    PlayControlViews PlayViews() override;
    IPaneView* PaneView() override;
    void ClearViews() override;
    void SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) override;
    void ShowSelected(int index, int loadedKind) override;

    // Returns the views to their empty state (the file-list window uses both too).
    void ResetViews();
    void UnloadAll();

    // Drops a menu down below its button and runs the chosen item; blocks while it is open.
    void DropDownMenu(cmd::PanelMenu menu);

    // The state the graying rules and the command guards look at.
    CommandContext CurrentContext() const;

    // The real windows replace the plain child windows placed at skin items 1 - 4. A null
    // window keeps the window and only routes the commands elsewhere (tests).
    void SetPanePanel(QWidget* window, IPanePanelCommands* commands);
    void SetGraphControls(IGraphCommands* windowGraph, IGraphCommands* paneGraph);
    void SetFileListWindow(QWidget* window, IFileListCommands* commands);

    QWidget* PanePanel() const { return panePanel_; }
    // The pane panel the panel made; null when its skin item is missing.
    CWndPanePanel* PaneWindow() const { return paneWindow_; }
    QWidget* GSensorWindow() const { return gSensorWindow_; }
    QWidget* MapWindow() const { return mapWindow_; }
    QWidget* FileListWindow() const { return fileListWindow_; }
    // The file-list window the panel made; null when its skin item is missing.
    CWndSearch* SearchWindow() const { return searchWindow_; }
    // The button of a command; null when its skin item is missing.
    CZVButton* Button(int commandId) const;
    CZVCheckBox* MuteBox() const { return muteBox_; }
    const QRect& SpeedIndicatorRect() const { return speedRect_; }
    QString SpeedIndicatorText() const { return speedText_; }
    int VolumeLevel() const { return volumeLevel_; }
    bool SoundOn() const { return soundOn_; }
    // The status displays and slide bars.
    CZVDigitDateTime* DateTimeDisplay() const { return dateTime_; }
    CZVDigitSpeed* SpeedDisplay() const { return speed_; }
    CZVDigitGVal* GValueDisplay(int axis) const; // 0 X, 1 Y, 2 Z
    CZVDigitGps* GpsDisplay() const { return gps_; }
    CZVCarSignal* CarSignalDisplay() const { return carSignal_; }
    CZVSlideBar* VolumeBar() const { return volumeBar_; }
    CZVSlideBar* TimeBar() const { return timeBar_; }
    // The recording's sound output used at x1.
    CWaveOutPlaySound& RecordingSound() { return recordingSound_; }
    // The memo whose pictures are shown; empty when none.
    const std::string& ShownMemo() const { return shownMemo_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    class FileListHost;
    class FileListLoadTarget;
    class FileListMessages;
    class PaneLinks;
    class MemoViews;
    class RecordingPanes;

    // IStatusDisplays: the speed indicator is the panel's; the digits belong to their controls.
    void ShowDateTime(const SYSTEMTIME& time) override;
    void ShowGValues(float x, float y, float z) override;
    void ShowSpeed(int kmh, const GPSINFO& fix) override;
    void ShowGps(const GPSINFO& fix) override;
    void ShowCarSignal(std::uint8_t bits) override;
    void ShowTimeSlider(std::int64_t seconds) override;
    void ShowSpeedIndicator(std::string_view text) override;

    // IPlayHost
    int LoadedKind() const override;
    bool IsThumbnailLayout() const override;
    bool IsSingleLayout() const override;
    bool IsPanelEnlarged() const override { return IsPaneEnlarged(); }
    void SelectListRow(int loadedKind, int recordingIndex) override;
    void UpdatePanesForSample(int) override {}
    std::string SelectedMemoPicture() const override;

    // Creation steps.
    void CreateButtons();
    void CreateMuteBox();
    void PlaceChildWindows();
    QWidget* PlacePlainChild(int skinItem, const char* objectName);
    void CreateFileListWindow();
    void CreatePanePanel();
    void CreateStatusDisplays();
    void CreateSlideBars();
    void NormaliseDisplaySpeed();

    // Command groups.
    bool RunFileCommand(int id);
    bool RunToolCommand(int id);
    bool RunViewCommand(int id);
    bool RunPlayCommand(int id);
    void StopPlayback(bool includeLogPlayback);
    void Message(const QString& caption, std::string_view key, std::string_view englishDefault);
    QString ChooseFolder(const QString& title);
    void SelectDataFolder();
    void RefuseEmptyExport(const QString& caption);
    void SaveImage();
    void PrintImages();
    void SaveAvi();
    void Backup();
    void ConvertKml();
    void DeviceSetting();
    void InitialiseCard();
    bool RefuseSmallCard(const std::string& root, const QString& caption);
    void OpenHelpFile();
    void OpenHomepage();
    void ChooseModel(int model);
    void ChooseSpeed(int displaySpeed);
    void ShowLayout(PaneLayout layout, int channel);
    void ScaleGraphs(int scale);
    void ZoomGraphs(bool in);
    void ChangeVolume(int delta);
    void ToggleMute();
    void OnVolumeBarMoved(int position);
    void OnTimeBarMoving();
    void OnTimeBarReleased();
    void ShowTimeBarMarks(int index);
    // The time bar at the local time: start, end and position now.
    void ShowTimeBarAtNow();

    // The pane panel's requests.
    void ShowCurrentTimeAgain();
    void FillThumbnails(int channel);
    void TakeCamFlip();
    void ShowSurroundings(bool show);
    void SetButtonsShown(std::span<const int> ids, bool shown);
    void SetButtonsEnabled(std::span<const int> ids, bool enabled);
    // A memo line was picked: its pictures, its time and its sound.
    void ShowMemo(const std::string& memoAudioPath);
    void StopMemoSound();

    int Vendor() const;
    int RecordingCount() const;
    int LogFileCount() const;
    bool RootPathEmpty() const;
    void SetMemoButtonsEnabled(bool enabled);
    CDriveRecInfo* CurrentRecording() const;

    std::unique_ptr<IMainPanelHost> ownHost_;
    IMainPanelHost& host_;
    std::unique_ptr<IUserMessages> ownMessages_;
    std::unique_ptr<IFolderBrowser> ownFolders_;
    std::unique_ptr<IUrlOpener> ownUrls_;
    IUserMessages& messages_;
    IFolderBrowser& folders_;
    IUrlOpener& urls_;

    // Children in the order of ownership; all are Qt children of the panel.
    QWidget* panePanel_ = nullptr;
    CWndPanePanel* paneWindow_ = nullptr;
    QWidget* gSensorWindow_ = nullptr;
    QWidget* mapWindow_ = nullptr;
    QWidget* fileListWindow_ = nullptr;
    IPanePanelCommands* paneCommands_ = nullptr;
    IGraphCommands* windowGraph_ = nullptr;
    IGraphCommands* paneGraph_ = nullptr;
    IFileListCommands* fileListCommands_ = nullptr;
    // What the pane panel and the file-list window reach; the destructor removes both windows
    // before these go.
    std::unique_ptr<PaneLinks> paneLinks_;
    std::unique_ptr<MemoViews> memoViews_;
    std::unique_ptr<RecordingPanes> recordingPanes_;
    std::unique_ptr<FileListHost> fileListHost_;
    std::unique_ptr<FileListLoadTarget> loadTarget_;
    std::unique_ptr<FileListMessages> fileListMessages_;
    CWndSearch* searchWindow_ = nullptr;
    std::map<int, CZVButton*> buttons_;
    CZVCheckBox* muteBox_ = nullptr;
    CZVDigitDateTime* dateTime_ = nullptr;
    CZVDigitSpeed* speed_ = nullptr;
    std::array<CZVDigitGVal*, 3> gValues_{};
    CZVDigitGps* gps_ = nullptr;
    CZVCarSignal* carSignal_ = nullptr;
    CZVSlideBar* volumeBar_ = nullptr;
    CZVSlideBar* timeBar_ = nullptr;
    QRect speedRect_;
    QString speedText_;
    int volumeLevel_ = kVolumeStart;
    bool soundOn_ = true;

    // The sound outputs the play control uses; they outlive it (the frame removes its managers
    // before its panel).
    CWaveOutPlaySound recordingSound_;
    CMemoFileSound memoSound_;
    CMemoDisplay memoDisplay_;
    std::string shownMemo_;
    std::unique_ptr<CThumbnailFiller> thumbnails_;

    CSkin skin_;
    SkinPicture background_;
    std::optional<QPoint> dragOffset_;
};

} // namespace trevix
