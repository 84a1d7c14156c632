// Stand-ins for what the file-list window reaches (the viewer around it and the loaded set with
// worker threads), caught message boxes, waiting with deadlines, and a scanned generated card.
#pragma once

#include "catalogue/MgrDBSearch.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace trevix::test {

// The build folder: the test build's definition, else the environment ctest gives.
inline std::filesystem::path TestBinaryDir() {
#ifdef TREVIX_BINARY_DIR
    return TREVIX_BINARY_DIR;
#else
    const char* folder = std::getenv("TREVIX_BINARY_DIR");
    return folder != nullptr ? folder : ".";
#endif
}

// The generated start directory with the skin files.
inline std::filesystem::path SkinDescription() {
#ifdef TREVIX_RUN_DIR
    return std::filesystem::path(TREVIX_RUN_DIR) / "trevix.dsc";
#else
    return TestBinaryDir() / "run" / "trevix.dsc";
#endif
}

// Runs the event loop until done() holds or the deadline passes; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

inline void Click(QWidget& widget, QPoint at) {
    const QPointF local(at);
    QMouseEvent press(QEvent::MouseButtonPress, local, widget.mapToGlobal(local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, widget.mapToGlobal(local),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

inline void Click(QWidget& widget) {
    Click(widget, widget.rect().center());
}

class CaughtSearchMessages final : public ISearchMessages {
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        shown.emplace_back(caption.toStdString(), text.toStdString());
        if (onMessage)
            onMessage();
    }
    std::vector<std::pair<std::string, std::string>> shown; // caption, text
    std::function<void()> onMessage;
};

// Records what the window asks of the viewer.
class FakeSearchHost final : public ISearchWindowHost {
public:
    int LoadedKind() const override { return loadedKind; }
    void SetLoadedKind(int kind) override { loadedKind = kind; }
    void PrepareLoad() override { calls.push_back("prepare load"); }
    void StopPlaybackForClose() override { calls.push_back("stop playback"); }
    bool WaitTimerEvent(int) override { return true; }
    void ResetViews() override { calls.push_back("reset views"); }
    void UnloadAll() override {
        calls.push_back("unload all");
        if (closeOnUnload)
            closeOnUnload(); // the panel's UnloadAll runs Close again
    }
    void StopLogPlay() override { calls.push_back("stop log play"); }
    void StopMemoSound() override { calls.push_back("stop memo sound"); }
    void SetMemoButtonsEnabled(bool enabled) override {
        calls.push_back(enabled ? "memo buttons on" : "memo buttons off");
    }
    void PickRecording(int index) override { picked.push_back(index); }
    void ShowMemo(const std::string& path, bool isNew) override { memos.emplace_back(path, isNew); }
    void PickLoadedLog(int index) override { pickedLogs.push_back(index); }
    std::span<const CInfoVdxFile> CurrentKeyChannelFiles() override { return keyFiles; }
    void ShowRecordingAt(std::int64_t timeMs) override { shownAt.push_back(timeMs); }
    void OnRecordingsLoaded(int kind) override {
        calls.push_back("recordings loaded " + std::to_string(kind));
    }
    void ShowMapForLoad(int) override { calls.push_back("map"); }
    void PrepareLogViews() override { calls.push_back("prepare log views"); }
    void InitLogViews() override { calls.push_back("init log views"); }
    void FinishLogLoad() override { calls.push_back("finish log load"); }

    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    int loadedKind = kLoadedNone;
    std::vector<std::string> calls;
    std::vector<int> picked, pickedLogs;
    std::vector<std::pair<std::string, bool>> memos;
    std::vector<CInfoVdxFile> keyFiles;
    std::vector<std::int64_t> shownAt;
    std::function<void()> closeOnUnload;
};

// A loaded set whose loads are real worker threads that finish after workMs.
class ThreadedLoadTarget final : public ILoadTarget {
public:
    ~ThreadedLoadTarget() override { JoinAll(); }

    void SelectRecording(int index) override { selected.push_back(index); }
    void DestroyRecordings() override {
        JoinAll();
        recordings.clear();
    }
    void DestroyLogFiles() override {
        JoinAll();
        logFiles.clear();
    }
    void ResizeRecordings(int count) override { recordings.assign(count, ""); }
    bool StartRecordingLoad(int index, int mode, const std::string& path,
                            CLoadHandshake& handshake) override {
        started.push_back(path);
        modes.push_back(mode);
        if (onStart)
            onStart(index);
        const bool fail = failing.count(path) != 0;
        workers.emplace_back([this, index, path, fail, &handshake] {
            std::this_thread::sleep_for(std::chrono::milliseconds(workMs));
            recordings[static_cast<std::size_t>(index)] = path;
            if (fail)
                handshake.SetFailed();
            finishedLoads.fetch_add(1);
            handshake.NotifyFinished();
        });
        return true;
    }
    void DiscardRecording(int index) override { discarded.push_back(index); }
    LoadedSummary Summary(int index) const override {
        return {1'700'000'000'000 + index * 60'000, 1'700'000'000'000 + index * 60'000 + 75'000};
    }
    void ResizeLogFiles(int count) override { logFiles.assign(count, ""); }
    bool StartLogLoad(int index, const std::string& path, CLoadHandshake& handshake) override {
        started.push_back(path);
        workers.emplace_back([this, index, path, &handshake] {
            std::this_thread::sleep_for(std::chrono::milliseconds(workMs));
            logFiles[static_cast<std::size_t>(index)] = path;
            finishedLoads.fetch_add(1);
            handshake.NotifyFinished();
        });
        return true;
    }
    void DiscardLogFile(int index) override { discarded.push_back(index); }
    std::optional<std::pair<std::int64_t, std::int64_t>>
    LogValidSpan(const std::string& path) override {
        const auto found = spans.find(path);
        if (found == spans.end())
            return std::nullopt;
        return found->second;
    }
    bool StartPreviewLoad(std::int64_t, std::int64_t, CLoadHandshake& handshake) override {
        ++previews;
        handshake.NotifyFinished();
        return true;
    }
    void DiscardPreviews() override {}

    void JoinAll() {
        for (std::thread& worker : workers)
            worker.join();
        workers.clear();
    }

    int workMs = 60;
    std::vector<std::string> recordings, logFiles, started;
    std::vector<int> modes, selected, discarded;
    std::set<std::string> failing;
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> spans;
    std::function<void(int)> onStart;
    std::atomic<int> finishedLoads{0};
    int previews = 0;
    std::vector<std::thread> workers;
};

// A file-list window wired to the catalogue manager, scanning generated cards.
struct SearchWindowFixture {
    FakeSearchHost host;
    ThreadedLoadTarget target;
    CaughtSearchMessages messages;
    CWndSearch window{host, target, SkinDescription(), &messages};
    RecordingViews viewer; // the viewer host and loaded recordings of the manager
    CMgrDBSearch search{window, window.LoadingView(), viewer, viewer};

    bool Scan(const TempDir& dir) { return search.SelectAndScan(dir.Str(), nullptr); }
};

} // namespace trevix::test
