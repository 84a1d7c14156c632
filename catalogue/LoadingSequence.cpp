#include "catalogue/LoadingSequence.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "catalogue/SearchViews.h"
#include "recorder/CardLayout.h"
#include "recorder/RecorderTime.h"

#include <cstdio>

namespace trevix {
namespace {

constexpr LoadMessage kNoSelectedEvent{"EventFileLoad", "EVENT File Loading", "NoSelectedEvent",
                                       "No Event is selected"};
constexpr LoadMessage kEventCancel{"EventFileLoad", "EVENT File Loading", "EventLoadCancel",
                                   "Event Loading Cancel"};
constexpr LoadMessage kEventError{"EventFileLoad", "EVENT File Loading", "EventLoadError",
                                  "Event Loading Error"};
constexpr LoadMessage kNoSelectedNormal{"NormalFileLoad", "NORMAL File Loading", "NoSelectedNormal",
                                        "No Normal is selected"};
constexpr LoadMessage kNormalCancel{"NormalFileLoad", "NORMAL File Loading", "NormalLoadCancel",
                                    "Normal Loading Cancel"};
constexpr LoadMessage kNormalError{"NormalFileLoad", "NORMAL File Loading", "NormalLoadError",
                                   "Normal Loading Error"};
constexpr LoadMessage kNoSelectedMemo{"MemoFileLoad", "MEMO File Loading", "NoSelectedMemo",
                                      "No Memo is selected"};
constexpr LoadMessage kNoSelectedLog{"LogFileLoadCaption", "LOG File Loading", "NoSelectedLog",
                                     "No Log is selected"};
constexpr LoadMessage kNotTimeOrder{"", "", "FilesAreNotTimeOrder",
                                    "Selected files are not time order. Please select again."};
constexpr LoadMessage kLogCancel{"LogFileLoadCaption", "LOG File Loading", "LogLoadCancel",
                                 "Log Loading Cancel"};
constexpr LoadMessage kLogError{"LogFileLoadCaption", "LOG File Loading", "LogLoadError",
                                "Log Loading Error"};

std::string CountedCaption(std::string_view key, std::string_view englishDefault, int index,
                           int total) {
    char counts[48];
    std::snprintf(counts, sizeof counts, "  [ %d / %d ]", index + 1, total);
    return Lang("GUI", key, englishDefault) + counts;
}

} // namespace

std::string LoadMessage::Caption() const {
    return captionKey.empty() ? std::string() : Lang("GUI", captionKey, captionDefault);
}

std::string LoadMessage::Text() const {
    return Lang("Message", key, englishDefault);
}

void CLoadHandshake::NotifyFinished() {
    // Notified under the lock: a waiter that sees done_ may destroy the handshake as soon as
    // it can take the lock again, so the worker must not touch it after unlocking.
    const std::lock_guard lock(mutex_);
    done_ = true;
    finished_.notify_all();
}

bool CLoadHandshake::IsFinished() const {
    const std::lock_guard lock(mutex_);
    return done_;
}

bool CLoadHandshake::WaitFinished(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return finished_.wait_for(lock, timeout, [this] { return done_; });
}

LoadResult CLoadHandshake::Result() const {
    switch (state_.load()) {
    case 2:
        return LoadResult::Cancelled;
    case 3:
        return LoadResult::Failed;
    default:
        return LoadResult::Loaded;
    }
}

std::string LoadedRecordingLine(std::string_view listNumber, std::int64_t beginMs,
                                std::int64_t endMs) {
    const SYSTEMTIME t = FromRecorderMs(beginMs);
    const std::int64_t seconds = endMs > beginMs ? (endMs - beginMs) / 1000 : 0;
    std::string duration;
    if (seconds >= 60)
        duration = std::to_string(seconds / 60) + " " + Lang("GUI", "Minute", "Min");
    else
        duration = std::to_string(seconds) + " " + Lang("GUI", "Second", "Sec");
    char line[160];
    std::snprintf(line, sizeof line, ",  %d.%.2d.%.2d %.2d:%.2d:%.2d [%s]", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, duration.c_str());
    std::string text(" ");
    text.append(listNumber).append(line);
    return text;
}

LoadResult CLoadSequence::RunOne(int mode, const std::string& caption,
                                 const std::function<bool(CLoadHandshake&)>& start) {
    CLoadHandshake handshake;
    window_.RunFileDialog(mode, caption, handshake, [&] {
        if (start(handshake))
            return true;
        handshake.SetFailed();
        handshake.NotifyFinished();
        return false;
    });
    // The dialog returns only after the completion notice; a dialog that does not keep to
    // that must not leave a worker writing into an entry that is then discarded.
    handshake.WaitFinished(std::chrono::hours(24));
    return handshake.Result();
}

std::optional<LoadResult> CLoadSequence::LoadRecordings(int mode,
                                                        std::span<const std::string> paths) {
    const bool event = mode == kLoadModeEvent;
    if (paths.empty()) {
        window_.ShowMessage(event ? kNoSelectedEvent : kNoSelectedNormal);
        return std::nullopt;
    }
    target_.SelectRecording(-1);
    target_.DestroyLogFiles();
    target_.DestroyRecordings();
    const int total = static_cast<int>(paths.size());
    target_.ResizeRecordings(total);

    const std::string_view titleKey = event ? "EventFileLoading" : "NormalFileLoading";
    const std::string_view titleDefault = event ? "EVENT File Loading" : "NORMAL File Loading";
    window_.SetCaption(Lang("GUI", titleKey, titleDefault));
    window_.Show();
    window_.SetRange(0, total);
    window_.SetPos(0);

    LoadResult result = LoadResult::Loaded;
    for (int i = 0; i < total; ++i) {
        const std::string& path = paths[static_cast<std::size_t>(i)];
        result = RunOne(mode, CountedCaption(titleKey, titleDefault, i, total),
                        [&](CLoadHandshake& handshake) {
                            return target_.StartRecordingLoad(i, mode, path, handshake);
                        });
        if (result != LoadResult::Loaded) {
            if (result == LoadResult::Cancelled)
                target_.DiscardRecording(i);
            break;
        }
        window_.SetPos(i + 1);
    }
    window_.Hide();

    if (result == LoadResult::Loaded) {
        const int kind = event ? kLoadedEvent : kLoadedNormal;
        std::vector<std::string> lines;
        for (int i = 0; i < total; ++i) {
            const LoadedSummary summary = target_.Summary(i);
            const RecorderTitle title(TitleOfPath(paths[static_cast<std::size_t>(i)]));
            lines.push_back(
                LoadedRecordingLine(title.ListNumber(), summary.beginMs, summary.endMs));
        }
        window_.ShowLoadedRecordings(kind, lines);
        target_.SelectRecording(0);
        window_.ShowMapForLoad(kind);
        if (event)
            TRACE("Complete Loading Event.");
        else
            TRACE("Complete Loading Normal.");
        return result;
    }
    target_.DestroyRecordings();
    if (result == LoadResult::Cancelled) {
        TRACE("Cancel Loading Event.");
        window_.ShowMessage(event ? kEventCancel : kNormalCancel);
    } else {
        TRACE("Fail Loading Event.");
        window_.ShowMessage(event ? kEventError : kNormalError);
    }
    return result;
}

std::optional<LoadResult> CLoadSequence::LoadEvents(std::span<const std::string> tickedPaths) {
    return LoadRecordings(kLoadModeEvent, tickedPaths);
}

std::optional<LoadResult> CLoadSequence::LoadNormals(std::span<const std::string> tickedPaths) {
    return LoadRecordings(kLoadModeNormal, tickedPaths);
}

std::optional<LoadResult> CLoadSequence::LoadMemos(std::span<const std::string> tickedPaths) {
    if (tickedPaths.empty()) {
        window_.ShowMessage(kNoSelectedMemo);
        return std::nullopt;
    }
    window_.ShowLoadedMemos(tickedPaths);
    return LoadResult::Loaded;
}

std::optional<LoadResult> CLoadSequence::LoadLogs(std::span<const std::string> tickedPaths) {
    if (tickedPaths.empty()) {
        window_.ShowMessage(kNoSelectedLog);
        return std::nullopt;
    }
    // Each log must end no later than the next one starts.
    std::vector<std::optional<std::pair<std::int64_t, std::int64_t>>> spans;
    for (const std::string& path : tickedPaths)
        spans.push_back(target_.LogValidSpan(path));
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i - 1] && spans[i] && spans[i - 1]->second > spans[i]->first) {
            window_.ShowMessage(kNotTimeOrder);
            window_.UntickLogRows();
            return std::nullopt;
        }
    }

    if (spans.front() && spans.back()) {
        const std::int64_t from = spans.front()->first;
        const std::int64_t to = spans.back()->second;
        const LoadResult preview =
            RunOne(kLoadModePreview, Lang("GUI", "PreviewFileLoad", "Preview File Loading"),
                   [&](CLoadHandshake& handshake) {
                       return target_.StartPreviewLoad(from, to, handshake);
                   });
        if (preview != LoadResult::Loaded)
            target_.DiscardPreviews();
    } else {
        target_.DiscardPreviews();
    }

    target_.DestroyLogFiles();
    const int total = static_cast<int>(tickedPaths.size());
    target_.ResizeLogFiles(total);
    LoadResult result = LoadResult::Loaded;
    for (int i = 0; i < total && result == LoadResult::Loaded; ++i) {
        const std::string& path = tickedPaths[static_cast<std::size_t>(i)];
        result = RunOne(
            kLoadModeLog, CountedCaption("LogFileLoad", "LOG File Loading", i, total),
            [&](CLoadHandshake& handshake) { return target_.StartLogLoad(i, path, handshake); });
        if (result != LoadResult::Loaded)
            target_.DiscardLogFile(i);
    }
    if (result == LoadResult::Loaded) {
        window_.ShowLoadedLogs();
        TRACE("Complete Loading Log.");
        return result;
    }
    target_.DestroyLogFiles();
    if (result == LoadResult::Cancelled) {
        TRACE("Cancel Loading Log.");
        window_.ShowMessage(kLogCancel);
    } else {
        TRACE("Fail Loading Log.");
        window_.ShowMessage(kLogError);
    }
    return result;
}

} // namespace trevix
