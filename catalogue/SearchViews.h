// What the catalogue manager tells the windows that will host it: the file-list window's four
// lists, the loading window's progress, message boxes and the views cleared with the lists.
// Every call comes from the user-interface thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace trevix {

// Scan finished: posted to the file-list window, which hides its busy indicator.
inline constexpr int kMsgScanFinished = 0x07A1;
// Rescan the current root (sent by anyone to the catalogue manager).
inline constexpr int kMsgRescan = 0x07A2;
// The manager's timer that hides the loading window after a scan.
inline constexpr int kHideLoadingTimerId = 999;
inline constexpr int kHideLoadingTimerMs = 2000;

// The four lists, in the order of the tab buttons' search for the first non-empty one.
enum class SearchList { Event, Normal, Memo, Log };

struct ScanLists;

// Loaded kinds (held by the application object).
inline constexpr int kLoadedNone = 0;
inline constexpr int kLoadedEvent = 1;
inline constexpr int kLoadedNormal = 2;
inline constexpr int kLoadedMemo = 3;
inline constexpr int kLoadedLog = 4;

// The file-list window. The paths are the card paths as spelled on disk, in list order; the
// window builds its rows from them (SearchListRows.h).
class ISearchView {
public:
    virtual ~ISearchView() = default;
    // Ends the loaded state and empties the four lists.
    virtual void ClearLists() = 0;
    virtual void FillList(SearchList list, std::span<const std::string> paths) = 0;
    // The same from a scan, with what it read of each file; a view that builds rows takes them
    // from there instead of reading the files again. By default the paths are handed on.
    virtual void FillScannedList(SearchList list, const ScanLists& scan);
    virtual void ShowList(SearchList list) = 0;
    // Message 0x07A1, delivered after the current call returns.
    virtual void PostScanFinished() = 0;
};

// The loading window used as the scan's progress window, and the wait cursor.
class ILoadingView {
public:
    virtual ~ILoadingView() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetRange(int low, int high) = 0;
    virtual void SetPos(int position) = 0;
    virtual void SetWaitCursor(bool waiting) = 0;
    // Timer 999 of the manager: the host calls MgrDBSearch::OnHideLoadingTimer when it fires.
    virtual void StartHideTimer(int milliseconds) = 0;
    virtual void StopHideTimer() = 0;
};

// The rest of the viewer as far as the catalogue manager reaches into it.
class IViewerHost {
public:
    virtual ~IViewerHost() = default;
    // A message box with the application name as caption and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // The loaded kind of the application object (kLoadedNone ... kLoadedLog).
    virtual int LoadedKind() const = 0;
    // Clears the video panes, the main frame's play-mark flag, the play-time display, the
    // G-sensor graph and the map's trigger markers.
    virtual void ClearViews() = 0;
    // The main panel's time bar range and position, in recorder milliseconds.
    virtual void SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) = 0;
};

// The loaded recordings the manager owns (one entry per loaded recording). The recording model
// implements it; the manager needs only these steps of it.
class ILoadedRecordings {
public:
    virtual ~ILoadedRecordings() = default;
    virtual int Count() const = 0;
    // Closes the open data file of each channel of entry index; none of them has a current
    // file afterwards.
    virtual void CloseChannelFiles(int index) = 0;
    // The recording's part of making entry index current: opening its first file, showing it
    // at its start, the time bar's range and marks, the G-sensor window and the map (the steps
    // after the index has been checked and stored).
    virtual void ShowSelected(int index, int loadedKind) = 0;
    // Destroys every loaded recording.
    virtual void DestroyAll() = 0;
};

// Stand-ins that show nothing, for runs without windows (the command-line tool, benchmarks) and
// for the views a window does not provide. Derive to keep what one of them is told.
class NullSearchView : public ISearchView {
public:
    void ClearLists() override {}
    void FillList(SearchList, std::span<const std::string>) override {}
    void ShowList(SearchList) override {}
    void PostScanFinished() override {}
};

class NullLoadingView : public ILoadingView {
public:
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void Hide() override {}
    void SetRange(int, int) override {}
    void SetPos(int) override {}
    void SetWaitCursor(bool) override {}
    void StartHideTimer(int) override {}
    void StopHideTimer() override {}
};

class NullViewerHost : public IViewerHost {
public:
    void ShowMessage(const std::string&) override {}
    int LoadedKind() const override { return kLoadedNone; }
    void ClearViews() override {}
    void SetTimeRange(std::int64_t, std::int64_t, std::int64_t) override {}
};

class NullLoadedRecordings : public ILoadedRecordings {
public:
    int Count() const override { return 0; }
    void CloseChannelFiles(int) override {}
    void ShowSelected(int, int) override {}
    void DestroyAll() override {}
};

} // namespace trevix
