// Measures x1 playback in the viewer's own window: starts the viewer with its real panel on a
// generated four-camera card (720 x 480 MPEG-4 at 30 pictures a second with sound and a
// synchronisation mark every 2 s), opens the card, loads its event recording, plays it for a
// while and prints one JSON object: pictures drawn, skipped and never given per channel, the
// process's CPU share, the display path, and how far the flash pictures lie from the clicks
// heard on the sound server's sink. Needs a display and the test sound server
// (scripts/with-services).
//
//   trevix-playmeasure [--seconds S] [--path auto|plain|gl] [--sync MS] [--resume-after MS]
//
// --path auto takes the path the viewer chooses by itself, plain forces the plain path, gl
// insists on the OpenGL path (and fails where the display has none).
// --resume-after plays that long first and pauses, so that the measured run resumes inside
// the recording.
#include "app/ViewerConfig.h"
#include "app/ui/MainBackPanel.h"
#include "app/ui/TrevixApp.h"
#include "bench/playmeasure/PlaybackSession.h"
#include "playback/ui/PaneSurfaceGl.h"
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/DescText.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWindow>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

using namespace trevix;
using namespace trevix::playmeasure;
namespace fs = std::filesystem;

struct Options {
    int seconds = 10;
    bool plainPath = false;
    bool openGlPath = false;
    int syncMs = 2000;
    int resumeAfterMs = 0;
};

std::optional<Options> ParseOptions(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        bool number = false;
        if (name == "--seconds" && value.toInt(&number) > 0 && number)
            options.seconds = value.toInt();
        else if (name == "--sync" && value.toInt(&number) >= 500 && number)
            options.syncMs = value.toInt();
        else if (name == "--resume-after" && value.toInt(&number) >= 0 && number)
            options.resumeAfterMs = value.toInt();
        else if (name == "--path" && (value == "auto" || value == "plain" || value == "gl")) {
            options.plainPath = value == "plain";
            options.openGlPath = value == "gl";
        } else
            return std::nullopt;
        ++i;
    }
    return options;
}

// Message boxes of the viewer go to the error output; nothing waits for a user.
class PrintedMessages final : public IUserMessages {
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        std::fprintf(stderr, "message box: %s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

// The folder browser answers with the card.
class CardFolder final : public IFolderBrowser {
public:
    explicit CardFolder(QString root) : root_(std::move(root)) {}
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override {
        return root_;
    }

private:
    QString root_;
};

// The virtual display's server: the Xvfb process whose display is ours; 0 when none is found.
int DisplayServerPid() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr)
        return 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "cmdline");
        std::string program, first;
        std::getline(file, program, '\0');
        std::getline(file, first, '\0');
        if (fs::path(program).filename() == "Xvfb" && first == display)
            return std::stoi(name);
    }
    return 0;
}

// User and system time of another process from /proc/PID/stat.
std::optional<std::chrono::microseconds> ProcessCpuTime(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (pid <= 0 || !std::getline(file, line))
        return std::nullopt;
    // The fields after the command name, which is in parentheses and may hold spaces.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    long long user = 0, system = 0;
    if (!(fields >> user >> system))
        return std::nullopt;
    const long ticks = sysconf(_SC_CLK_TCK);
    return std::chrono::microseconds((user + system) * 1000000 / (ticks > 0 ? ticks : 100));
}

// The card: one event recording long enough for the run, marks every syncMs.
mkcard::WrittenCard WriteCard(const fs::path& root, const Options& options) {
    const int seconds = options.seconds + options.resumeAfterMs / 1000 + 3;
    const std::string text = "logs none\nevent start=0 pre=" + std::to_string(seconds / 2) +
                             " post=" + std::to_string(seconds - seconds / 2) +
                             " code=1 codec=mpeg4 size=720x480 fps=30 audio=tone sync=" +
                             std::to_string(options.syncMs) + "\n";
    mkcard::CardDesc desc;
    if (const std::string error = mkcard::ApplyDescText(text, desc); !error.empty()) {
        mkcard::WrittenCard failed;
        failed.error = error;
        return failed;
    }
    return mkcard::WriteCard(desc, root);
}

// The start directory: the built skin and a settings file choosing the display path.
bool PrepareStartDirectory(const fs::path& start, bool plainPath) {
    std::error_code error;
    fs::create_directories(start, error);
    for (const char* name : {"trevix.dsc", "trevix.chk", "vedoredulang_en.ini"}) {
        const fs::path from = fs::path(TREVIX_RUN_DIR) / name;
        if (fs::exists(from, error) && !fs::copy_file(from, start / name, error))
            return false;
    }
    std::ofstream(start / "vedoredu.ini")
        << "[SYSTEM]\r\nForceGDI=" << (plainPath ? 1 : 0) << "\r\n";
    return fs::exists(start / "trevix.dsc", error);
}

QJsonValue Milliseconds(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject ToJson(const RunResult& run, const Options& options) {
    QJsonArray channels;
    for (int channel = 0; channel < kChannels; ++channel) {
        const ChannelCounts& counts = run.channels[static_cast<std::size_t>(channel)];
        channels.append(QJsonObject{{"channel", channel + 1},
                                    {"frames_in_span", counts.framesInSpan},
                                    {"given", counts.given},
                                    {"drawn", counts.drawn},
                                    {"drawn_per_second", counts.drawnPerSecond},
                                    {"skipped_by_display_rate", counts.skipped},
                                    {"superseded_before_drawing", counts.superseded},
                                    {"never_given", counts.neverGiven}});
    }
    QJsonArray marks;
    for (const MarkOffsets& mark : run.sync.marks) {
        QJsonArray offsets;
        for (const auto& offset : mark.offsetMs)
            offsets.append(Milliseconds(offset));
        marks.append(
            QJsonObject{{"recording_seconds_into_run", (mark.markMs - run.beginMs) / 1000.0},
                        {"click_heard", mark.click.has_value()},
                        {"flash_minus_click_ms", offsets}});
    }
    const bool matched = run.sync.flashesMatched > 0;
    QJsonObject sound{{"captured", run.soundError.empty()},
                      {"clicks_heard", static_cast<int>(run.clicks.size())},
                      {"flashes_drawn", run.sync.flashesDrawn},
                      {"flashes_matched", run.sync.flashesMatched},
                      {"offset_ms_mean", matched ? QJsonValue(run.sync.meanMs) : QJsonValue()},
                      {"offset_ms_max_abs", matched ? QJsonValue(run.sync.maxAbsMs) : QJsonValue()},
                      {"offset_ms_min", matched ? QJsonValue(run.sync.minMs) : QJsonValue()},
                      {"offset_ms_max", matched ? QJsonValue(run.sync.maxMs) : QJsonValue()},
                      {"marks", marks}};
    if (!run.soundError.empty())
        sound.insert("error", QString::fromStdString(run.soundError));
    return QJsonObject{
        {"window", "main frame with its real panel"},
        {"display_path", run.accelerated ? "opengl" : "plain"},
        {"forced_plain", options.plainPath},
        {"cpu_level", run.cpuLevel},
        {"plain_min_display_interval_ms", run.minIntervalMs},
        {"seconds", run.seconds},
        {"recording_seconds_played", (run.endMs - run.beginMs) / 1000.0},
        {"resumed_after_ms", options.resumeAfterMs},
        {"process_core_share", run.coreShare},
        {"stopped_cleanly", run.stoppedCleanly},
        {"channels", channels},
        {"sound", sound},
    };
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "trevix-playmeasure: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::optional<Options> options = ParseOptions(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s [--seconds S] [--path auto|plain|gl] [--sync MS] "
                     "[--resume-after MS]\n",
                     argv[0]);
        return 2;
    }
    if (options->openGlPath && !OpenGlPanesAvailable())
        return Fail("the display offers no OpenGL context for the panes");
    QTemporaryDir temp;
    if (!temp.isValid())
        return Fail("no temporary folder");
    const fs::path folder = temp.path().toStdString();
    const fs::path start = folder / "start";
    if (!PrepareStartDirectory(start, options->plainPath))
        return Fail("the built skin is missing in " TREVIX_RUN_DIR);
    const mkcard::WrittenCard card = WriteCard(folder / "card", *options);
    if (!card.Ok() || card.recordings.empty())
        return Fail("the card was not written: " + card.error);

    ViewerConfig config(UserFolders{start, folder / "appdata", folder, folder}, [] { return 1; });
    PrintedMessages messages;
    CardFolder browser(QString::fromStdString(card.root.string()));
    CMainBackPanel* panel = nullptr;
    AppStartOptions startOptions;
    startOptions.workingDirectory = start;
    startOptions.messages = &messages;
    startOptions.lockPath = QString::fromStdString((folder / "DR_BRESKA").string());
    startOptions.adjustFrame = [&](MainFrameSetup& setup) {
        setup.messages = &messages;
        setup.makePanel = [&](CMainFrame& frame) -> std::unique_ptr<IMainPanel> {
            auto made = std::make_unique<CMainBackPanel>(
                MakeFramePanelHost(frame), PanelServices{&messages, &browser}, &frame);
            panel = made.get();
            return made;
        };
    };
    CTrevixApp app(std::move(startOptions), &config);
    if (!app.InitInstance() || app.MainFrame() == nullptr || panel == nullptr)
        return Fail("the viewer did not start");
    CMainFrame& frame = *app.MainFrame();
    frame.show();
    WaitFor([&] { return frame.windowHandle() != nullptr && frame.windowHandle()->isExposed(); },
            10s);

    frame.RunAccelerator(cmd::kKeyOpen);
    const Viewer viewer{frame, *panel};
    if (const std::string error = LoadEventRows(viewer); !error.empty())
        return Fail(error);

    RunOptions run;
    run.playFor = std::chrono::seconds(options->seconds);
    run.markPeriod = std::chrono::milliseconds(options->syncMs);
    run.resumeAfter = std::chrono::milliseconds(options->resumeAfterMs);
    // The display server composes what the window shows; its share is measured alike.
    const int displayServer = DisplayServerPid();
    std::optional<std::chrono::microseconds> serverStart, serverEnd;
    run.atStart = [&] { serverStart = ProcessCpuTime(displayServer); };
    run.atEnd = [&] { serverEnd = ProcessCpuTime(displayServer); };
    for (const mkcard::WrittenSyncMark& mark : card.recordings.front().syncMarks)
        run.markTimesMs.push_back(mark.recorderMs);
    const RunResult result = PlayAndMeasure(viewer, run);
    if (!result.error.empty())
        return Fail(result.error);
    QJsonObject report = ToJson(result, *options);
    if (serverStart && serverEnd && result.seconds > 0)
        report.insert("display_server_core_share",
                      std::chrono::duration<double>(*serverEnd - *serverStart).count() /
                          result.seconds);
    std::printf("%s", QJsonDocument(report).toJson().constData());
    std::fflush(stdout);
    return app.ExitInstance() == 0 && result.stoppedCleanly ? 0 : 1;
}
