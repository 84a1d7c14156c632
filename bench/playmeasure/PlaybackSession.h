// Drives a started viewer through one measured x1 playback: loads the scanned event rows
// through the file-list window's Load button, records what the panes are given and draw while
// the sink's monitor is captured, presses Play, lets the real timers run for a while, presses
// Pause and gathers the numbers of PlaybackMeasure.h.
#pragma once

#include "app/CommandIds.h"
#include "app/ui/MainBackPanel.h"
#include "app/ui/MainFrm.h"
#include "bench/playmeasure/PlaybackMeasure.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
#include "control/ui/ZVButton.h"
#include "playback/PlayState.h"
#include "playback/ui/WndPanePanel.h"
#include "recorder/DriveRecInfo.h"
#include "recorder/RecorderTime.h"
#include "tests/support/SinkCapture.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <functional>
#include <string>

namespace trevix::playmeasure {

using namespace std::chrono_literals;

// A click's level in the card's sound is 28000; the sound under the marks stays far below.
inline constexpr int kClickThreshold = 8000;
inline constexpr auto kSilenceBeforeClick = 50ms;
inline constexpr std::uint32_t kCaptureRate = 48000;

// Runs the event loop until done() holds or the timeout passes, looking every 10 ms; the
// loop sleeps in between, so the waiting adds nothing to the measured CPU time.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const Time deadline = Clock::now() + timeout;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || Clock::now() >= deadline)
            loop.quit();
    });
    if (!done()) {
        poll.start(10);
        loop.exec();
    }
    return done();
}

inline void RunEventsFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// A left press and release in the middle of the button, as the user's click.
inline bool Press(CZVButton* button) {
    if (button == nullptr || !button->isEnabled())
        return false;
    const QPointF at(button->rect().center());
    const QPointF global(button->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    return true;
}

// The viewer with its real panel, as both the program and the test start it.
struct Viewer {
    CMainFrame& frame;
    CMainBackPanel& panel;

    CWndSearch& FileList() const { return *panel.SearchWindow(); }
    CWndPanePanel& Panes() const { return *panel.PaneWindow(); }
    CMgrPlayControl& Play() const { return frame.PlayControl(); }
    CDriveRecInfo* Current() const {
        return frame.Recordings().At(frame.Search().CurrentRecording());
    }
};

// After a card was opened: waits for its event rows, ticks them all and presses Load; an
// error text, empty once a recording is current.
inline std::string LoadEventRows(const Viewer& viewer, std::chrono::milliseconds timeout = 60s) {
    if (viewer.panel.SearchWindow() == nullptr || viewer.panel.PaneWindow() == nullptr)
        return "the panel has no file-list window or pane panel";
    CWndSearch& list = viewer.FileList();
    if (!WaitFor([&] { return list.List(SearchList::Event).RowCount() > 0; }, timeout))
        return "the scan listed no event recording";
    // The scan's progress window goes once its hide timer has fired.
    WaitFor([&] { return !list.LoadingWindow().isVisible(); }, 10s);
    list.ShowList(SearchList::Event);
    list.CheckAll();
    if (!Press(list.Button(wndsearch::kLoad)))
        return "the Load button cannot be pressed";
    if (!WaitFor([&] { return viewer.Current() != nullptr; }, timeout))
        return "no recording became current after Load";
    return {};
}

struct RunOptions {
    std::chrono::milliseconds playFor = 10s;
    std::vector<std::int64_t> markTimesMs; // recorder times of the recording's marks
    std::chrono::milliseconds markPeriod = 2s;
    // Plays this long first and pauses, so that the measured run resumes inside the recording
    // as after the user's pause; 0 starts where the recording stands.
    std::chrono::milliseconds resumeAfter = 0ms;
    // Called as Play is pressed and right after Pause (to measure other processes alike).
    std::function<void()> atStart, atEnd;
};

struct RunResult {
    std::string error;      // empty when the run took place
    std::string soundError; // why no sound was captured; empty with a capture
    bool accelerated = false;
    int cpuLevel = 0;
    int minIntervalMs = 0; // the plain path's minimum display interval at x1
    Time started{};        // when Play was pressed
    double seconds = 0.0;
    double coreShare = 0.0;
    bool stoppedCleanly = false;
    std::int64_t beginMs = 0, endMs = 0; // shown time at Play and after Pause
    std::array<ChannelCounts, kChannels> channels{};
    std::array<PaneEvents, kChannels> panes{};
    std::vector<Time> clicks;
    SyncSummary sync;
};

// The recorder times of the recording's pictures on one channel, in file order.
inline std::vector<std::int64_t> FrameTimes(const CDriveRecInfo& recording, int channel) {
    std::vector<std::int64_t> times;
    for (const CInfoVdxFile& file :
         recording.m_arrChannels[static_cast<std::size_t>(channel)].m_arrFiles) {
        for (int i = 0; i < file.m_nFrameCount; ++i)
            if (const FRAMEINFOVIDEO* frame = file.GetFrameInfo(i))
                times.push_back(ToRecorderMs(frame->stTime));
    }
    return times;
}

// Plays the current recording at x1 from where it stands for options.playFor.
inline RunResult PlayAndMeasure(const Viewer& viewer, const RunOptions& options) {
    RunResult result;
    CDriveRecInfo* recording = viewer.Current();
    if (recording == nullptr) {
        result.error = "no recording is current";
        return result;
    }
    CWndPanePanel& panes = viewer.Panes();
    CMgrPlayControl& play = viewer.Play();
    result.accelerated = panes.IsAccelerated();
    result.cpuLevel = panes.DisplayRate().CpuLevel();
    result.minIntervalMs = panes.DisplayRate().MinInterval(kPlayNormal);

    test::SinkCapture capture(kCaptureRate);
    if (!capture.Start())
        result.soundError = capture.Error();

    if (options.resumeAfter > 0ms) {
        if (!Press(viewer.panel.Button(cmd::kPlay)))
            result.error = "Play cannot be pressed";
        RunEventsFor(options.resumeAfter);
        Press(viewer.panel.Button(cmd::kPause));
        RunEventsFor(300ms);
    }

    PaneDrawLog log;
    panes.SetDrawObserver(&log);
    result.beginMs = play.ShownTimeMs();
    if (options.atStart)
        options.atStart();
    const CpuSample start = CpuSample::Now();
    if (!result.error.empty() || !Press(viewer.panel.Button(cmd::kPlay)) ||
        play.PlayState() != kPlayNormal) {
        panes.SetDrawObserver(nullptr);
        result.error = "Play did not start x1 playback";
        return result;
    }
    RunEventsFor(options.playFor);
    Press(viewer.panel.Button(cmd::kPause));
    const CpuSample end = CpuSample::Now();
    if (options.atEnd)
        options.atEnd();
    result.stoppedCleanly = play.PlayState() == kPlayStopped && !play.TimerActive() &&
                            !viewer.panel.RecordingSound().IsOpen();
    result.endMs = play.ShownTimeMs();
    // Drawings already posted for pictures given before the stop still count.
    RunEventsFor(200ms);
    panes.SetDrawObserver(nullptr);

    if (result.soundError.empty()) {
        // The output is closed: the capture needs only what was played before the stop.
        if (!capture.WaitUntilPlayed(end.wall + 100ms, 10s))
            result.soundError = "the capture did not reach the end of the run";
        capture.Stop();
        result.clicks = capture.FindClickOnsets(kClickThreshold, kSilenceBeforeClick);
    }

    result.started = start.wall;
    result.seconds = std::chrono::duration<double>(end.wall - start.wall).count();
    result.coreShare = CoreShare(start, end);
    result.panes = log.Panes();
    for (int channel = 0; channel < kChannels; ++channel) {
        const std::size_t at = static_cast<std::size_t>(channel);
        result.channels[at] = CountChannel(FrameTimes(*recording, channel), result.panes[at],
                                           result.beginMs, result.endMs, result.seconds);
    }
    result.sync = MatchMarks(options.markTimesMs, result.panes, result.clicks, result.beginMs,
                             result.endMs, options.markPeriod / 2);
    return result;
}

} // namespace trevix::playmeasure
