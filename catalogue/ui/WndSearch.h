// The file-list window: the four report lists the folder scan fills (event, normal, memo, log),
// their tab buttons, Load, Close, Check All / UnCheck All, the list of loaded recordings with its
// recording event list, and the loading window. It receives the scan's rows as the catalogue's
// search view and runs the loads of the ticked rows as the load sequence's window.
#pragma once

#include "catalogue/EventListSort.h"
#include "catalogue/LoadingSequence.h"
#include "catalogue/ScanLists.h"
#include "catalogue/SearchListRows.h"
#include "catalogue/SearchViews.h"

#include "app/ui/MainBackPanel.h"
#include "app/ui/Skin.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace trevix {

class CDlgLoading;
class CListEvent;
class CZVButton;
class CZVListBox;

// Control ids of the window.
namespace wndsearch {
inline constexpr int kEventList = 1025;
inline constexpr int kNormalList = 1117;
inline constexpr int kMemoList = 1118;
inline constexpr int kLogList = 1026;
inline constexpr int kLoadedList = 1027;
inline constexpr int kLoadedLogList = 1157;
inline constexpr int kRecordingEventList = 1156;
inline constexpr int kEventListToggle = 1155;
inline constexpr int kLoad = 1019;
inline constexpr int kClose = 1020;
inline constexpr int kCheckAll = 1021;
inline constexpr int kUncheckAll = 1112;
inline constexpr int kTabEvent = 1022;
inline constexpr int kTabNormal = 1115;
inline constexpr int kTabMemo = 1116;
inline constexpr int kTabLog = 1023;
inline constexpr int kLogFilesButton = 1024;
// Skin items of the window (in the window's own coordinates).
inline constexpr int kSkinWindow = 4;
inline constexpr int kSkinLoad = 26;
inline constexpr int kSkinClose = 27;
inline constexpr int kSkinCheckAll = 28;
inline constexpr int kSkinTabEvent = 29;
inline constexpr int kSkinTabLog = 30;
inline constexpr int kSkinLogFiles = 31;
inline constexpr int kSkinUncheckAll = 39;
inline constexpr int kSkinTabNormal = 43;
inline constexpr int kSkinTabMemo = 44;
inline constexpr int kSkinEventListToggle = 53;
} // namespace wndsearch

// Message boxes of the window, behind an interface so that tests can catch them.
class ISearchMessages {
public:
    virtual ~ISearchMessages() = default;
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// What the window reaches of the rest of the viewer (main frame, panel, play control, map).
class ISearchWindowHost {
public:
    virtual ~ISearchWindowHost() = default;
    // The application object's loaded kind (kLoadedNone ... kLoadedLog).
    virtual int LoadedKind() const = 0;
    virtual void SetLoadedKind(int kind) = 0;

    // Before a load: stop the scan manager's timer 999, playback (repainting the indicator
    // area unless the panes are enlarged) and the log playback, check the map's availability.
    virtual void PrepareLoad() = 0;
    // Close step 1: stop playback, repaint the video area unless the panes are enlarged.
    virtual void StopPlaybackForClose() = 0;
    // Waits at most timeoutMs for the play control's timer event; false on time-out.
    virtual bool WaitTimerEvent(int timeoutMs) = 0;
    virtual void ResetViews() = 0;
    // The panel's UnloadAll (which runs this window's Close again).
    virtual void UnloadAll() = 0;
    virtual void StopLogPlay() = 0;
    virtual void StopMemoSound() = 0;
    // The panel's buttons 1010, 1011, 1012, 1015 ... 1018, 1114, 1119 ... 1122 and 1147.
    virtual void SetMemoButtonsEnabled(bool enabled) = 0;

    // A line of the loaded-recordings list was picked (not for memos): stop playback, quad
    // layout, make it current, update the map.
    virtual void PickRecording(int index) = 0;
    // Shows a memo (audio path); isNew when a different line than last time was picked.
    virtual void ShowMemo(const std::string& memoAudioPath, bool isNew) = 0;
    // A line of the loaded-log list was picked: the pane panel jumps to that log's first sample.
    virtual void PickLoadedLog(int index) = 0;

    // The index files of the current recording's key channel; empty when none is current.
    virtual std::span<const CInfoVdxFile> CurrentKeyChannelFiles() = 0;
    // Pause (command 1013) and show the current recording at timeMs.
    virtual void ShowRecordingAt(std::int64_t timeMs) = 0;

    // After an event or normal load (loaded kind already set): trigger markers, the time bar
    // (events only) and the quad layout.
    virtual void OnRecordingsLoaded(int loadedKind) = 0;
    // After the first loaded recording became current: map and G-sensor repaint, map page.
    virtual void ShowMapForLoad(int loadedKind) = 0;
    // After a log load: time bar, cleared graphs and the log layout; then (inside the wait
    // dialog) the log views; then the map page and the first valid fix.
    virtual void PrepareLogViews() = 0;
    virtual void InitLogViews() = 0;
    virtual void FinishLogLoad() = 0;
};

class CWndSearch : public QWidget,
                   public ISearchView,
                   public ILoadingWindow,
                   public IFileListCommands {
    Q_OBJECT
public:
    // skinDescription: the skin file ("trevix.dsc") whose items place the buttons.
    // messages: where message boxes go; real message boxes when null.
    CWndSearch(ISearchWindowHost& host, ILoadTarget& target,
               const std::filesystem::path& skinDescription, ISearchMessages* messages = nullptr,
               QWidget* parent = nullptr);
    ~CWndSearch() override;
    CWndSearch(const CWndSearch&) = delete;
    CWndSearch& operator=(const CWndSearch&) = delete;

    // ISearchView (the folder scan).
    void ClearLists() override;
    void FillList(SearchList list, std::span<const std::string> paths) override;
    void FillScannedList(SearchList list, const ScanLists& scan) override;
    void ShowList(SearchList list) override;
    void PostScanFinished() override;

    // IFileListCommands (the panel's commands); ShowList above runs a tab as its button does.
    void CheckAll() override;
    void UncheckAll() override;
    void Close() override { OnClose(); }
    // The listed state's controls: the tabs, Load, Check All and the pressed tab's list.
    void ShowTabsAndLists() override;
    bool ShowsLoadedList() const override;
    bool LoadedLogListVisible() const override;
    int TickedMemoCount() const override;

    // User commands, as the buttons run them.
    void OnTab(SearchList tab);
    void OnLoad();
    void OnClose();
    void OnRowClicked(SearchList list, int row, int column);
    void OnLoadedListPicked(int row);
    void OnEventListToggle();
    void OnRecordingEventPicked(int row);

    // The loading window (the scan's progress window too).
    CDlgLoading& LoadingWindow() { return *loading_; }
    ILoadingView& LoadingView();

    CListEvent& List(SearchList list) const;
    // The list shown now, if any.
    std::optional<SearchList> VisibleList() const;
    // Paths handed over by the scan, and the normal list's group of each normal path.
    const std::vector<std::string>& Paths(SearchList list) const;
    const std::vector<int>& NormalGroups() const { return normal_.groupOfFile; }
    // Hidden column 3 of every ticked row of list, in list order.
    std::vector<std::string> TickedPaths(SearchList list) const;

    CZVListBox& LoadedList() const { return *loadedList_; }
    CZVListBox& LoadedLogList() const { return *loadedLogList_; }
    CZVListBox& RecordingEventList() const { return *recordingEvents_; }
    CZVButton* Button(int controlId) const;
    bool EventListShown() const { return eventListFlag_; }
    int LastLoadedSelection() const { return lastLoadedSelection_; }

private:
    void SetVisibleListChecked(bool checked);
    // ILoadingWindow (the load sequence).
    void SetCaption(const std::string& caption) override;
    void Show() override;
    void Hide() override;
    void SetRange(int low, int high) override;
    void SetPos(int position) override;
    void RunFileDialog(int mode, const std::string& caption, CLoadHandshake& handshake,
                       const std::function<bool()>& start) override;
    void ShowMessage(const LoadMessage& message) override;
    void UntickLogRows() override;
    void ShowLoadedRecordings(int loadedKind, std::span<const std::string> lines) override;
    void ShowMapForLoad(int loadedKind) override;
    void ShowLoadedLogs() override;
    void ShowLoadedMemos(std::span<const std::string> memoPaths) override;

    void CreateLists();
    void CreateButtons();
    CZVButton* MakeButton(int item, int controlId, const char* tipKey, const char* tipDefault);
    void ShowOnlyList(std::optional<SearchList> list);
    void SetTabsVisible(bool visible);
    void SetPressedTab(SearchList tab);
    void MatchCheckButtons(const CListEvent& list);
    void ShowLoadedState(bool withEventToggle);
    void FillLoadedList(const std::vector<QString>& lines);
    void SetShown(int controlId, bool shown);
    void FillRecordingEventList();

    ISearchWindowHost& host_;
    ILoadTarget& target_;
    ISearchMessages* messages_;
    std::unique_ptr<ISearchMessages> ownMessages_;
    CSkin skin_;
    std::unique_ptr<CLoadSequence> sequence_;
    std::unique_ptr<CDlgLoading> loading_;

    std::array<CListEvent*, 4> lists_{};
    std::array<std::vector<std::string>, 4> paths_;
    NormalList normal_;
    CZVListBox* loadedList_ = nullptr;
    CZVListBox* loadedLogList_ = nullptr;
    CZVListBox* recordingEvents_ = nullptr;
    std::vector<CZVButton*> buttons_;
    std::vector<std::string> loadedMemoPaths_;
    SearchList pressedTab_ = SearchList::Event;
    bool eventListFlag_ = false;
    int lastLoadedSelection_ = -1;
};

} // namespace trevix
