#include "catalogue/MgrDBSearch.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "catalogue/CardFileCheck.h"
#include "catalogue/FolderListing.h"
#include "catalogue/FolderScan.h"
#include "platform/CardPath.h"
#include "platform/ProfileStore.h"
#include "platform/ThreadFiles.h"
#include "recorder/CardLayout.h"
#include "recorder/RecorderTime.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <future>
#include <optional>
#include <span>
#include <system_error>
#include <thread>

namespace trevix {
namespace {

bool HasAnyFile(const CardPattern& pattern) {
    const std::vector<CardEntry> entries = FindCardEntries(pattern);
    return std::any_of(entries.begin(), entries.end(),
                       [](const CardEntry& entry) { return !entry.isDirectory; });
}

CardPattern PatternIn(std::string folder, std::string_view suffix) {
    return {std::move(folder), "", std::string(suffix)};
}

std::int64_t NowRecorderMs() {
    SYSTEMTIME time = FromRecorderMs(std::int64_t{std::time(nullptr)} * 1000);
    time.wSecond = std::min<std::uint16_t>(time.wSecond, 59); // a leap second
    return ToRecorderMs(time);
}

// A channel folder with what the scan reads of it: video pairs, and markers in normal folders.
FolderListing VideoFolder(std::string_view root, int channel, std::string_view kind) {
    return FolderListing(ChannelKindFolder(root, channel, kind),
                         {kVideoDataExt, kVideoIndexExt, kEventMarkerExt});
}

// The files of a top-level card folder with one extension.
FolderListing CardFolder(std::string_view root, std::string_view folder, std::string_view suffix) {
    return FolderListing(CardPathOnDisk(root, folder), {suffix});
}

// The first channel (1..4) whose folder of kind yields any file; channel 1 moves the progress.
// first is channel 1's folder, listed already; the others are listed when they are reached.
ScannedVideos FirstChannelWithFiles(FolderScan& scan, std::string_view root, std::string_view kind,
                                    const FolderListing& first,
                                    SharedPairReads* firstShared = nullptr) {
    ScannedVideos found = scan.VideoFiles(first, true, firstShared);
    for (int channel = 2; found.paths.empty() && channel <= kMaxChannels; ++channel)
        found = scan.VideoFiles(VideoFolder(root, channel, kind), false);
    return found;
}

// Appends the event markers of a normal folder whose event key no listed path holds, each with
// its event code.
void AppendEventMarkersOf(const FolderListing& folder, ScanLists& scan) {
    for (const FolderListing::File* marker : folder.FilesEndingWith(kEventMarkerExt)) {
        const std::string_view key = RecorderTitle(TitleOfPath(marker->name)).EventKey();
        const bool listed =
            std::any_of(scan.event.begin(), scan.event.end(), [&](const auto& path) {
                return FindNoCase(path, key) != std::string_view::npos;
            });
        if (listed)
            continue;
        std::string path = folder.PathOf(*marker);
        scan.eventSummaries.push_back(ReadEventFileSummary(path));
        scan.event.push_back(std::move(path));
    }
}

// What the scan reads that nothing it does before reading it can change, read on a thread of its
// own while the scan checks the video files: the normal folders of channels 2 to 4, listed for
// their event markers only (the scan deletes only .vdd, .vdx, .aud and .log files, which end no
// marker's name and name no folder on the way), then the logs (see ReadLogsAhead), then the pairs
// of the folder the scan hands over, from its end (see SharedPairReads). The results are taken
// where the scan uses them, in its own order; the thread ends before the scan does. For the
// pairs it takes a table of open files of its own (UseOwnFileTable), so that its opens and
// closes do not wait on the scan's.
class ScanReadAhead {
public:
    // Every log read ahead, at most this many bytes in all.
    static constexpr std::uint64_t kLogBudgetBytes = 32ull * 1024 * 1024;

    // logs must outlive this object.
    ScanReadAhead(std::string root, const FolderListing& logs)
        : markerFolders_(markerPromise_.get_future()), logs_(logsPromise_.get_future()),
          pairs_(pairsPromise_.get_future()) {
        auto read = [this, root = std::move(root), &logs](bool helpWithPairs) {
            try {
                std::vector<FolderListing> folders;
                for (int channel = 2; channel <= kMaxChannels; ++channel)
                    folders.emplace_back(ChannelKindFolder(root, channel, kNormalFolder),
                                         std::initializer_list<std::string_view>{kEventMarkerExt});
                markerPromise_.set_value(std::move(folders));
            } catch (...) {
                markerPromise_.set_exception(std::current_exception());
            }
            try {
                logsPromise_.set_value(ReadLogsAhead(logs, kLogBudgetBytes));
            } catch (...) {
                logsPromise_.set_exception(std::current_exception());
            }
            if (helpWithPairs)
                if (SharedPairReads* pairs = pairs_.get()) {
                    // The pairs' folder is open by now, so the copy holds it; what the
                    // thread opens from here on it also closes.
                    UseOwnFileTable();
                    pairs->ReadFromBack();
                }
        };
        try {
            thread_ = std::jthread(read, true);
        } catch (const std::system_error&) {
            read(false); // no thread to be had: read now, and leave every pair to the scan
        }
    }
    ~ScanReadAhead() {
        if (pairsGiven_ == nullptr)
            pairsPromise_.set_value(nullptr);
        else
            pairsGiven_
                ->StopHelper(); // pairs not reached yet are the scan's (none once it is done)
    }
    ScanReadAhead(const ScanReadAhead&) = delete;
    ScanReadAhead& operator=(const ScanReadAhead&) = delete;

    // The listings of channels 2 to 4, in channel order; once.
    std::vector<FolderListing> TakeMarkerFolders() { return markerFolders_.get(); }
    // The logs read ahead; once.
    LogsReadAhead TakeLogs() { return logs_.get(); }
    // Hands over the pairs the thread helps read once it is done with the rest; once. pairs
    // must outlive this object.
    void HelpWith(SharedPairReads& pairs) {
        pairsGiven_ = &pairs;
        pairsPromise_.set_value(&pairs);
    }

private:
    std::promise<std::vector<FolderListing>> markerPromise_;
    std::promise<LogsReadAhead> logsPromise_;
    std::promise<SharedPairReads*> pairsPromise_;
    std::future<std::vector<FolderListing>> markerFolders_;
    std::future<LogsReadAhead> logs_;
    std::future<SharedPairReads*> pairs_;
    SharedPairReads* pairsGiven_ = nullptr;
    // Last, so that it is joined first, on every way out of the scan.
    std::jthread thread_;
};

// Markers of channels 1 to 4; channel 1's normal folder is listed already, the others are
// listed for their markers only.
void AppendEventMarkers(const FolderListing& normal1, ScanReadAhead& readAhead, ScanLists& scan) {
    AppendEventMarkersOf(normal1, scan);
    for (const FolderListing& folder : readAhead.TakeMarkerFolders())
        AppendEventMarkersOf(folder, scan);
}

} // namespace

int CarPulseSpeed(int carPulseType, int pulsesPerSecond) {
    static constexpr std::array<int, 6> kDivisors = {2, 4, 8, 16, 20, 25};
    if (carPulseType < 0 || carPulseType >= static_cast<int>(kDivisors.size()) ||
        pulsesPerSecond < 0)
        return 0;
    const double perMinute = static_cast<double>(pulsesPerSecond) * 60.0;
    const double kmh = perMinute * 60.0 / 637.0 / kDivisors[static_cast<std::size_t>(carPulseType)];
    return static_cast<int>(kmh);
}

CardChannelSettings ReadCardChannelSettings(std::string_view root) {
    const ProfileStore setIni(SettingsFilePath(root, "set.ini"));
    CardChannelSettings settings;
    settings.carPulseType = setIni.ReadInt("SET", "CARPULSETYPE", -1);
    if (settings.carPulseType < -1 || settings.carPulseType > 5)
        settings.carPulseType = -1;
    for (std::size_t i = 0; i < settings.useChannel.size(); ++i)
        settings.useChannel[i] = setIni.ReadInt("SET", "USECHANNEL" + std::to_string(i + 1), 1);
    return settings;
}

CMgrDBSearch::CMgrDBSearch(ISearchView& searchView, ILoadingView& loadingView, IViewerHost& host,
                           ILoadedRecordings& recordings)
    : m_searchView(searchView), m_loadingView(loadingView), m_host(host), m_recordings(recordings) {
}

void CMgrDBSearch::TakeChosenRoot(std::string_view chosenPath) {
    if (!chosenPath.empty())
        m_strRootPath = RecorderRoot(chosenPath);
}

bool CMgrDBSearch::AcceptRoot() {
    if (TestRecorderFolder(m_strRootPath))
        return true;
    Clear();
    m_strRootPath.clear();
    m_host.ShowMessage(Lang("Message", "InvalidSDFolder", "Invalid drive recorder folder."));
    return false;
}

bool CMgrDBSearch::SelectAndScan(std::string_view chosenPath, ICardCheckHost* checks) {
    TakeChosenRoot(chosenPath);
    if (checks && !m_strRootPath.empty() && checks->IsRemovable(m_strRootPath)) {
        m_loadingView.SetWaitCursor(true);
        TRACE("Check Crashed File in SD Card");
        const bool damaged = checks->CheckCrashedFiles(m_strRootPath);
        m_loadingView.SetWaitCursor(false);
        TRACE("End of check");
        if (damaged &&
            checks->AskOkCancel(
                Lang("Message", "RunCheckDisk",
                     "Crashed files are detected in sd card. do you want to run checkdisk ?")))
            checks->RunCheckDisk(m_strRootPath);
    }
    if (!AcceptRoot())
        return false;
    Scan();
    return true;
}

bool CMgrDBSearch::SelectForSettings(std::string_view chosenPath) {
    TakeChosenRoot(chosenPath);
    return AcceptRoot();
}

bool CMgrDBSearch::TestRecorderFolder(std::string_view root) {
    if (root.empty() || !IsRecorderFolder(root))
        return false;
    const bool anyRecording =
        HasAnyFile(EventDataPattern(root, 1)) || HasAnyFile(NormalDataPattern(root, 1)) ||
        HasAnyFile(PatternIn(CardPathOnDisk(root, "memo"), kMemoPictureExt)) ||
        HasAnyFile(LogPattern(root));
    if (!anyRecording)
        m_host.ShowMessage(Lang("Message", "NoRecordFile", "No recorded file."));
    return true;
}

void CMgrDBSearch::Scan() {
    Clear();
    m_scan = {};
    if (m_strRootPath.empty()) {
        // No folder chosen: nothing to list.
        m_searchView.ShowList(SearchList::Event);
        m_searchView.PostScanFinished();
        return;
    }
    const std::string& root = m_strRootPath;
    m_loadingView.SetWaitCursor(true);

    // Every folder is listed once, for the progress total and for the lists.
    const FolderListing logs = CardFolder(root, "log", kLogExt);
    // Made before the read-ahead, whose thread helps read them until it is joined.
    std::optional<const FolderListing> normal1;
    std::optional<SharedPairReads> normalPairs;
    ScanReadAhead readAhead(root, logs);
    const FolderListing event1 = VideoFolder(root, 1, kEventFolder);
    normal1.emplace(VideoFolder(root, 1, kNormalFolder));
    readAhead.HelpWith(normalPairs.emplace(*normal1));
    const FolderListing memo(CardPathOnDisk(root, "memo"), {kMemoAudioExt, kMemoPictureExt});
    m_scan.progressTotal =
        static_cast<int>(event1.FilesEndingWith(kVideoDataExt).size() +
                         normal1->FilesEndingWith(kVideoDataExt).size() +
                         CardFolder(root, "memo1", kMemoPictureExt).Files().size() +
                         memo.FilesEndingWith(kMemoPictureExt).size() + logs.Files().size());

    m_loadingView.SetCaption(Lang("ToolTip", "Open", "Open"));
    m_loadingView.Show();
    m_loadingView.SetRange(0, m_scan.progressTotal);
    m_loadingView.SetPos(0);

    FolderScan scan(m_loadingView, m_scan.deleted);
    ScannedVideos events = FirstChannelWithFiles(scan, root, kEventFolder, event1);
    m_scan.event = std::move(events.paths);
    m_scan.eventSummaries = std::move(events.summaries);
    AppendEventMarkers(*normal1, readAhead, m_scan);
    m_searchView.FillScannedList(SearchList::Event, m_scan);

    ScannedVideos normals =
        FirstChannelWithFiles(scan, root, kNormalFolder, *normal1, &*normalPairs);
    m_scan.normal = std::move(normals.paths);
    m_scan.normalSummaries = std::move(normals.summaries);
    m_searchView.FillScannedList(SearchList::Normal, m_scan);

    m_scan.memo = scan.MemoAudioFiles(memo, true);
    if (m_scan.memo.empty())
        m_scan.memo = scan.MemoAudioFiles(CardFolder(root, "memoaudio", kMemoAudioExt), false);
    m_searchView.FillScannedList(SearchList::Memo, m_scan);

    scan.LogFiles(logs, readAhead.TakeLogs(), m_scan.log, m_scan.logSummaries);
    m_searchView.FillScannedList(SearchList::Log, m_scan);

    m_loadingView.SetWaitCursor(false);
    m_loadingView.SetRange(0, 100);
    m_loadingView.SetPos(0);
    m_loadingView.SetCaption(Lang("GUI", "EventFileLoad", "EVENT File Loading"));
    m_searchView.PostScanFinished();
    m_loadingView.StartHideTimer(kHideLoadingTimerMs);

    const CardChannelSettings settings = ReadCardChannelSettings(root);
    m_nCarPulseType = settings.carPulseType;
    m_nUseChannel = settings.useChannel;

    SearchList shown = SearchList::Event;
    if (m_scan.event.empty()) {
        if (!m_scan.normal.empty())
            shown = SearchList::Normal;
        else if (!m_scan.memo.empty())
            shown = SearchList::Memo;
        else if (!m_scan.log.empty())
            shown = SearchList::Log;
    }
    m_searchView.ShowList(shown);
}

void CMgrDBSearch::OnHideLoadingTimer() {
    m_loadingView.StopHideTimer();
    m_loadingView.Hide();
    TRACE("onTimer 999");
}

void CMgrDBSearch::Clear() {
    m_searchView.ClearLists();
    m_host.ClearViews();
    m_recordings.DestroyAll();
    m_arLogFiles.clear();
    SelectRecording(-1);
}

void CMgrDBSearch::SelectRecording(int index) {
    const int loadedKind = m_host.LoadedKind();
    if (loadedKind == kLoadedNormal && index >= 0 && m_nCurDriveInfo >= 0 &&
        m_nCurDriveInfo != index && m_nCurDriveInfo < m_recordings.Count())
        m_recordings.CloseChannelFiles(m_nCurDriveInfo);
    if (index < 0) {
        m_nCurDriveInfo = index;
        const std::int64_t now = NowRecorderMs();
        m_host.SetTimeRange(now, now, now);
        return;
    }
    if (index >= m_recordings.Count()) {
        TRACE("Fail to SetCurDriveInfo() : over index");
        return;
    }
    m_nCurDriveInfo = index;
    m_recordings.ShowSelected(index, loadedKind);
}

int CMgrDBSearch::UseChannel(int channel) const {
    if (channel < 0 || channel >= static_cast<int>(m_nUseChannel.size()))
        return 0;
    return m_nUseChannel[static_cast<std::size_t>(channel)];
}

bool CMgrDBSearch::IsTimeCoveredByLog(std::int64_t time) const {
    return std::any_of(m_arLogFiles.begin(), m_arLogFiles.end(), [&](const CInfoLogFile& log) {
        if (log.m_nSampleCount <= 0)
            return false;
        const std::int64_t first = log.GetSample(0)->llTime;
        const std::int64_t last = log.GetSample(log.m_nSampleCount - 1)->llTime;
        return time >= std::min(first, last) && time <= std::max(first, last);
    });
}

} // namespace trevix
