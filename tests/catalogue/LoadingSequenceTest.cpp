#include "catalogue/LoadingSequence.h"
#include "catalogue/SearchViews.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <thread>

using namespace trevix;

namespace {

// Loaded set whose workers are real threads that finish after a short delay.
class FakeTarget : public ILoadTarget {
public:
    ~FakeTarget() override { JoinAll(); }

    void SelectRecording(int index) override { log.push_back("select " + std::to_string(index)); }
    void DestroyRecordings() override {
        JoinAll();
        recordings.clear();
        log.push_back("destroy recordings");
    }
    void DestroyLogFiles() override {
        JoinAll();
        logFiles.clear();
        log.push_back("destroy logs");
    }
    void ResizeRecordings(int count) override { recordings.assign(count, ""); }
    bool StartRecordingLoad(int index, int, const std::string& path,
                            CLoadHandshake& handshake) override {
        if (unstartable.count(path) != 0)
            return false;
        const bool fail = failing.count(path) != 0;
        workers.emplace_back([this, index, path, fail, &handshake] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            recordings[static_cast<std::size_t>(index)] = path; // the worker's own entry
            if (fail)
                handshake.SetFailed();
            handshake.NotifyFinished();
        });
        return true;
    }
    void DiscardRecording(int index) override { log.push_back("discard " + std::to_string(index)); }
    LoadedSummary Summary(int index) const override {
        return {1'700'000'000'000 + index * 60'000, 1'700'000'000'000 + index * 60'000 + 75'000};
    }
    void ResizeLogFiles(int count) override { logFiles.assign(count, ""); }
    bool StartLogLoad(int index, const std::string& path, CLoadHandshake& handshake) override {
        workers.emplace_back([this, index, path, &handshake] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            logFiles[static_cast<std::size_t>(index)] = path;
            logFinished = true;
            handshake.NotifyFinished();
        });
        return true;
    }
    void DiscardLogFile(int index) override {
        log.push_back("discard log " + std::to_string(index));
    }
    std::optional<std::pair<std::int64_t, std::int64_t>>
    LogValidSpan(const std::string& path) override {
        const auto found = spans.find(path);
        if (found == spans.end())
            return std::nullopt;
        return found->second;
    }
    bool StartPreviewLoad(std::int64_t fromMs, std::int64_t toMs,
                          CLoadHandshake& handshake) override {
        previewSpan = {fromMs, toMs};
        if (previewFails)
            handshake.SetFailed();
        handshake.NotifyFinished();
        return true;
    }
    void DiscardPreviews() override { log.push_back("discard previews"); }

    void JoinAll() {
        for (std::thread& worker : workers)
            worker.join();
        workers.clear();
    }

    std::vector<std::string> recordings, logFiles, log;
    std::set<std::string> failing, unstartable;
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> spans;
    std::optional<std::pair<std::int64_t, std::int64_t>> previewSpan;
    bool previewFails = false;
    std::atomic<bool> logFinished{false};
    std::vector<std::thread> workers;
};

class FakeWindow : public ILoadingWindow {
public:
    void SetCaption(const std::string& caption) override { windowCaption = caption; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void SetRange(int, int high) override { rangeHigh = high; }
    void SetPos(int position) override { positions.push_back(position); }
    void RunFileDialog(int mode, const std::string& caption, CLoadHandshake& handshake,
                       const std::function<bool()>& start) override {
        modes.push_back(mode);
        captions.push_back(caption);
        const bool started = start();
        if (started && cancelDuringLoad)
            handshake.RequestCancel(); // the user presses Cancel while the worker runs
        EXPECT_TRUE(handshake.WaitFinished(std::chrono::seconds(10)));
    }
    void ShowMessage(const LoadMessage& message) override {
        messages.push_back(message.Text());
        messageCaptions.push_back(message.Caption());
    }
    void UntickLogRows() override { ++unticks; }
    void ShowLoadedRecordings(int loadedKind, std::span<const std::string> lines) override {
        kind = loadedKind;
        listLines.assign(lines.begin(), lines.end());
    }
    void ShowMapForLoad(int) override { ++mapShown; }
    void ShowLoadedLogs() override { kind = kLoadedLog; }
    void ShowLoadedMemos(std::span<const std::string> memos) override {
        kind = kLoadedMemo;
        memoPaths.assign(memos.begin(), memos.end());
    }

    bool cancelDuringLoad = false;
    std::string windowCaption;
    bool visible = false;
    int rangeHigh = -1;
    std::vector<int> positions, modes;
    std::vector<std::string> captions, messages, messageCaptions, listLines, memoPaths;
    int unticks = 0, mapShown = 0, kind = 0;
};

struct LoadFixture {
    FakeTarget target;
    FakeWindow window;
    CLoadSequence sequence{window, target};
};

const std::vector<std::string> kThree = {"/c/a.vdd", "/c/b.vdd", "/c/c.vdd"};

} // namespace

TEST(LoadingEvents, ThreeRowsLoadInOrderWithProgressAndTheFirstBecomesCurrent) {
    LoadFixture f;
    EXPECT_EQ(f.sequence.LoadEvents(kThree), LoadResult::Loaded);
    f.target.JoinAll();
    EXPECT_EQ(f.target.recordings, kThree);
    EXPECT_EQ(f.window.positions, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(f.window.rangeHigh, 3);
    EXPECT_FALSE(f.window.visible);
    EXPECT_EQ(f.window.windowCaption, "EVENT File Loading");
    EXPECT_EQ(f.window.captions[1], "EVENT File Loading  [ 2 / 3 ]");
    EXPECT_EQ(f.window.kind, kLoadedEvent);
    EXPECT_EQ(f.target.log.front(), "select -1");
    EXPECT_EQ(f.target.log.back(), "select 0");
    EXPECT_EQ(f.window.mapShown, 1);
    ASSERT_EQ(f.window.listLines.size(), 3u);
    EXPECT_TRUE(f.window.listLines[0].starts_with(" 0,  ")); // titles without a serial
    EXPECT_TRUE(f.window.listLines[0].ends_with("[1 Min]"));
}

TEST(LoadingEvents, FailureOfTheSecondStopsAndDiscardsEverything) {
    LoadFixture f;
    f.target.failing.insert(kThree[1]);
    EXPECT_EQ(f.sequence.LoadEvents(kThree), LoadResult::Failed);
    EXPECT_EQ(f.window.modes.size(), 2u); // the third was never started
    EXPECT_TRUE(f.target.recordings.empty());
    EXPECT_EQ(f.window.messages, std::vector<std::string>{"Event Loading Error"});
    EXPECT_EQ(f.window.messageCaptions, std::vector<std::string>{"EVENT File Loading"});
    EXPECT_EQ(f.window.kind, 0);
}

TEST(LoadingEvents, WorkerThatCannotStartCountsAsFailure) {
    LoadFixture f;
    f.target.unstartable.insert(kThree[0]);
    EXPECT_EQ(f.sequence.LoadNormals(kThree), LoadResult::Failed);
    EXPECT_EQ(f.window.messages, std::vector<std::string>{"Normal Loading Error"});
}

TEST(LoadingEvents, CancelTakesEffectAfterTheWorkerFinished) {
    LoadFixture f;
    f.window.cancelDuringLoad = true;
    EXPECT_EQ(f.sequence.LoadNormals(kThree), LoadResult::Cancelled);
    EXPECT_EQ(f.window.modes, std::vector<int>{kLoadModeNormal});
    EXPECT_NE(std::find(f.target.log.begin(), f.target.log.end(), "discard 0"), f.target.log.end());
    EXPECT_TRUE(f.target.recordings.empty());
    EXPECT_EQ(f.window.messages, std::vector<std::string>{"Normal Loading Cancel"});
}

TEST(LoadingRefusals, NoTickedRowChangesNothing) {
    LoadFixture f;
    EXPECT_FALSE(f.sequence.LoadEvents({}).has_value());
    EXPECT_FALSE(f.sequence.LoadNormals({}).has_value());
    EXPECT_FALSE(f.sequence.LoadMemos({}).has_value());
    EXPECT_FALSE(f.sequence.LoadLogs({}).has_value());
    EXPECT_EQ(f.window.messages,
              (std::vector<std::string>{"No Event is selected", "No Normal is selected",
                                        "No Memo is selected", "No Log is selected"}));
    EXPECT_TRUE(f.target.log.empty()); // nothing discarded
}

TEST(LoadingLogs, OverlappingLogsAreRefusedAndUnticked) {
    LoadFixture f;
    f.target.spans["/l/1.log"] = {1000, 5000};
    f.target.spans["/l/2.log"] = {4000, 9000};
    const std::vector<std::string> logs = {"/l/1.log", "/l/2.log"};
    EXPECT_FALSE(f.sequence.LoadLogs(logs).has_value());
    EXPECT_EQ(f.window.messages,
              std::vector<std::string>{"Selected files are not time order. Please select again."});
    EXPECT_EQ(f.window.messageCaptions, std::vector<std::string>{""}); // application name
    EXPECT_EQ(f.window.unticks, 1);
    EXPECT_TRUE(f.window.modes.empty());
}

TEST(LoadingLogs, PreviewSpansTheLogsThenEachLogLoads) {
    LoadFixture f;
    f.target.spans["/l/1.log"] = {1000, 5000};
    f.target.spans["/l/2.log"] = {5000, 9000}; // touching is in order
    const std::vector<std::string> logs = {"/l/1.log", "/l/2.log"};
    EXPECT_EQ(f.sequence.LoadLogs(logs), LoadResult::Loaded);
    f.target.JoinAll();
    EXPECT_EQ(f.target.previewSpan, (std::pair<std::int64_t, std::int64_t>{1000, 9000}));
    EXPECT_EQ(f.window.modes, (std::vector<int>{kLoadModePreview, kLoadModeLog, kLoadModeLog}));
    EXPECT_EQ(f.window.captions[0], "Preview File Loading");
    EXPECT_EQ(f.window.captions[2], "LOG File Loading  [ 2 / 2 ]");
    EXPECT_EQ(f.target.logFiles, logs);
    EXPECT_EQ(f.window.kind, kLoadedLog);
}

TEST(LoadingLogs, FailedPreviewIsDiscardedAndTheLoadGoesOn) {
    LoadFixture f;
    f.target.spans["/l/1.log"] = {1000, 5000};
    f.target.previewFails = true;
    EXPECT_EQ(f.sequence.LoadLogs(std::vector<std::string>{"/l/1.log"}), LoadResult::Loaded);
    EXPECT_NE(std::find(f.target.log.begin(), f.target.log.end(), "discard previews"),
              f.target.log.end());
}

TEST(LoadingLogs, CancelOfTheOnlyLogShowsCancelAfterTheWorkerFinished) {
    LoadFixture f;
    f.window.cancelDuringLoad = true;
    EXPECT_EQ(f.sequence.LoadLogs(std::vector<std::string>{"/l/1.log"}), LoadResult::Cancelled);
    EXPECT_TRUE(f.target.logFinished.load());
    EXPECT_EQ(f.window.messages, std::vector<std::string>{"Log Loading Cancel"});
    EXPECT_TRUE(f.target.logFiles.empty());
}

TEST(LoadingMemos, TickedMemosBecomeTheLoadedList) {
    LoadFixture f;
    const std::vector<std::string> memos = {"/c/memo/1.aud"};
    EXPECT_EQ(f.sequence.LoadMemos(memos), LoadResult::Loaded);
    EXPECT_EQ(f.window.memoPaths, memos);
    EXPECT_TRUE(f.window.modes.empty()); // no worker, no loading window
}

TEST(LoadingLines, SecondsBelowAMinute) {
    EXPECT_TRUE(
        LoadedRecordingLine("12", 1'700'000'000'000, 1'700'000'045'900).ends_with("[45 Sec]"));
    EXPECT_TRUE(
        LoadedRecordingLine("12", 1'700'000'000'000, 1'700'000'000'000).starts_with(" 12,  "));
}
