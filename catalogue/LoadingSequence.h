// The loads of the ticked rows: one recording or log file at a time, each on its own worker,
// with progress, cancel and failure, the log order check and the log preview, and what becomes
// current at the end. Dialogs and windows are reached through ILoadingWindow, the loaded set
// through ILoadTarget; each refusal and result is a message key the dialog shows.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// Dialog results of one load.
enum class LoadResult { Loaded = 1, Cancelled = 2, Failed = 3 };

// Modes of a per-file loading dialog.
inline constexpr int kLoadModeEvent = 1;
inline constexpr int kLoadModeNormal = 2;
inline constexpr int kLoadModeLog = 4;
inline constexpr int kLoadModePreview = 5;

// A message box: its caption (a "GUI" text, or the application name when captionKey is
// empty) and its text from section "Message".
struct LoadMessage {
    std::string_view captionKey;
    std::string_view captionDefault;
    std::string_view key;
    std::string_view englishDefault;

    std::string Caption() const; // empty: the application name
    std::string Text() const;
};

// The hand-shake between one loading dialog and its worker: the state (1 running, 2 cancel
// requested by the dialog, 3 failed, set by the worker) and the completion notice, which the
// worker gives as its last action. A cancel takes effect only when the worker has finished.
class CLoadHandshake {
public:
    int State() const { return state_.load(); }
    void RequestCancel() { state_.store(2); }
    void SetFailed() { state_.store(3); }
    void SetState(int state) { state_.store(state); }
    void SetProgressRange(int high) { rangeHigh_.store(high); }
    void SetProgressPos(int position) { position_.store(position); }
    int ProgressPos() const { return position_.load(); }

    // Message 1824 from the worker.
    void NotifyFinished();
    bool IsFinished() const;
    bool WaitFinished(std::chrono::milliseconds timeout) const;
    // After the completion notice: cancelled (state 2), failed (3) or loaded.
    LoadResult Result() const;

private:
    std::atomic<int> state_{1};
    std::atomic<int> rangeHigh_{0};
    std::atomic<int> position_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
};

// The loading dialogs and the windows a finished load changes (user-interface thread).
class ILoadingWindow {
public:
    virtual ~ILoadingWindow() = default;
    // The modeless loading window.
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetRange(int low, int high) = 0;
    virtual void SetPos(int position) = 0;
    // Runs one per-file dialog with caption (hidden for modes 1 and 2): calls start (which
    // starts the worker; false means it could not start and has already finished), lets the
    // Cancel button call handshake.RequestCancel, and returns once handshake reports finished.
    virtual void RunFileDialog(int mode, const std::string& caption, CLoadHandshake& handshake,
                               const std::function<bool()>& start) = 0;
    virtual void ShowMessage(const LoadMessage& message) = 0;
    virtual void UntickLogRows() = 0;
    // Success of an event or normal load (kind 1 or 2): loaded kind, trigger markers, the time
    // bar for events, the quad layout and the loaded list lines, in that order.
    virtual void ShowLoadedRecordings(int loadedKind, std::span<const std::string> lines) = 0;
    // After the first recording became current: map and G-sensor repaint, map page.
    virtual void ShowMapForLoad(int loadedKind) = 0;
    // Success of a log load: loaded kind 4, time bar, log layout, the log views, map page and
    // the first valid fix.
    virtual void ShowLoadedLogs() = 0;
    // Memo load: loaded kind 3, the list lines, the first memo shown, the buttons disabled.
    virtual void ShowLoadedMemos(std::span<const std::string> memoPaths) = 0;
};

// What a loaded recording reports for its list line.
struct LoadedSummary {
    std::int64_t beginMs = 0;
    std::int64_t endMs = 0;
};

// The loaded set of the catalogue (user-interface thread, except where a worker is named).
class ILoadTarget {
public:
    virtual ~ILoadTarget() = default;
    virtual void SelectRecording(int index) = 0;
    virtual void DestroyRecordings() = 0;
    virtual void DestroyLogFiles() = 0;
    virtual void ResizeRecordings(int count) = 0;
    // Starts the worker loading entry index; it ends with handshake.NotifyFinished (after
    // SetFailed on failure). False when nothing was started.
    virtual bool StartRecordingLoad(int index, int mode, const std::string& path,
                                    CLoadHandshake& handshake) = 0;
    virtual void DiscardRecording(int index) = 0;
    virtual LoadedSummary Summary(int index) const = 0;
    virtual void ResizeLogFiles(int count) = 0;
    virtual bool StartLogLoad(int index, const std::string& path, CLoadHandshake& handshake) = 0;
    virtual void DiscardLogFile(int index) = 0;
    // First and last valid sample times of a log file; empty when it has none.
    virtual std::optional<std::pair<std::int64_t, std::int64_t>>
    LogValidSpan(const std::string& path) = 0;
    // Starts the four preview loaders for the span (the last to finish notifies).
    virtual bool StartPreviewLoad(std::int64_t fromMs, std::int64_t toMs,
                                  CLoadHandshake& handshake) = 0;
    virtual void DiscardPreviews() = 0;
};

// " %.0f,  %d.%.2d.%.2d %.2d:%.2d:%.2d [%s]": the loaded list's line of a recording, with the
// list number of its file (the "%.0f" text of the title's serial).
std::string LoadedRecordingLine(std::string_view listNumber, std::int64_t beginMs,
                                std::int64_t endMs);

class CLoadSequence {
public:
    CLoadSequence(ILoadingWindow& window, ILoadTarget& target) : window_(window), target_(target) {}

    // Each returns the result, or empty when nothing was loaded because of a refusal.
    std::optional<LoadResult> LoadEvents(std::span<const std::string> tickedPaths);
    std::optional<LoadResult> LoadNormals(std::span<const std::string> tickedPaths);
    std::optional<LoadResult> LoadMemos(std::span<const std::string> tickedPaths);
    std::optional<LoadResult> LoadLogs(std::span<const std::string> tickedPaths);

private:
    std::optional<LoadResult> LoadRecordings(int mode, std::span<const std::string> paths);
    LoadResult RunOne(int mode, const std::string& caption,
                      const std::function<bool(CLoadHandshake&)>& start);

    ILoadingWindow& window_;
    ILoadTarget& target_;
};

} // namespace trevix
