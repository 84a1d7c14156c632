#include "app/ui/MainBackPanel.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "app/ViewerConfig.h"
#include "app/ui/PanelMenus.h"
#include "app/ui/UiFonts.h"
#include "catalogue/ThumbnailFiller.h"
#include "catalogue/ui/DlgCheckCrash.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/WndSearch.h"
#include "control/ui/OutlinedText.h"
#include "control/ui/UiThread.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVCarSignal.h"
#include "control/ui/ZVCheckBox.h"
#include "control/ui/ZVDigitDateTime.h"
#include "control/ui/ZVDigitGVal.h"
#include "control/ui/ZVDigitGps.h"
#include "control/ui/ZVDigitSpeed.h"
#include "control/ui/ZVListBox.h"
#include "control/ui/ZVSlideBar.h"
#include "platform/CardPath.h"
#include "platform/MountTable.h"
#include "playback/ui/WndPanePanel.h"
#include "recorder/RecorderTime.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <limits>

namespace trevix {

using namespace cmd;

namespace {

QString Text(std::string_view section, std::string_view key, std::string_view englishDefault) {
    return QString::fromStdString(Lang(section, key, englishDefault));
}

QString AppName() {
    return QString::fromLatin1(kAppName);
}

class MessageBoxes final : public IUserMessages {
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override {
        QMessageBox::information(owner, caption, text);
    }
};

class DialogFolderBrowser final : public IFolderBrowser {
public:
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& title,
                                        const QString& startFolder) override {
        const QString folder = QFileDialog::getExistingDirectory(owner, title, startFolder);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }
};

class DesktopUrlOpener final : public IUrlOpener {
public:
    bool Open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

// The local time as the recorder's wall-clock fields.
SYSTEMTIME LocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(now.date().year());
    time.wMonth = static_cast<std::uint16_t>(now.date().month());
    time.wDayOfWeek = static_cast<std::uint16_t>(now.date().dayOfWeek() % 7);
    time.wDay = static_cast<std::uint16_t>(now.date().day());
    time.wHour = static_cast<std::uint16_t>(now.time().hour());
    time.wMinute = static_cast<std::uint16_t>(now.time().minute());
    time.wSecond = static_cast<std::uint16_t>(now.time().second());
    time.wMilliseconds = static_cast<std::uint16_t>(now.time().msec());
    return time;
}

// Total size of the file system holding path, in MB; nullopt when it cannot be read.
std::optional<std::uint64_t> TotalMegabytes(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return std::nullopt;
    return (static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize) >> 20;
}

// The card root of a chosen folder: the path as chosen, without a trailing separator.
std::string RootOfChoice(const QString& chosen) {
    std::string root = chosen.toStdString();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

// The crashed-file check before a removable card is scanned, with the question that offers the
// disk check. The disk check itself belongs to the card tools and is not offered by a dialog
// here yet.
class FrameCardChecks final : public ICardCheckHost {
public:
    FrameCardChecks(QWidget& owner, const IMountTable& mounts) : owner_(owner), mounts_(mounts) {}

    bool IsRemovable(const std::string& root) override {
        return IsRemovableCardRoot(mounts_, root);
    }
    bool CheckCrashedFiles(const std::string& root) override {
        return CDlgCheckCrash::CheckCard(root, &owner_);
    }
    bool AskOkCancel(const std::string& text) override {
        return QMessageBox::question(&owner_, AppName(), QString::fromStdString(text),
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }
    void RunCheckDisk(const std::string& root) override {
        TRACE("Check disk of %s is not available", root.c_str());
    }

private:
    QWidget& owner_;
    const IMountTable& mounts_;
};

// The frame's managers and the application object behind the panel's host interface.
class FramePanelHost final : public IMainPanelHost {
public:
    FramePanelHost(CMainFrame& frame, ViewerConfig* config, std::filesystem::path startDirectory)
        : frame_(frame), config_(config), startDirectory_(std::move(startDirectory)) {}

    ViewerConfig& Config() override {
        if (config_ != nullptr)
            return *config_;
        return TheApp() ? TheApp()->Config() : AppConfig();
    }
    std::filesystem::path StartDirectory() const override {
        if (!startDirectory_.empty())
            return startDirectory_;
        if (TheApp() != nullptr && !TheApp()->StartDirectory().empty())
            return TheApp()->StartDirectory();
        return std::filesystem::current_path();
    }
    int LoadedKind() const override { return TheApp() ? TheApp()->LoadedKind() : 0; }
    void SetLoadedKind(int kind) override {
        if (TheApp() != nullptr)
            TheApp()->SetLoadedKind(kind);
    }
    void ShowAboutBox() override {
        if (TheApp() != nullptr)
            TheApp()->OnAppAbout();
    }
    void MinimizeWindow() override { frame_.showMinimized(); }
    void PostCloseRequest() override {
        QMetaObject::invokeMethod(&frame_, &QWidget::close, Qt::QueuedConnection);
    }
    // Null while the frame is still making its panel.
    CMgrDBSearch* Search() override { return frame_.SearchIfMade(); }
    CMgrPlayControl* PlayControl() override { return frame_.PlayControlIfMade(); }
    CVolumeOutMaster* Volume() override { return frame_.Volume(); }
    ILoadedRecordings* Recordings() override { return &frame_.Recordings(); }
    CLoadedRecordings* LoadedRecordings() override { return &frame_.Recordings(); }
    ICardCheckHost* CardChecks() override { return &cardChecks_; }
    bool IsRemovableCard(const std::string& root) override {
        return IsRemovableCardRoot(mounts_, root);
    }
    void SetModalDialog(bool raised) override { frame_.ModalDialogFlag = raised ? 1 : 0; }

private:
    CMainFrame& frame_;
    ViewerConfig* config_;
    std::filesystem::path startDirectory_;
    SystemMountTable mounts_;
    FrameCardChecks cardChecks_{frame_, mounts_};
};

// One load's progress and cancel as a recording's loader sees them, over the dialog's handshake.
class HandshakeLoadProgress final : public ILoadProgress {
public:
    explicit HandshakeLoadProgress(CLoadHandshake& handshake) : handshake_(handshake) {}
    int LoadState() const override { return handshake_.State(); }
    void SetLoadState(int state) override { handshake_.SetState(state); }
    void SetProgressRange(int, int high) override { handshake_.SetProgressRange(high); }
    void SetProgressPos(int position) override { handshake_.SetProgressPos(position); }
    int AddFinishedLoader() override { return finished_.fetch_add(1) + 1; }
    void PostLoadFinished() override { handshake_.NotifyFinished(); }

private:
    CLoadHandshake& handshake_;
    std::atomic<int> finished_{0};
};

// The same for a log file's loading thread.
class HandshakeLogOwner final : public ILogLoadOwner {
public:
    explicit HandshakeLogOwner(CLoadHandshake& handshake) : handshake_(handshake) {}
    int LoadState() const override { return handshake_.State(); }
    void SetLoadState(int state) override { handshake_.SetState(state); }
    void SetProgressRange(int count) override { handshake_.SetProgressRange(count); }
    void SetProgressPos(int position) override { handshake_.SetProgressPos(position); }
    void ShowOwner() override {}
    void OnLoadFinished() override { handshake_.NotifyFinished(); }

private:
    CLoadHandshake& handshake_;
};

// The buttons a shown memo disables (stepping, zoom, 4x4: a memo is one picture per camera),
// and those its Close enables again (the quad and camera buttons too).
constexpr std::array<int, 9> kMemoDisabledButtons = {1010, 1011, 1012, 1015, 1016,
                                                     1017, 1018, 1114, 1147};
constexpr std::array<int, 13> kMemoEnabledButtons = {1010, 1011, 1012, 1015, 1016, 1017, 1018,
                                                     1114, 1119, 1120, 1121, 1122, 1147};
// The layout buttons: Front, Interior, Side, Rear, Quad and 4x4.
constexpr std::array<int, 6> kLayoutButtons = {1120, 1121, 1122, 1211, 1119, 1114};
constexpr std::array<int, 2> kQuadAndThumbnailButtons = {1119, 1114};
// The buttons that run the clock (the thumbnail layout disables them; the frame steps stay).
constexpr std::array<int, 5> kClockButtons = {1010, 1012, 1013, 1014, 1016};

// A status display at its place in the panel, with its glyph strips from the skin.
template <typename Display, typename... Args>
Display* PlaceDisplay(QWidget& panel, const CSkin& skin, const QRect& place, Args&&... args) {
    auto display = std::make_unique<Display>(std::forward<Args>(args)...);
    display->LoadStrips(skin);
    display->setParent(&panel);
    display->setGeometry(place);
    display->show();
    return display.release(); // owned by the panel from here on
}

// The decoding options of a thumbnail picture of channel.
PictureOptions ThumbnailOptions(const ViewerConfig& config, int channel) {
    const RecordingOptions recording = RecordingOptions::FromConfig(config);
    PictureOptions options;
    options.deblock = recording.deblock;
    options.deinterlace = recording.deinterlace;
    options.camFlip = recording.camFlip[static_cast<std::size_t>(std::clamp(channel, 0, 3))];
    return options;
}

std::int32_t ClampedSeconds(std::int64_t seconds) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(seconds, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

} // namespace

// The message boxes of the file-list window go where the panel's go.
class CMainBackPanel::FileListMessages final : public ISearchMessages {
public:
    explicit FileListMessages(IUserMessages& messages) : messages_(messages) {}
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override {
        messages_.ShowMessage(owner, caption, text);
    }

private:
    IUserMessages& messages_;
};

// What the pane panel reaches outside itself: the panel's buttons and displays, the play control
// and the catalogue, and the application's state.
class CMainBackPanel::PaneLinks final : public IPaneBackPanel,
                                        public IPanePlayback,
                                        public IPaneAppState {
public:
    PaneLinks(CMainBackPanel& panel, IMainPanelHost& host) : panel_(panel), host_(host) {}

    // IPaneBackPanel
    void ShowLayoutButtons() override { panel_.SetButtonsShown(kLayoutButtons, true); }
    void HideQuadAndThumbnailButtons() override {
        panel_.SetButtonsShown(kQuadAndThumbnailButtons, false);
    }
    void ShowTimeSlideBar(bool show) override {
        if (panel_.timeBar_ == nullptr)
            return;
        panel_.timeBar_->setVisible(show);
        panel_.update(CZVSlideBar::TimeLabelStrip().adjusted(-2, -4, 2, 2)); // the labels
    }
    void EnableTransportButtons(bool enable) override {
        panel_.SetButtonsEnabled(kClockButtons, enable);
    }
    void ShowGValues(float x, float y, float z) override { panel_.ShowGValues(x, y, z); }
    void ShowSurroundings(bool show) override { panel_.ShowSurroundings(show); }

    // IPanePlayback (PlayState from any thread)
    int PlayState() const override {
        const CMgrPlayControl* play = host_.PlayControl();
        return play != nullptr ? play->PlayState() : kPlayStopped;
    }
    void Stop() override {
        if (CMgrPlayControl* play = host_.PlayControl())
            play->Stop();
    }
    void ShowCurrentTimeAgain() override { panel_.ShowCurrentTimeAgain(); }
    void FillThumbnails(int channel) override { panel_.FillThumbnails(channel); }
    void CamFlipChanged(int) override { panel_.TakeCamFlip(); }

    // IPaneAppState
    int LoadedKind() const override { return host_.LoadedKind(); }
    int Vendor() const override { return panel_.Vendor(); }
    bool DebugMode() const override { return TheApp() != nullptr && TheApp()->DebugFlag(); }
    int CarPulseSpeed(int pulsesPerSecond) const override {
        const CMgrDBSearch* search = host_.Search();
        return search != nullptr ? search->CarPulseSpeed(pulsesPerSecond) : 0;
    }
    bool HasRecordingsListed() const override {
        const int kind = host_.LoadedKind();
        return (kind == kLoadedEvent || kind == kLoadedNormal) && panel_.RecordingCount() > 0;
    }

private:
    CMainBackPanel& panel_;
    IMainPanelHost& host_;
};

// What a shown memo reaches besides the panes: its sound, the time bar, the graphs and the
// play-time display. The map window shows nothing yet, so it has nothing to empty.
class CMainBackPanel::MemoViews final : public IMemoViews {
public:
    explicit MemoViews(CMainBackPanel& panel) : panel_(panel) {}

    void PrepareMemoSound(const std::string& audioPath) override { panel_.shownMemo_ = audioPath; }
    void SetTimeRangeToNow() override { panel_.ShowTimeBarAtNow(); }
    void ClearGraph() override {
        for (IGraphCommands* graph : {panel_.windowGraph_, panel_.paneGraph_})
            if (graph != nullptr)
                graph->ClearSamples();
    }
    void ShowPlayTime(std::int64_t timeMs) override { panel_.ShowDateTime(FromRecorderMs(timeMs)); }
    void ShowEmptyMap() override {}

private:
    CMainBackPanel& panel_;
};

// The panes as the loaded recordings reach them (any thread). The thumbnail grid holds the
// pictures of one channel around the current one, so a recording's own pictures stay out of it.
class CMainBackPanel::RecordingPanes final : public IPaneView {
public:
    explicit RecordingPanes(CWndPanePanel& panes) : panes_(panes) {}

    void SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame) override {
        if (panes_.Layout() != PaneLayout::Thumbnail)
            panes_.SetFrame(eventCodeEx, phase, frame);
    }
    void RepaintAll() override { panes_.RepaintAll(); }

private:
    CWndPanePanel& panes_;
};

// The loaded set behind the file-list window's loads: the frame's loaded recordings and the
// catalogue's log files. Each load keeps its progress adapter until the next load replaces it;
// the loading dialog returns only when the worker has finished with it.
class CMainBackPanel::FileListLoadTarget final : public ILoadTarget {
public:
    explicit FileListLoadTarget(IMainPanelHost& host) : host_(host) {}

    // The normal paths of the list, for a normal recording's group.
    void SetNormalPaths(std::function<std::vector<std::string>()> paths) {
        normalPaths_ = std::move(paths);
    }

    void SelectRecording(int index) override {
        if (CMgrDBSearch* search = host_.Search())
            search->SelectRecording(index);
    }
    void DestroyRecordings() override {
        if (ILoadedRecordings* recordings = host_.Recordings())
            recordings->DestroyAll();
    }
    void DestroyLogFiles() override {
        if (CMgrDBSearch* search = host_.Search())
            search->LogFiles().clear();
    }
    void ResizeRecordings(int count) override {
        if (CLoadedRecordings* recordings = host_.LoadedRecordings())
            recordings->Resize(count);
    }
    bool StartRecordingLoad(int index, int mode, const std::string& path,
                            CLoadHandshake& handshake) override {
        CLoadedRecordings* recordings = host_.LoadedRecordings();
        if (recordings == nullptr || index < 0 || index >= recordings->Count())
            return false;
        auto recording =
            std::make_unique<CDriveRecInfo>(RecordingOptions::FromConfig(host_.Config()));
        recording->SetRecordingIndex(index);
        CDriveRecInfo& loading = *recording;
        recordings->Set(index, std::move(recording));
        progress_ = std::make_unique<HandshakeLoadProgress>(handshake);
        if (mode == kLoadModeNormal)
            return loading.StartLoadNormal(
                path, normalPaths_ ? normalPaths_() : std::vector<std::string>{}, progress_.get());
        return loading.StartLoadEvent(path, progress_.get());
    }
    void DiscardRecording(int index) override {
        if (CLoadedRecordings* recordings = host_.LoadedRecordings())
            recordings->Set(index, nullptr);
    }
    LoadedSummary Summary(int index) const override {
        CLoadedRecordings* recordings = host_.LoadedRecordings();
        const CDriveRecInfo* recording = recordings ? recordings->At(index) : nullptr;
        if (recording == nullptr)
            return {};
        return {recording->m_llBegin, recording->m_llEnd};
    }
    void ResizeLogFiles(int count) override {
        if (CMgrDBSearch* search = host_.Search()) {
            search->LogFiles().clear();
            search->LogFiles().resize(static_cast<std::size_t>(std::max(0, count)));
        }
    }
    bool StartLogLoad(int index, const std::string& path, CLoadHandshake& handshake) override {
        CMgrDBSearch* search = host_.Search();
        if (search == nullptr || index < 0 || index >= static_cast<int>(search->LogFiles().size()))
            return false;
        logOwner_ = std::make_unique<HandshakeLogOwner>(handshake);
        search->LogFiles()[static_cast<std::size_t>(index)].StartLoad(path, logOwner_.get());
        return true;
    }
    void DiscardLogFile(int index) override {
        CMgrDBSearch* search = host_.Search();
        if (search != nullptr && index >= 0 && index < static_cast<int>(search->LogFiles().size()))
            search->LogFiles()[static_cast<std::size_t>(index)] = CInfoLogFile();
    }
    // Every sample the loader keeps has a valid recorder time, whether or not its GPS fix is.
    std::optional<std::pair<std::int64_t, std::int64_t>>
    LogValidSpan(const std::string& path) override {
        CInfoLogFile log;
        if (log.Load(path) == 0 || log.m_nSampleCount <= 0)
            return std::nullopt;
        const LogSample* first = log.GetSample(0);
        const LogSample* last = log.GetSample(log.m_nSampleCount - 1);
        if (first == nullptr || last == nullptr)
            return std::nullopt;
        return std::pair{first->llTime, last->llTime};
    }
    // The panes that show the preview pictures are not part of this panel yet: no preview.
    bool StartPreviewLoad(std::int64_t, std::int64_t, CLoadHandshake&) override { return false; }
    void DiscardPreviews() override {}

private:
    IMainPanelHost& host_;
    std::function<std::vector<std::string>()> normalPaths_;
    std::unique_ptr<HandshakeLoadProgress> progress_;
    std::unique_ptr<HandshakeLogOwner> logOwner_;
};

// The viewer around the file-list window: the play control, the loaded kind, the recordings and
// the panel's own views and buttons.
class CMainBackPanel::FileListHost final : public ISearchWindowHost {
public:
    FileListHost(CMainBackPanel& panel, IMainPanelHost& host) : panel_(panel), host_(host) {}

    int LoadedKind() const override { return host_.LoadedKind(); }
    void SetLoadedKind(int kind) override { host_.SetLoadedKind(kind); }
    void PrepareLoad() override {
        // The scan's timer 999 must not hide the loading window in the middle of the load.
        if (ILoadingView* loading = panel_.LoadingView())
            loading->StopHideTimer();
        if (CMgrPlayControl* play = host_.PlayControl())
            play->StopTimer();
        panel_.StopPlayback(true);
        if (!panel_.IsPaneEnlarged())
            panel_.update(panel_.speedRect_);
    }
    void StopPlaybackForClose() override {
        panel_.StopPlayback(false);
        if (!panel_.IsPaneEnlarged() && panel_.panePanel_ != nullptr)
            panel_.panePanel_->update();
    }
    // The play control stops its timers synchronously on this thread: nothing to wait for.
    bool WaitTimerEvent(int) override { return true; }
    void ResetViews() override { panel_.ResetViews(); }
    void UnloadAll() override { panel_.UnloadAll(); }
    void StopLogPlay() override {
        if (CMgrPlayControl* play = host_.PlayControl())
            play->StopLogPlay();
    }
    void StopMemoSound() override { panel_.StopMemoSound(); }
    void SetMemoButtonsEnabled(bool enabled) override { panel_.SetMemoButtonsEnabled(enabled); }
    void PickRecording(int index) override {
        panel_.StopPlayback(false);
        if (panel_.CurrentContext().layout != PaneLayout::Quad)
            panel_.ShowLayout(PaneLayout::Quad, 0);
        if (CMgrDBSearch* search = host_.Search())
            search->SelectRecording(index);
    }
    void ShowMemo(const std::string& memoAudioPath, bool) override {
        panel_.ShowMemo(memoAudioPath);
    }
    void PickLoadedLog(int index) override { TRACE("Loaded log %d picked", index); }
    std::span<const CInfoVdxFile> CurrentKeyChannelFiles() override {
        CDriveRecInfo* recording = CurrentRecording();
        if (recording == nullptr || recording->m_nKeyChannel < 0 ||
            recording->m_nKeyChannel >= static_cast<int>(recording->m_arrChannels.size()))
            return {};
        return recording->m_arrChannels[static_cast<std::size_t>(recording->m_nKeyChannel)]
            .m_arrFiles;
    }
    void ShowRecordingAt(std::int64_t timeMs) override {
        panel_.OnPanelCommand(kPause);
        if (CDriveRecInfo* recording = CurrentRecording())
            recording->GotoTime(timeMs);
    }
    void OnRecordingsLoaded(int loadedKind) override {
        // Events keep the time bar at the local time; a normal recording sets its own span
        // when it becomes current.
        if (loadedKind == kLoadedEvent)
            panel_.ShowTimeBarAtNow();
        panel_.ShowLayout(PaneLayout::Quad, 0);
    }
    void ShowMapForLoad(int) override {}
    void PrepareLogViews() override {
        panel_.ShowTimeBarAtNow();
        panel_.ClearViews();
        panel_.ShowLayout(PaneLayout::Log, 0);
    }
    void InitLogViews() override {}
    void FinishLogLoad() override {}

private:
    CDriveRecInfo* CurrentRecording() { return panel_.CurrentRecording(); }

    CMainBackPanel& panel_;
    IMainPanelHost& host_;
};

std::unique_ptr<IMainPanelHost> MakeFramePanelHost(CMainFrame& frame, ViewerConfig* config,
                                                   std::filesystem::path startDirectory) {
    return std::make_unique<FramePanelHost>(frame, config, std::move(startDirectory));
}

std::unique_ptr<IMainPanel> MakeMainBackPanel(CMainFrame& frame) {
    PanelServices services;
    if (TheApp() != nullptr)
        services.messages = &TheApp()->Messages();
    auto panel = std::make_unique<CMainBackPanel>(MakeFramePanelHost(frame), services);
    panel->setParent(&frame);
    return panel;
}

CMainBackPanel::CMainBackPanel(std::unique_ptr<IMainPanelHost> host, PanelServices services,
                               QWidget* parent)
    : CMainBackPanel(*host, services, parent) {
    ownHost_ = std::move(host);
}

CMainBackPanel::CMainBackPanel(IMainPanelHost& host, PanelServices services, QWidget* parent)
    : QWidget(parent), host_(host),
      ownMessages_(services.messages ? nullptr : std::make_unique<MessageBoxes>()),
      ownFolders_(services.folders ? nullptr : std::make_unique<DialogFolderBrowser>()),
      ownUrls_(services.urls ? nullptr : std::make_unique<DesktopUrlOpener>()),
      messages_(services.messages ? *services.messages : *ownMessages_),
      folders_(services.folders ? *services.folders : *ownFolders_),
      urls_(services.urls ? *services.urls : *ownUrls_), skin_(services.skinMessages) {
    setObjectName(QStringLiteral("MainBackPanel"));
    setMouseTracking(false);

    skin_.Load(host_.StartDirectory() / "trevix.dsc", this);
    skin_.LoadPicture(kSkinBackground, background_);
    resize(background_.rect.isValid() ? background_.rect.size()
                                      : QSize(CMainFrame::kWidth, CMainFrame::kHeight));

    PlaceChildWindows();
    CreateButtons();
    CreateMuteBox();
    CreateStatusDisplays();
    CreateSlideBars();
    NormaliseDisplaySpeed();
    // Until playback starts the indicator shows the stopped state.
    const std::string_view stopped = trevix::SpeedIndicatorText(kPlayStopped, Vendor());
    speedText_ = QString::fromLatin1(stopped.data(), static_cast<qsizetype>(stopped.size()));
    ShowTimeBarAtNow();
}

CMainBackPanel::~CMainBackPanel() {
    // The file-list window and the pane panel reach the adapters, which go with the members:
    // they go first.
    const std::unique_ptr<CWndSearch> window(searchWindow_);
    const std::unique_ptr<CWndPanePanel> panes(paneWindow_);
}

// ---- creation --------------------------------------------------------------------------------

void CMainBackPanel::PlaceChildWindows() {
    CreatePanePanel();
    gSensorWindow_ = PlacePlainChild(kSkinGSensor, "GSensor");
    mapWindow_ = PlacePlainChild(kSkinGpsMap, "GpsMap");
    CreateFileListWindow();
    skin_.GetRect(kSkinSpeedIndicator, speedRect_);
}

QWidget* CMainBackPanel::PlacePlainChild(int skinItem, const char* objectName) {
    auto child = std::make_unique<QWidget>();
    child->setObjectName(QString::fromLatin1(objectName));
    if (!skin_.PlaceChild(skinItem, child.get()))
        return nullptr;
    return child.release(); // owned by the panel from here on
}

void CMainBackPanel::CreateFileListWindow() {
    fileListHost_ = std::make_unique<FileListHost>(*this, host_);
    loadTarget_ = std::make_unique<FileListLoadTarget>(host_);
    fileListMessages_ = std::make_unique<FileListMessages>(messages_);
    auto wnd = std::make_unique<CWndSearch>(*fileListHost_, *loadTarget_,
                                            host_.StartDirectory() / "trevix.dsc",
                                            fileListMessages_.get(), this);
    if (!skin_.PlaceChild(kSkinFileList, wnd.get()))
        return;
    SetFileListWindow(wnd.get(), wnd.get());
    CWndSearch& window = *wnd;
    loadTarget_->SetNormalPaths([&window] { return window.Paths(SearchList::Normal); });
    // Timer 999 of the scan: the catalogue manager hides its progress window.
    window.LoadingWindow().SetHideTimerHandler([this] {
        if (CMgrDBSearch* search = host_.Search())
            search->OnHideLoadingTimer();
    });
    searchWindow_ = wnd.release(); // owned by the panel from here on
}

void CMainBackPanel::CreatePanePanel() {
    paneLinks_ = std::make_unique<PaneLinks>(*this, host_);
    memoViews_ = std::make_unique<MemoViews>(*this);
    PanePanelSetup setup;
    setup.config = &host_.Config();
    setup.skin = &skin_;
    setup.borderColor = background_.color.isValid() ? background_.color : QColor(Qt::black);
    setup.backPanel = paneLinks_.get();
    setup.playback = paneLinks_.get();
    setup.appState = paneLinks_.get();
    auto panes = std::make_unique<CWndPanePanel>(setup);
    if (!skin_.PlaceChild(kSkinPanePanel, panes.get()))
        return;
    panePanel_ = panes.get();
    paneCommands_ = panes.get();
    recordingPanes_ = std::make_unique<RecordingPanes>(*panes);
    paneWindow_ = panes.release(); // owned by the panel from here on
}

void CMainBackPanel::CreateStatusDisplays() {
    const int paneRight =
        panePanel_ != nullptr ? panePanel_->geometry().x() + panePanel_->width() : width();
    dateTime_ =
        PlaceDisplay<CZVDigitDateTime>(*this, skin_, CZVDigitDateTime::PanelRect(paneRight));
    speed_ = PlaceDisplay<CZVDigitSpeed>(*this, skin_, CZVDigitSpeed::PanelRect());
    // The speed source and the model are read at every drawing, so menu choices show at once.
    speed_->SetSpeedSourceReader([this] { return host_.Config().ReadDisplaySpeed(); });
    for (const GAxis axis : {GAxis::X, GAxis::Y, GAxis::Z})
        gValues_[static_cast<std::size_t>(axis)] =
            PlaceDisplay<CZVDigitGVal>(*this, skin_, CZVDigitGVal::PanelRect(axis));
    gps_ = PlaceDisplay<CZVDigitGps>(*this, skin_, CZVDigitGps::PanelRect());
    carSignal_ = PlaceDisplay<CZVCarSignal>(*this, skin_, CZVCarSignal::PanelRect());
    carSignal_->SetModelReader([this] { return host_.Config().ReadCurrentModel(); });
}

void CMainBackPanel::CreateSlideBars() {
    for (const SlideBarKind kind : {SlideBarKind::Volume, SlideBarKind::Time}) {
        auto bar = std::make_unique<CZVSlideBar>(kind);
        bar->LoadPictures(skin_);
        bar->setParent(this);
        bar->setGeometry(CZVSlideBar::PanelRect(kind));
        bar->show();
        (kind == SlideBarKind::Volume ? volumeBar_ : timeBar_) = bar.release(); // the panel's
    }
    // Messages 2024 and 2025: a drag sets the system volume at every step, not only at the end.
    connect(volumeBar_, &CZVSlideBar::moving, this,
            [this](CZVSlideBar*, int position) { OnVolumeBarMoved(position); });
    connect(volumeBar_, &CZVSlideBar::released, this,
            [this](CZVSlideBar*, int position) { OnVolumeBarMoved(position); });
    connect(timeBar_, &CZVSlideBar::moving, this, [this] { OnTimeBarMoving(); });
    connect(timeBar_, &CZVSlideBar::released, this, [this] { OnTimeBarReleased(); });
    volumeBar_->SetPosition(volumeLevel_);
}

ISearchView* CMainBackPanel::SearchView() {
    return searchWindow_;
}

ILoadingView* CMainBackPanel::LoadingView() {
    return searchWindow_ != nullptr ? &searchWindow_->LoadingView() : nullptr;
}

void CMainBackPanel::SetMemoButtonsEnabled(bool enabled) {
    SetButtonsEnabled(enabled ? std::span<const int>(kMemoEnabledButtons) : kMemoDisabledButtons,
                      enabled);
}

void CMainBackPanel::CreateButtons() {
    for (const PanelButton& entry : kPanelButtons) {
        if (entry.skinItem == kSkinMuteBox)
            continue;
        auto button = std::make_unique<CZVButton>();
        if (!skin_.CreateButton(entry.skinItem, *button, entry.id))
            continue;
        if (!entry.tipKey.empty())
            button->setToolTip(Text(kToolTipSection, entry.tipKey, entry.tipDefault));
        connect(button.get(), &CZVButton::clicked, this,
                [this](int controlId) { OnPanelCommand(controlId); });
        buttons_[entry.id] = button.release(); // owned by the panel from here on
    }
}

void CMainBackPanel::CreateMuteBox() {
    auto box = std::make_unique<CZVCheckBox>();
    if (!skin_.CreateButton(kSkinMuteBox, *box, kMute))
        return;
    box->setToolTip(Text(kToolTipSection, "Mute", "Mute"));
    box->SetState(soundOn_ ? 1 : 0);
    connect(box.get(), &CZVCheckBox::stateChanged, this, [this](CZVCheckBox*, int state) {
        soundOn_ = state == 1;
        if (CVolumeOutMaster* volume = host_.Volume()) {
            if (soundOn_)
                volume->SoundOn();
            else
                volume->SoundOff();
        }
    });
    muteBox_ = box.release();
}

void CMainBackPanel::NormaliseDisplaySpeed() {
    ViewerConfig& config = host_.Config();
    config.WriteDisplaySpeed(NormalizedDisplaySpeed(config.ReadDisplaySpeed()));
}

void CMainBackPanel::SetPanePanel(QWidget* window, IPanePanelCommands* commands) {
    if (window != nullptr && window != panePanel_ && skin_.PlaceChild(kSkinPanePanel, window)) {
        if (panePanel_ != nullptr) {
            if (panePanel_ == paneWindow_)
                paneWindow_ = nullptr;
            panePanel_->hide();
            panePanel_->deleteLater();
        }
        panePanel_ = window;
    }
    paneCommands_ = commands;
}

void CMainBackPanel::SetGraphControls(IGraphCommands* windowGraph, IGraphCommands* paneGraph) {
    windowGraph_ = windowGraph;
    paneGraph_ = paneGraph;
}

void CMainBackPanel::SetFileListWindow(QWidget* window, IFileListCommands* commands) {
    if (window != nullptr && skin_.PlaceChild(kSkinFileList, window)) {
        if (fileListWindow_ != nullptr && fileListWindow_ != window) {
            if (fileListWindow_ == searchWindow_)
                searchWindow_ = nullptr;
            fileListWindow_->hide();
            fileListWindow_->deleteLater();
        }
        fileListWindow_ = window;
    }
    fileListCommands_ = commands;
}

CZVButton* CMainBackPanel::Button(int commandId) const {
    const auto found = buttons_.find(commandId);
    return found == buttons_.end() ? nullptr : found->second;
}

// ---- state -----------------------------------------------------------------------------------

int CMainBackPanel::Vendor() const {
    return host_.Config().Vender();
}

int CMainBackPanel::RecordingCount() const {
    ILoadedRecordings* recordings = host_.Recordings();
    return recordings ? recordings->Count() : 0;
}

int CMainBackPanel::LogFileCount() const {
    CMgrDBSearch* search = host_.Search();
    return search ? static_cast<int>(search->LogFiles().size()) : 0;
}

bool CMainBackPanel::RootPathEmpty() const {
    CMgrDBSearch* search = host_.Search();
    return search == nullptr || search->RootPath().empty();
}

CommandContext CMainBackPanel::CurrentContext() const {
    CommandContext context;
    context.loadedKind = host_.LoadedKind();
    CMgrPlayControl* play = host_.PlayControl();
    context.playState = play ? play->PlayState() : 1;
    ViewerConfig& config = host_.Config();
    context.vendor = config.Vender();
    context.currentModel = config.ReadCurrentModel();
    context.displaySpeed = config.ReadDisplaySpeed();
    context.rootPathEmpty = RootPathEmpty();
    context.recordingCount = RecordingCount();
    context.logFileCount = LogFileCount();
    if (paneCommands_ != nullptr) {
        context.layout = paneCommands_->Layout();
        context.panelEnlarged = paneCommands_->IsEnlarged();
        context.hasPreviewPicture = paneCommands_->HasPreviewPicture();
    }
    if (fileListCommands_ != nullptr) {
        context.fileListShowsLoaded = fileListCommands_->ShowsLoadedList();
        context.loadedLogListVisible = fileListCommands_->LoadedLogListVisible();
    }
    context.soundOff = !soundOn_;
    return context;
}

bool CMainBackPanel::IsPaneEnlarged() const {
    return paneCommands_ != nullptr && paneCommands_->IsEnlarged();
}

// ---- painting and mouse ----------------------------------------------------------------------

void CMainBackPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_.color.isValid() ? background_.color : Qt::black);
    if (!background_.IsNull())
        painter.drawImage(background_.rect.topLeft(), background_.image);
    if (speed_ != nullptr)
        speed_->PaintSourceOnPanel(painter);
    if (timeBar_ != nullptr && !timeBar_->isHidden())
        timeBar_->PaintTimeLabels(painter);
    if (speedText_.isEmpty() || !speedRect_.isValid())
        return;
    // Centred, baseline 5 pixels below the middle, grey with a black outline.
    painter.setFont(UiFonts::Get(3));
    const QFontMetrics metrics(painter.font());
    const int x = speedRect_.center().x() - metrics.horizontalAdvance(speedText_) / 2;
    const int y = speedRect_.center().y() + 5;
    DrawOutlinedText(painter, QPoint(x, y), speedText_, QColor(180, 180, 180));
}

void CMainBackPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // Only the top rows drag; below them the press stays with the panel so that the frame
        // behind it does not start a drag either.
        if (event->position().y() < kDragRows)
            dragOffset_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CMainBackPanel::mouseMoveEvent(QMouseEvent* event) {
    // The borderless main window is dragged by the top rows of the panel.
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CMainBackPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragOffset_.reset();
        if (Vendor() == 1 && kVendorLink.contains(event->position().toPoint())) {
            OpenHomepage();
            return;
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void CMainBackPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && kExitCorner.contains(event->position().toPoint())) {
        OnPanelCommand(kExit);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

// ---- the command table -----------------------------------------------------------------------

void CMainBackPanel::OnPanelCommand(int id) {
    if (IsAcceleratorKey(id)) {
        if (id == kKeyPrevious || id == kKeyNext)
            window()->setCursor(Qt::ArrowCursor);
        const int target = PanelCommandForKey(id, CurrentContext());
        if (target == kKeyHelp) {
            OpenHelpFile();
        } else if (target == kKeyEnlarge || target == kKeyFullScreen) {
            if (paneCommands_ == nullptr)
                return;
            if (target == kKeyEnlarge)
                paneCommands_->ToggleEnlarged();
            else
                paneCommands_->ToggleFullScreen();
        } else if (target != 0) {
            OnPanelCommand(target);
        }
        return;
    }
    if (id >= kMenuFile && id <= kMenuHelp) {
        DropDownMenu(static_cast<PanelMenu>(id - kMenuFile));
        return;
    }
    if (RunFileCommand(id) || RunToolCommand(id) || RunViewCommand(id) || RunPlayCommand(id))
        return;
    TRACE("Unknown panel command %d", id);
}

bool CMainBackPanel::RunFileCommand(int id) {
    switch (id) {
    case kMinimize:
        host_.MinimizeWindow();
        return true;
    case kExit:
    case kMenuExit:
        StopPlayback(false);
        host_.PostCloseRequest();
        return true;
    case kAbout:
        if (Vendor() == 1)
            OpenHelpFile();
        else
            host_.ShowAboutBox();
        return true;
    case kMenuVersion:
        host_.ShowAboutBox();
        return true;
    case kOpen:
    case kMenuSelectFolder:
        SelectDataFolder();
        return true;
    case kMenuLoadEvent:
    case kMenuLoadNormal:
    case kMenuLoadMemo:
    case kMenuLoadLog: {
        const SearchList list = id == kMenuLoadEvent    ? SearchList::Event
                                : id == kMenuLoadNormal ? SearchList::Normal
                                : id == kMenuLoadMemo   ? SearchList::Memo
                                                        : SearchList::Log;
        if (fileListCommands_ != nullptr)
            fileListCommands_->ShowList(list);
        return true;
    }
    case kMenuFileList:
        UnloadAll();
        return true;
    case kMenuSelectAll:
        if (fileListCommands_ != nullptr)
            fileListCommands_->CheckAll();
        return true;
    case kMenuUnselectAll:
        if (fileListCommands_ != nullptr)
            fileListCommands_->UncheckAll();
        return true;
    case kPrintImage:
    case kMenuPrint:
        PrintImages();
        return true;
    case kHomepage:
    case kMenuHomepage:
        OpenHomepage();
        return true;
    default:
        return false;
    }
}

bool CMainBackPanel::RunToolCommand(int id) {
    if (const std::optional<int> model = ModelForMenuItem(id)) {
        ChooseModel(*model);
        return true;
    }
    switch (id) {
    case kSaveImage:
    case kMenuSaveJpeg:
        SaveImage();
        return true;
    case kSaveAvi:
    case kMenuSaveAvi:
        SaveAvi();
        return true;
    case kBackup:
    case kMenuBackup:
        Backup();
        return true;
    case kGoogleEarth:
    case kMenuConvertKml:
        ConvertKml();
        return true;
    case kSetup:
    case kMenuDeviceSetting:
        DeviceSetting();
        return true;
    case kMenuSdInitialize:
        InitialiseCard();
        return true;
    case kMenuSpeedGps:
        ChooseSpeed(0);
        return true;
    case kMenuSpeedPulse:
        ChooseSpeed(1);
        return true;
    default:
        return false;
    }
}

bool CMainBackPanel::RunViewCommand(int id) {
    const CommandContext context = CurrentContext();
    switch (id) {
    case kZoomIn:
    case kZoomOut:
        if (GraphZoomApplies(context))
            ZoomGraphs(id == kZoomIn);
        return true;
    case kDefaultGraph:
        if (GraphZoomApplies(context))
            ScaleGraphs(2);
        return true;
    case kMenuScale1:
        ScaleGraphs(1);
        return true;
    case kMenuScale2:
        ScaleGraphs(2);
        return true;
    case kMenuScale3:
        ScaleGraphs(3);
        return true;
    case kMenuScale4:
        ScaleGraphs(4);
        return true;
    case kQuad:
        if (QuadButtonApplies(context))
            ShowLayout(PaneLayout::Quad, 0);
        return true;
    case kThumbnail:
        if (ThumbnailButtonApplies(context))
            ShowLayout(PaneLayout::Thumbnail, 0);
        return true;
    case kMenuQuad:
        if (context.layout != PaneLayout::Quad)
            ShowLayout(PaneLayout::Quad, 0);
        return true;
    case kMenuThumbnail:
        if (context.layout != PaneLayout::Thumbnail)
            ShowLayout(PaneLayout::Thumbnail, 0);
        return true;
    case kFrontView:
    case kInteriorView:
    case kSideView:
    case kRearView:
        if (context.LogList()) {
            if (paneCommands_ != nullptr)
                paneCommands_->SetLogPreviewChannel(*ChannelForCommand(id));
        } else if (ChannelButtonApplies(context)) {
            ShowLayout(PaneLayout::Single, *ChannelForCommand(id));
        }
        return true;
    case kMenuSingleFront:
    case kMenuSingleInterior:
    case kMenuSingleSide:
    case kMenuSingleRear:
        ShowLayout(PaneLayout::Single, *ChannelForCommand(id));
        return true;
    default:
        return false;
    }
}

bool CMainBackPanel::RunPlayCommand(int id) {
    if (const std::optional<TransportCommand> command = TransportForCommand(id)) {
        CMgrPlayControl* play = host_.PlayControl();
        if (play == nullptr)
            return true;
        play->RunCommand(*command);
        // A frame step in the thumbnail layout moves the grid with the current picture.
        const bool step =
            *command == TransportCommand::PrevFrame || *command == TransportCommand::NextFrame;
        if (step && IsThumbnailLayout() && paneWindow_ != nullptr && paneCommands_ == paneWindow_)
            FillThumbnails(paneWindow_->Channel());
        return true;
    }
    switch (id) {
    case kMenuVolumeDown:
        ChangeVolume(-kVolumeDownStep);
        return true;
    case kMenuVolumeUp:
        ChangeVolume(kVolumeUpStep);
        return true;
    case kMenuVolumeMute:
        ToggleMute();
        return true;
    default:
        return false;
    }
}

void CMainBackPanel::DropDownMenu(PanelMenu menu) {
    CZVButton* button = Button(MenuButtonId(menu));
    const std::unique_ptr<QMenu> popup = BuildPanelMenu(menu, CurrentContext(), this);
    const QPoint corner = button != nullptr ? button->mapToGlobal(QPoint(0, button->height()))
                                            : mapToGlobal(QPoint(0, 0));
    const int chosen = CommandOfAction(popup->exec(corner));
    if (chosen != 0)
        OnPanelCommand(chosen);
}

// ---- the work of the commands ----------------------------------------------------------------

void CMainBackPanel::StopPlayback(bool includeLogPlayback) {
    CMgrPlayControl* play = host_.PlayControl();
    if (play == nullptr)
        return;
    play->Stop();
    if (includeLogPlayback && play->LogTimerActive())
        play->StopLogPlay();
}

void CMainBackPanel::Message(const QString& caption, std::string_view key,
                             std::string_view englishDefault) {
    messages_.ShowMessage(this, caption, Text("Message", key, englishDefault));
}

QString CMainBackPanel::ChooseFolder(const QString& title) {
    const QString start = QString::fromStdString(host_.Config().OpenSDFolder());
    return folders_.ChooseFolder(this, title, start).value_or(QString());
}

void CMainBackPanel::SelectDataFolder() {
    StopPlayback(true);
    CMgrDBSearch* search = host_.Search();
    if (search == nullptr)
        return;
    const QString chosen =
        ChooseFolder(Text("GUI", "SelectSDFolder", "Select SD Card Drive or Backup folder"));
    if (chosen.isEmpty())
        return;
    search->SelectAndScan(RootOfChoice(chosen), host_.CardChecks());
}

// The refusals the picture and AVI exports share: nothing to export in the current list.
void CMainBackPanel::RefuseEmptyExport(const QString& caption) {
    StopPlayback(true);
    const CommandContext context = CurrentContext();
    if (context.LogList() && !context.hasPreviewPicture) {
        Message(caption, "NoPreviewImg", "No Preview image");
    } else if (context.MemoList()) {
        if (fileListCommands_ == nullptr || fileListCommands_->TickedMemoCount() == 0)
            Message(caption, "NoSelectedMemo", "No Memo is selected");
    } else if (!context.LogList() && !context.RecordingsLoaded()) {
        Message(caption, "NoEventLoaded", "No Event is loaded");
    }
}

void CMainBackPanel::SaveImage() {
    RefuseEmptyExport(Text("GUI", "SaveJpeg", "Save images as Jpeg"));
}

void CMainBackPanel::PrintImages() {
    StopPlayback(true);
    const QString caption = Text("GUI", "PrintImage", "Print Images");
    const CommandContext context = CurrentContext();
    if (!context.MemoList() && !context.LogList() && !context.RecordingsLoaded()) {
        Message(caption, "NoEventLoaded", "No Event is loaded");
        return;
    }
    if (context.vendor == 1 && context.LogList())
        Message(caption, "CannotPrintMode", "Can not print in current mode.");
}

void CMainBackPanel::SaveAvi() {
    RefuseEmptyExport(Text("GUI", "SaveAVI", "Save as AVI"));
}

void CMainBackPanel::Backup() {
    StopPlayback(true);
    if (RootPathEmpty())
        Message(Text("GUI", "Backup", "Backup"), "NoEventLoaded", "No Event is loaded");
}

void CMainBackPanel::ConvertKml() {
    if (LogFileCount() == 0)
        Message(Text(kToolTipSection, "GoogleEarth", "Convert to KML"), "NoLoadedLog",
                "No Log is loaded.");
}

bool CMainBackPanel::RefuseSmallCard(const std::string& root, const QString& caption) {
    const std::optional<std::uint64_t> megabytes = TotalMegabytes(root);
    if (!megabytes || *megabytes >= kMinCardMegabytes)
        return false;
    Message(caption, "NotSuportSD", "SD Card of not supported size.");
    return true;
}

void CMainBackPanel::DeviceSetting() {
    StopPlayback(true);
    CMgrDBSearch* search = host_.Search();
    if (search == nullptr)
        return;
    if (search->RootPath().empty()) {
        const QString chosen =
            ChooseFolder(Text("GUI", "SelectSDFolder", "Select SD Card Drive or Backup folder"));
        if (!chosen.isEmpty())
            search->SelectForSettings(RootOfChoice(chosen));
    }
    const std::string root = search->RootPath();
    if (root.empty())
        return;
    if (host_.IsRemovableCard(root))
        RefuseSmallCard(root, Text("GUI", "Setting", "Setting"));
}

void CMainBackPanel::InitialiseCard() {
    const QString caption = Text("GUI", "Setting", "Setting");
    const QString chosen = ChooseFolder(Text("GUI", "SelectSDInitFolder", "Select SD Card Drive"));
    if (chosen.isEmpty())
        return;
    const std::string root = RootOfChoice(chosen);
    if (!host_.IsRemovableCard(root)) {
        Message(caption, "NotSDDrive", "Not SD Card Drive");
        return;
    }
    RefuseSmallCard(root, caption);
}

void CMainBackPanel::OpenHelpFile() {
    // The manual is shipped as HTML beside the help file name the viewer has always used.
    const std::filesystem::path start = host_.StartDirectory();
    for (const char* name : {"zoza.chm", "zoza.html"}) {
        const std::filesystem::path path = start / name;
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            continue;
        if (urls_.Open(QUrl::fromLocalFile(QString::fromStdString(path.string()))))
            return;
    }
    messages_.ShowMessage(this, AppName(), QStringLiteral("No help file(*.chm)"));
}

void CMainBackPanel::OpenHomepage() {
    const std::string_view address = HomepageUrl(Vendor());
    urls_.Open(QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()))));
}

void CMainBackPanel::ChooseModel(int model) {
    host_.Config().WriteCurrentModel(model);
    if (carSignal_ != nullptr)
        carSignal_->Redraw(); // its lamps follow the model
}

void CMainBackPanel::ChooseSpeed(int displaySpeed) {
    host_.Config().WriteDisplaySpeed(displaySpeed);
    if (speed_ != nullptr) {
        speed_->Redraw(); // the digits, label and mark follow the source
        update(speed_->SourceAreaOnPanel());
    }
}

void CMainBackPanel::ShowLayout(PaneLayout layout, int channel) {
    if (paneCommands_ != nullptr)
        paneCommands_->SetLayout(layout, channel);
}

void CMainBackPanel::ScaleGraphs(int scale) {
    for (IGraphCommands* graph : {windowGraph_, paneGraph_})
        if (graph != nullptr)
            graph->SetScale(scale);
}

void CMainBackPanel::ZoomGraphs(bool in) {
    for (IGraphCommands* graph : {windowGraph_, paneGraph_}) {
        if (graph == nullptr)
            continue;
        if (in)
            graph->ZoomIn();
        else
            graph->ZoomOut();
    }
}

void CMainBackPanel::OnVolumeBarMoved(int position) {
    // The bar has moved already; the system volume follows it.
    volumeLevel_ = std::clamp(position, kVolumeMin, kVolumeMax);
    if (CVolumeOutMaster* volume = host_.Volume())
        volume->SetVolumePercent(volumeLevel_);
}

void CMainBackPanel::OnTimeBarMoving() {
    if (CMgrPlayControl* play = host_.PlayControl())
        play->Stop();
    if (host_.LoadedKind() == kLoadedNormal)
        ShowDateTime(FromRecorderMs(timeBar_->PositionTime()));
}

void CMainBackPanel::OnTimeBarReleased() {
    if (CMgrPlayControl* play = host_.PlayControl())
        play->Stop();
    if (host_.LoadedKind() != kLoadedNormal)
        return;
    if (CDriveRecInfo* recording = CurrentRecording())
        recording->GotoTime(timeBar_->PositionTime());
}

void CMainBackPanel::ShowTimeBarMarks(int index) {
    CLoadedRecordings* recordings = host_.LoadedRecordings();
    const CDriveRecInfo* recording = recordings != nullptr ? recordings->At(index) : nullptr;
    const int key = recording != nullptr ? recording->m_nKeyChannel : -1;
    if (timeBar_ == nullptr || key < 0 || key >= static_cast<int>(recording->m_arrChannels.size()))
        return;
    // The key channel is the recording's reference channel too.
    const std::span<const CInfoVdxFile> files =
        recording->m_arrChannels[static_cast<std::size_t>(key)].m_arrFiles;
    for (const std::int32_t mark : EventTriggerMarks(files, recording->m_llBegin))
        timeBar_->AddMark(mark);
    timeBar_->SetRecordedSpans(RecordedFileSpans(files, recording->m_llBegin));
}

void CMainBackPanel::ChangeVolume(int delta) {
    // The bar follows the mixer through the volume callback, not this command.
    if (CVolumeOutMaster* volume = host_.Volume())
        volume->SetVolumePercent(std::clamp(volumeLevel_ + delta, kVolumeMin, kVolumeMax));
}

void CMainBackPanel::ToggleMute() {
    // The box follows the mixer through the mute callback.
    CVolumeOutMaster* volume = host_.Volume();
    if (volume == nullptr)
        return;
    if (soundOn_)
        volume->SoundOff();
    else
        volume->SoundOn();
}

// ---- the pane panel's requests and memos -----------------------------------------------------

CDriveRecInfo* CMainBackPanel::CurrentRecording() const {
    CMgrDBSearch* search = host_.Search();
    CLoadedRecordings* recordings = host_.LoadedRecordings();
    if (search == nullptr || recordings == nullptr)
        return nullptr;
    return recordings->At(search->CurrentRecording());
}

void CMainBackPanel::ShowCurrentTimeAgain() {
    CMgrPlayControl* play = host_.PlayControl();
    if (CDriveRecInfo* recording = CurrentRecording(); recording != nullptr && play != nullptr)
        recording->GotoTime(play->ShownTimeMs());
}

void CMainBackPanel::FillThumbnails(int channel) {
    CDriveRecInfo* recording = CurrentRecording();
    CMgrDBSearch* search = host_.Search();
    if (recording == nullptr || search == nullptr || paneWindow_ == nullptr || channel < 0 ||
        channel >= static_cast<int>(recording->m_arrChannels.size()))
        return;
    if (!thumbnails_)
        thumbnails_ = std::make_unique<CThumbnailFiller>();
    thumbnails_->Fill(recording->m_arrChannels[static_cast<std::size_t>(channel)],
                      search->CurrentRecording(), ThumbnailOptions(host_.Config(), channel),
                      *paneWindow_);
}

void CMainBackPanel::TakeCamFlip() {
    // Every loaded recording decodes with the new orientation from now on; a paused picture is
    // decoded again at once.
    CLoadedRecordings* recordings = host_.LoadedRecordings();
    if (recordings == nullptr)
        return;
    for (int index = 0; index < recordings->Count(); ++index)
        if (CDriveRecInfo* recording = recordings->At(index))
            recording->SetOptions(RecordingOptions::FromConfig(host_.Config()));
    CMgrPlayControl* play = host_.PlayControl();
    if (play == nullptr || play->PlayState() == kPlayStopped)
        ShowCurrentTimeAgain();
}

void CMainBackPanel::ShowSurroundings(bool show) {
    for (const auto& [id, button] : buttons_)
        button->setVisible(show);
    std::vector<QWidget*> controls = {muteBox_,   dateTime_,      speed_,   gps_,
                                      carSignal_, volumeBar_,     timeBar_, gSensorWindow_,
                                      mapWindow_, fileListWindow_};
    controls.insert(controls.end(), gValues_.begin(), gValues_.end());
    for (QWidget* control : controls)
        if (control != nullptr)
            control->setVisible(show);
    // The indicator was not redrawn while the panes covered it; it shows the speed again.
    const CMgrPlayControl* play = host_.PlayControl();
    if (show && play != nullptr)
        ShowSpeedIndicator(trevix::SpeedIndicatorText(play->PlayState(), Vendor()));
    update();
}

void CMainBackPanel::SetButtonsShown(std::span<const int> ids, bool shown) {
    for (const int id : ids)
        if (CZVButton* button = Button(id))
            button->setVisible(shown);
}

void CMainBackPanel::SetButtonsEnabled(std::span<const int> ids, bool enabled) {
    for (const int id : ids)
        if (CZVButton* button = Button(id))
            button->setEnabled(enabled);
}

void CMainBackPanel::ShowMemo(const std::string& memoAudioPath) {
    StopMemoSound();
    if (paneWindow_ == nullptr)
        return;
    const int line = searchWindow_ != nullptr ? searchWindow_->LoadedList().currentRow() : 0;
    memoDisplay_.Show(memoAudioPath, std::max(line, 0), *paneWindow_, *memoViews_);
    // A picked memo is heard at once, as Play would play it.
    if (CMgrPlayControl* play = host_.PlayControl())
        play->MemoPlay();
}

void CMainBackPanel::StopMemoSound() {
    memoSound_.Stop();
}

// ---- unloading -------------------------------------------------------------------------------

void CMainBackPanel::ResetViews() {
    StopPlayback(true);
    StopMemoSound();
    shownMemo_.clear();
    if (fileListCommands_ != nullptr)
        fileListCommands_->ShowTabsAndLists();
    if (paneCommands_ != nullptr) {
        paneCommands_->SetLayout(PaneLayout::Quad, 0);
        paneCommands_->ClearPanes();
    }
    if (CMgrPlayControl* play = host_.PlayControl()) {
        FrameStatus reset;
        reset.channel = -1;
        reset.time = LocalNow();
        play->ShowFrameStatus(reset);
    }
    for (IGraphCommands* graph : {windowGraph_, paneGraph_})
        if (graph != nullptr)
            graph->ClearSamples();
    // No recording is current before the recordings go, so nothing points at them.
    CMgrDBSearch* search = host_.Search();
    if (search != nullptr)
        search->SelectRecording(-1);
    if (ILoadedRecordings* recordings = host_.Recordings())
        recordings->DestroyAll();
    if (search != nullptr)
        search->LogFiles().clear();
    host_.SetLoadedKind(kLoadedNone);
}

void CMainBackPanel::UnloadAll() {
    StopPlayback(true);
    CloseFileList();
    ResetViews();
}

// ---- what the frame tells the panel ----------------------------------------------------------

void CMainBackPanel::ShowVolume(int level) {
    const int clamped = std::clamp(level, kVolumeMin, kVolumeMax);
    if (clamped == volumeLevel_)
        return;
    volumeLevel_ = clamped;
    if (volumeBar_ != nullptr)
        volumeBar_->SetPosition(clamped);
}

void CMainBackPanel::ShowMute(bool soundOff) {
    soundOn_ = !soundOff;
    if (muteBox_ != nullptr)
        muteBox_->SetState(soundOn_ ? 1 : 0);
}

void CMainBackPanel::DisableVolume() {
    volumeLevel_ = kVolumeStart;
    if (volumeBar_ != nullptr) {
        volumeBar_->SetPosition(kVolumeStart);
        volumeBar_->Enable(false);
    }
    if (muteBox_ != nullptr)
        muteBox_->setEnabled(false);
}

void CMainBackPanel::CloseFileList() {
    if (fileListCommands_ != nullptr)
        fileListCommands_->Close();
}

void CMainBackPanel::OnKeyChannelFileChanged(int channel) {
    TRACE("Key channel %d changed its index file", channel);
    if (paneWindow_ != nullptr)
        paneWindow_->RepaintAll(); // the panes' file counters belong to the new file
}

PlayControlViews CMainBackPanel::PlayViews() {
    PlayControlViews views;
    views.status = this;
    views.sound = &recordingSound_;
    views.memo = &memoSound_;
    return views;
}

IPaneView* CMainBackPanel::PaneView() {
    return recordingPanes_.get();
}

void CMainBackPanel::ClearViews() {
    if (paneCommands_ != nullptr)
        paneCommands_->ClearPanes();
    for (IGraphCommands* graph : {windowGraph_, paneGraph_})
        if (graph != nullptr)
            graph->ClearSamples();
}

void CMainBackPanel::SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) {
    if (timeBar_ != nullptr)
        timeBar_->SetTimeRange(host_.LoadedKind(), start, end, current);
}

void CMainBackPanel::ShowTimeBarAtNow() {
    const std::int64_t now = ToRecorderMs(LocalNow());
    SetTimeRange(now, now, now);
}

void CMainBackPanel::ShowSelected(int index, int loadedKind) {
    // The frame has given the time bar the recording's span; its marks and files follow.
    if (loadedKind == kLoadedNormal)
        ShowTimeBarMarks(index);
}

CZVDigitGVal* CMainBackPanel::GValueDisplay(int axis) const {
    if (axis < 0 || axis >= static_cast<int>(gValues_.size()))
        return nullptr;
    return gValues_[static_cast<std::size_t>(axis)];
}

// ---- status displays (any thread: the displays hand calls to their own thread) ---------------

void CMainBackPanel::ShowDateTime(const SYSTEMTIME& time) {
    if (dateTime_ != nullptr)
        dateTime_->SetTime(time);
}

void CMainBackPanel::ShowGValues(float x, float y, float z) {
    const std::array<float, 3> values = {x, y, z};
    for (std::size_t axis = 0; axis < values.size(); ++axis)
        if (gValues_[axis] != nullptr)
            gValues_[axis]->SetValue(values[axis]);
}

void CMainBackPanel::ShowSpeed(int kmh, const GPSINFO& fix) {
    if (speed_ != nullptr)
        speed_->SetSpeed(kmh, fix);
}

void CMainBackPanel::ShowGps(const GPSINFO& fix) {
    if (gps_ != nullptr)
        gps_->SetFix(fix);
}

void CMainBackPanel::ShowCarSignal(std::uint8_t bits) {
    if (carSignal_ != nullptr)
        carSignal_->SetBits(bits);
}

void CMainBackPanel::ShowTimeSlider(std::int64_t seconds) {
    CZVSlideBar* bar = timeBar_;
    if (bar == nullptr)
        return;
    const std::int32_t position = ClampedSeconds(seconds);
    if (HandedToOwnThread(bar, [this, position] { ShowTimeSlider(position); }))
        return;
    // The thumb stays under the mouse while the user drags it.
    if (bar->TimeRange().IsNormal() && !bar->IsDragging())
        bar->SetPosition(position);
}

void CMainBackPanel::ShowSpeedIndicator(std::string_view text) {
    // May come from the precise timer's thread: the text is handed to the panel's thread.
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QMetaObject::invokeMethod(
        this,
        [this, value] {
            if (speedText_ == value)
                return;
            speedText_ = value;
            update(speedRect_);
        },
        Qt::AutoConnection);
}

// ---- the play host ---------------------------------------------------------------------------

int CMainBackPanel::LoadedKind() const {
    return host_.LoadedKind();
}

bool CMainBackPanel::IsThumbnailLayout() const {
    return paneCommands_ != nullptr && paneCommands_->Layout() == PaneLayout::Thumbnail;
}

bool CMainBackPanel::IsSingleLayout() const {
    return paneCommands_ != nullptr && paneCommands_->Layout() == PaneLayout::Single;
}

void CMainBackPanel::SelectListRow(int, int recordingIndex) {
    // The loaded list holds the recordings in load order; the play control makes the
    // recording current itself, so the list is not to tell of the change.
    if (searchWindow_ == nullptr)
        return;
    CZVListBox& list = searchWindow_->LoadedList();
    if (recordingIndex < 0 || recordingIndex >= list.count())
        return;
    const QSignalBlocker quiet(list);
    list.setCurrentRow(recordingIndex);
}

std::string CMainBackPanel::SelectedMemoPicture() const {
    // The play control finds a memo's sound by swapping the picture's ".jpg" for ".aud". The
    // picture of a four-camera card lies in another folder than the sound, so the name handed
    // over is the sound file's own, with the picture's extension.
    if (host_.LoadedKind() != kLoadedMemo || shownMemo_.size() < 4)
        return {};
    const std::size_t dot = shownMemo_.size() - 4;
    if (!EqualsNoCase(std::string_view(shownMemo_).substr(dot), ".aud"))
        return {};
    return shownMemo_.substr(0, dot) + (shownMemo_.compare(dot, 4, ".aud") == 0 ? ".jpg" : ".JPG");
}

} // namespace trevix
