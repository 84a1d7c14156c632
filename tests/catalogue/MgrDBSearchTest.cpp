#include "catalogue/MgrDBSearch.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>

#include <fcntl.h>
#include <unistd.h>

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPicture = " fps=1 size=360x240 audio=none";

std::string Line(std::string text) {
    return text + kPicture + "\n";
}

// The bare recorder tree of a four-channel card without recordings.
void MakeEmptyTree(const TempDir& dir) {
    for (const fs::path& folder : mkcard::CardFolders(21))
        fs::create_directories(dir.Path() / folder);
}

void WriteSetIni(const TempDir& dir, std::string_view body) {
    dir.Write("config/set.ini", std::string("[SET]\r\n") + std::string(body));
}

std::vector<std::string> DataPaths(const mkcard::WrittenCard& card, mkcard::RecordingKind kind,
                                   int channel) {
    std::vector<std::string> paths;
    for (const mkcard::WrittenRecording& recording : card.recordings)
        if (recording.kind == kind)
            if (const mkcard::WrittenChannel* written = recording.Channel(channel))
                paths.push_back(P(written->data));
    return paths;
}

// The descriptors open in this process, each with the file it leads to.
std::map<int, std::string> OpenDescriptors() {
    std::map<int, std::string> open;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        open[std::stoi(entry.path().filename().string())] =
            fs::read_symlink(entry.path(), error).string();
    }
    return open;
}

} // namespace

TEST(MgrDBSearchScan, ListsEveryKindInRecorderOrderAndReportsProgress) {
    TempDir dir;
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event code=1") + Line("event code=2") +
                               Line("normal files=3 seconds=20 marker=25:1") +
                               "memo size=64x48 seconds=1\nlog start=0 seconds=60\n");
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));

    const std::vector<std::string> events = f.views.List(SearchList::Event);
    ASSERT_EQ(events.size(), 3u); // two events and the marker
    EXPECT_EQ(std::vector(events.begin(), events.begin() + 2),
              DataPaths(card, mkcard::RecordingKind::Event, 0));
    EXPECT_TRUE(events[2].ends_with(".edx"));
    EXPECT_EQ(f.views.List(SearchList::Normal), DataPaths(card, mkcard::RecordingKind::Normal, 0));
    ASSERT_EQ(f.views.List(SearchList::Memo).size(), 1u);
    EXPECT_EQ(f.views.List(SearchList::Memo)[0], P(card.memos[0].audio));
    ASSERT_EQ(f.views.List(SearchList::Log).size(), 1u);
    EXPECT_EQ(f.views.List(SearchList::Log)[0], P(card.logs[0].path));
    EXPECT_EQ(f.views.fillOrder, (std::vector{SearchList::Event, SearchList::Normal,
                                              SearchList::Memo, SearchList::Log}));
    EXPECT_EQ(f.views.shown, SearchList::Event);

    // 2 event + 3 normal data files, the memo picture of memo1, one log; the position moves on
    // the channel-1 video files and the memo audio of memo only (this card's lies in memoaudio).
    EXPECT_EQ(f.search.LastScan().progressTotal, 7);
    EXPECT_EQ(f.views.ranges.front(), std::make_pair(0, 7));
    EXPECT_EQ(f.views.ranges.back(), std::make_pair(0, 100));
    EXPECT_EQ(f.views.positions, (std::vector{0, 1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(f.views.captions, (std::vector<std::string>{"Open", "EVENT File Loading"}));
    EXPECT_FALSE(f.views.waitCursor);
    EXPECT_EQ(f.views.scanFinished, 1);
    EXPECT_EQ(f.views.hideTimerMs, 2000);
    EXPECT_TRUE(f.views.messages.empty());
    EXPECT_TRUE(f.search.LastScan().deleted.empty());

    f.search.OnHideLoadingTimer();
    EXPECT_FALSE(f.views.visible);
    EXPECT_FALSE(f.views.hideTimerMs);
}

TEST(MgrDBSearchScan, FallsBackToTheFirstChannelThatHoldsFiles) {
    TempDir dir;
    WriteTestCard(dir, Line("event channels=23") + Line("normal channels=34") +
                           Line("event channels=3"));
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    const auto events = f.views.List(SearchList::Event);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find("/ch2/event/"), std::string::npos);
    const auto normals = f.views.List(SearchList::Normal);
    ASSERT_EQ(normals.size(), 1u);
    EXPECT_NE(normals[0].find("/ch3/normal/"), std::string::npos);
    // Files of fallback channels do not move the progress bar.
    EXPECT_EQ(f.views.positions, (std::vector{0, 0}));
}

TEST(MgrDBSearchScan, DeletesFilesTooShortToHoldAnything) {
    TempDir dir;
    const mkcard::WrittenCard card = WriteTestCard(
        dir, Line("event") + Line("event") + Line("event") + "memo size=64x48 seconds=1\n" +
                 "log start=0 seconds=30\nlog start=100 seconds=30\n" +
                 "damage short-data video=0:1\n"  // 20-byte data file: gone with its index
                 "damage short-index video=1:1\n" // 5-byte index: gone, recording stays
                 "damage short-data log=1 bytes=29\n"
                 "damage short-data memo-audio=0\n");
    const mkcard::WrittenChannel& deletedEvent = *card.recordings[0].Channel(0);
    const mkcard::WrittenChannel& shortIndex = *card.recordings[1].Channel(0);
    const mkcard::WrittenChannel& kept = *card.recordings[2].Channel(0);

    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    EXPECT_EQ(f.views.List(SearchList::Event),
              (std::vector<std::string>{P(shortIndex.data), P(kept.data)}));
    EXPECT_FALSE(Exists(deletedEvent.data));
    EXPECT_FALSE(Exists(deletedEvent.index));
    EXPECT_TRUE(Exists(shortIndex.data));
    EXPECT_FALSE(Exists(shortIndex.index));
    EXPECT_TRUE(Exists(kept.data));
    EXPECT_EQ(f.views.List(SearchList::Log), (std::vector<std::string>{P(card.logs[0].path)}));
    EXPECT_FALSE(Exists(card.logs[1].path));
    EXPECT_TRUE(f.views.List(SearchList::Memo).empty());
    EXPECT_FALSE(Exists(card.memos[0].audio));

    std::vector<std::string> deleted = f.search.LastScan().deleted;
    std::sort(deleted.begin(), deleted.end());
    std::vector<std::string> expected = {P(deletedEvent.data), P(deletedEvent.index),
                                         P(shortIndex.index), P(card.logs[1].path),
                                         P(card.memos[0].audio)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(deleted, expected);

    // The other channels' files are not the scan's business.
    EXPECT_TRUE(Exists(card.recordings[0].Channel(1)->data));
}

TEST(MgrDBSearchScan, SkipsUnreadableDataButKeepsARecordingWithAnUnreadableIndex) {
    TempDir dir;
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event") + Line("event") + "log start=0 seconds=30\n" +
                               "damage unreadable-data video=0:1\n"
                               "damage unreadable-index video=1:1\n"
                               "damage unreadable-data log=0\n");
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    EXPECT_EQ(f.views.List(SearchList::Event),
              (std::vector<std::string>{P(card.recordings[1].Channel(0)->data)}));
    EXPECT_TRUE(f.views.List(SearchList::Log).empty());
    EXPECT_TRUE(f.search.LastScan().deleted.empty());
    EXPECT_TRUE(Exists(card.recordings[0].Channel(0)->data));
}

TEST(MgrDBSearchScan, ListsEachEventMarkerKeyOnce) {
    TempDir dir;
    // One marker per channel with the same key: listed once.
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event") + Line("normal files=2 seconds=20 marker=5:2"));
    // A marker whose key an event file's path already holds is not listed at all.
    const std::string eventTitle = P(card.recordings[0].Channel(0)->data.stem());
    const std::string key = eventTitle.substr(eventTitle.find(',') + 1);
    dir.Write("ch2/normal/0000000099," + key + ".edx", std::string(26, '\0'));

    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    const auto events = f.views.List(SearchList::Event);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[1].ends_with(".edx"));
    EXPECT_NE(events[1].find("/ch1/normal/"), std::string::npos);
}

TEST(MgrDBSearchScan, ListsTheMarkersOfTheOtherChannelsInChannelOrderOnEveryScan) {
    TempDir dir;
    // A short event file is deleted while the other channels' markers are looked for.
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event channels=1") + Line("event channels=1") +
                               "log start=0 seconds=30\n"
                               "damage short-data video=0:1\n");
    const auto marker = [&](int channel, int serial, int minute) {
        char name[64];
        std::snprintf(name, sizeof name, "ch%d/normal/%010d,2024_05_18_11_%02d_00.edx", channel,
                      serial, minute);
        dir.Write(name, std::string(26, '\0'));
        return P(dir.Path() / name);
    };
    const std::string second = marker(2, 90, 1);
    const std::string third = marker(3, 91, 2);
    marker(4, 92, 1); // the key of channel 2's marker: not listed again
    const std::string fourth = marker(4, 93, 3);

    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    const std::vector<std::string> expected = {P(card.recordings[1].Channel(0)->data), second,
                                               third, fourth};
    EXPECT_EQ(f.views.List(SearchList::Event), expected);
    EXPECT_EQ(f.search.LastScan().eventSummaries.size(), expected.size());
    EXPECT_EQ(f.search.LastScan().deleted,
              (std::vector<std::string>{P(card.recordings[0].Channel(0)->data),
                                        P(card.recordings[0].Channel(0)->index)}));
    EXPECT_EQ(f.views.List(SearchList::Log), (std::vector<std::string>{P(card.logs[0].path)}));

    // A second scan of the same card finds the same markers and deletes nothing more.
    f.search.Scan();
    EXPECT_EQ(f.search.LastScan().event, expected);
    EXPECT_TRUE(f.search.LastScan().deleted.empty());
}

TEST(MgrDBSearchScan, ScansLeaveTheProcessWithTheFilesItHadOpen) {
    TempDir dir;
    WriteTestCard(dir, Line("event") + Line("normal files=40 seconds=2") +
                           "log start=0 seconds=30\n"
                           "damage short-data video=40:1\n");
    // A file the process holds open across the scans, read through its descriptor afterwards.
    dir.Write("held.txt", "held");
    const int held = ::open(P(dir.Path() / "held.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const std::map<int, std::string> before = OpenDescriptors();

    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    EXPECT_EQ(f.views.List(SearchList::Normal).size(), 39u);
    // The last normal file, which the read-ahead reads first, is too short: it goes with its index.
    EXPECT_EQ(f.search.LastScan().deleted.size(), 2u);
    for (int scan = 0; scan < 5; ++scan) {
        f.search.Scan();
        EXPECT_EQ(f.search.LastScan().normal.size(), 39u);
        EXPECT_TRUE(f.search.LastScan().deleted.empty());
    }
    EXPECT_EQ(OpenDescriptors(), before);
    char text[4] = {};
    EXPECT_EQ(::pread(held, text, sizeof text, 0), 4);
    EXPECT_EQ(std::string_view(text, sizeof text), "held");
    ::close(held);
}

TEST(MgrDBSearchScan, SortsEveryFolderByNameWhateverTheEnumerationOrder) {
    TempDir dir;
    MakeEmptyTree(dir);
    // Written in an order unlike name order; a hashed directory hands them back in yet
    // another, so only a sort gives the recorder's order.
    const std::vector<int> serials = {7, 2, 9, 1, 5, 3, 8, 4, 6};
    for (const int serial : serials) {
        char title[64];
        std::snprintf(title, sizeof title, "%010d,2024_05_17_10_%02d_00", serial, serial);
        dir.Write(std::string("ch1/normal/") + title + ".vdd", std::string(40, 'x'));
        dir.Write(std::string("log/") + title + ".log", std::string(40, 'x'));
    }
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    for (const SearchList list : {SearchList::Normal, SearchList::Log}) {
        const auto paths = f.views.List(list);
        ASSERT_EQ(paths.size(), serials.size());
        EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));
    }
    EXPECT_EQ(f.views.shown, SearchList::Normal);
}

TEST(MgrDBSearchScan, ReadsMemoAudioFromTheSingleFolderFirst) {
    {
        TempDir dir;
        const mkcard::WrittenCard card =
            WriteTestCard(dir, "model 20\nmemo size=64x48 seconds=1\nmemo size=64x48 seconds=1\n");
        SearchFixture f;
        ASSERT_TRUE(f.ScanFolder(dir));
        ASSERT_EQ(f.views.List(SearchList::Memo).size(), 2u);
        EXPECT_NE(f.views.List(SearchList::Memo)[0].find("/memo/"), std::string::npos);
        EXPECT_EQ(f.views.shown, SearchList::Memo);
        // The single folder's picture counts once, and the memo audio moves the bar.
        EXPECT_EQ(f.search.LastScan().progressTotal, 2);
        EXPECT_EQ(f.views.positions, (std::vector{0, 1, 2, 0}));
    }
    {
        TempDir dir;
        const mkcard::WrittenCard card = WriteTestCard(dir, "memo size=64x48 seconds=1\n");
        SearchFixture f;
        ASSERT_TRUE(f.ScanFolder(dir));
        EXPECT_EQ(f.views.List(SearchList::Memo), (std::vector{P(card.memos[0].audio)}));
        EXPECT_NE(f.views.List(SearchList::Memo)[0].find("/memoaudio/"), std::string::npos);

        // With memo audio in both folders only that of memo is listed.
        dir.Write("memo/0000000042,2024_05_17_11_00_00.aud", std::string(100, '\x55'));
        ASSERT_TRUE(f.ScanFolder(dir));
        EXPECT_EQ(f.views.List(SearchList::Memo),
                  (std::vector{P(dir.Path() / "memo/0000000042,2024_05_17_11_00_00.aud")}));
    }
}

TEST(MgrDBSearchSettings, ReadsCarPulseTypeWithinItsRangeAndTheChannelsInUse) {
    TempDir dir;
    MakeEmptyTree(dir);
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir)); // no set.ini
    EXPECT_EQ(f.search.CarPulseType(), -1);
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_EQ(f.search.UseChannel(channel), 1);
    EXPECT_EQ(f.search.UseChannel(4), 0);

    const std::vector<std::pair<std::string, int>> cases = {
        {"5", 5}, {"0", 0}, {"-1", -1}, {"6", -1}, {"9", -1}, {"-2", -1}, {"x", 0}};
    for (const auto& [text, expected] : cases) {
        WriteSetIni(dir, "CARPULSETYPE=" + text + "\r\nUSECHANNEL3=0\r\nUSECHANNEL4=0\r\n");
        ASSERT_TRUE(f.ScanFolder(dir));
        EXPECT_EQ(f.search.CarPulseType(), expected) << text;
        EXPECT_EQ(f.search.UseChannel(0), 1);
        EXPECT_EQ(f.search.UseChannel(2), 0);
        EXPECT_EQ(f.search.UseChannel(3), 0);
    }
    WriteSetIni(dir, "CARPULSETYPE=9\r\n");
    ASSERT_TRUE(f.ScanFolder(dir));
    EXPECT_EQ(f.search.CarPulseSpeed(100), 0);
}

TEST(MgrDBSearchSettings, CarPulseSpeedFollowsTheDivisorOfEachType) {
    // 100 pulses a second: 6000 a minute, 6000 * 60 / 637 = 565.15... km/h before the divisor.
    EXPECT_EQ(CarPulseSpeed(0, 100), 282);
    EXPECT_EQ(CarPulseSpeed(1, 100), 141);
    EXPECT_EQ(CarPulseSpeed(2, 100), 70);
    EXPECT_EQ(CarPulseSpeed(3, 100), 35);
    EXPECT_EQ(CarPulseSpeed(4, 100), 28);
    EXPECT_EQ(CarPulseSpeed(5, 100), 22);
    EXPECT_EQ(CarPulseSpeed(-1, 100), 0);
    EXPECT_EQ(CarPulseSpeed(6, 100), 0);
    EXPECT_EQ(CarPulseSpeed(2, -5), 0);
    EXPECT_EQ(CarPulseSpeed(0, 0), 0);
    // Large counts do not overflow.
    EXPECT_EQ(CarPulseSpeed(0, 65535), 185185);
    // The card generator's own conversion comes back to the speed it meant.
    EXPECT_NEAR(CarPulseSpeed(2, mkcard::SpeedToPulses(60.0, 2)), 60, 1);
}

TEST(MgrDBSearchFolder, ShowsNoRecordedFileForAnEmptyButValidFolder) {
    TempDir dir;
    MakeEmptyTree(dir);
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    EXPECT_EQ(f.views.messages, (std::vector<std::string>{"No recorded file."}));
    EXPECT_EQ(f.views.shown, SearchList::Event);
    for (const SearchList list :
         {SearchList::Event, SearchList::Normal, SearchList::Memo, SearchList::Log})
        EXPECT_TRUE(f.views.List(list).empty());

    // A memo picture alone is a recording as far as the notice goes.
    dir.Write("memo/0000000001,2024_05_17_10_00_00.jpg", "jpeg");
    f.views.messages.clear();
    EXPECT_TRUE(f.search.TestRecorderFolder(dir.Str()));
    EXPECT_TRUE(f.views.messages.empty());
}

TEST(MgrDBSearchFolder, RejectsAFolderThatIsNoRecorderFolder) {
    TempDir dir;
    fs::create_directories(dir.Path() / "ch1/event");
    fs::create_directories(dir.Path() / "ch1/normal");
    fs::create_directories(dir.Path() / "log");
    fs::create_directories(dir.Path() / "audio"); // no memo
    SearchFixture f;
    f.search.SetRootPath("/old/root");
    EXPECT_FALSE(f.ScanFolder(dir));
    EXPECT_EQ(f.search.RootPath(), "");
    EXPECT_EQ(f.views.messages, (std::vector<std::string>{"Invalid drive recorder folder."}));
    EXPECT_EQ(f.views.scanFinished, 0);
    EXPECT_GE(f.views.clearLists, 1);

    // An empty choice keeps the old root.
    fs::create_directories(dir.Path() / "memo");
    f.search.SetRootPath(dir.Str() + "/");
    EXPECT_TRUE(f.search.SelectForSettings(""));
    EXPECT_EQ(f.views.scanFinished, 0);
    EXPECT_TRUE(f.search.SelectAndScan(dir.Str() + "/", nullptr));
    EXPECT_EQ(f.search.RootPath(), dir.Str());
    EXPECT_EQ(f.views.scanFinished, 1);
}

namespace {

class FakeCardChecks final : public ICardCheckHost {
public:
    bool IsRemovable(const std::string&) override { return removable; }
    bool CheckCrashedFiles(const std::string& root) override {
        checked.push_back(root);
        return damaged;
    }
    bool AskOkCancel(const std::string& text) override {
        asked.push_back(text);
        return answer;
    }
    void RunCheckDisk(const std::string& root) override { checkDisk.push_back(root); }

    bool removable = true, damaged = false, answer = true;
    std::vector<std::string> checked, asked, checkDisk;
};

} // namespace

TEST(MgrDBSearchFolder, OffersTheDiskCheckOnlyForDamagedRemovableCards) {
    TempDir dir;
    MakeEmptyTree(dir);
    SearchFixture f;
    FakeCardChecks checks;
    checks.removable = false;
    ASSERT_TRUE(f.search.SelectAndScan(dir.Str(), &checks));
    EXPECT_TRUE(checks.checked.empty());

    checks.removable = true;
    ASSERT_TRUE(f.search.SelectAndScan(dir.Str(), &checks));
    EXPECT_EQ(checks.checked, (std::vector{dir.Str()}));
    EXPECT_TRUE(checks.asked.empty());

    checks.damaged = true;
    checks.answer = false;
    ASSERT_TRUE(f.search.SelectAndScan(dir.Str(), &checks));
    EXPECT_EQ(checks.asked,
              (std::vector<std::string>{"Crashed files are detected in sd card. do you want to run "
                                        "checkdisk ?"}));
    EXPECT_TRUE(checks.checkDisk.empty());
    checks.answer = true;
    ASSERT_TRUE(f.search.SelectAndScan(dir.Str(), &checks));
    EXPECT_EQ(checks.checkDisk, (std::vector{dir.Str()}));
}

TEST(MgrDBSearchSelection, KeepsTheCurrentIndexAndClosesTheFilesOfTheOldOne) {
    SearchFixture f;
    f.views.recordingCount = 3;
    f.views.loadedKind = kLoadedNormal;
    f.search.SelectRecording(0);
    EXPECT_EQ(f.search.CurrentRecording(), 0);
    EXPECT_TRUE(f.views.closed.empty());
    f.search.SelectRecording(2);
    EXPECT_EQ(f.views.closed, (std::vector{0}));
    EXPECT_EQ(f.views.selected, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}}));

    // Past the end: nothing changes but the closing of the current files.
    f.search.SelectRecording(3);
    EXPECT_EQ(f.search.CurrentRecording(), 2);
    EXPECT_EQ(f.views.closed, (std::vector{0, 2}));
    EXPECT_EQ(f.views.selected.size(), 2u);

    // An event load does not close files.
    f.views.loadedKind = kLoadedEvent;
    f.views.closed.clear();
    f.search.SelectRecording(1);
    EXPECT_TRUE(f.views.closed.empty());

    const auto before = std::chrono::system_clock::now();
    f.search.SelectRecording(-1);
    EXPECT_EQ(f.search.CurrentRecording(), -1);
    ASSERT_EQ(f.views.timeRanges.size(), 1u);
    const auto& range = f.views.timeRanges[0];
    EXPECT_EQ(range[0], range[1]);
    EXPECT_EQ(range[0], range[2]);
    // The local time read as recorder milliseconds lies within a day of the clock's UTC.
    const auto nowMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(before.time_since_epoch()).count();
    EXPECT_LT(std::abs(range[0] - nowMs), 24LL * 3600 * 1000);
}

TEST(MgrDBSearchSelection, ClearingEmptiesEverythingAndSelectsNothing) {
    SearchFixture f;
    f.views.recordingCount = 2;
    f.search.SelectRecording(1);
    f.search.LogFiles().resize(2);
    f.search.Clear();
    EXPECT_EQ(f.views.clearLists, 1);
    EXPECT_EQ(f.views.clearViews, 1);
    EXPECT_EQ(f.views.destroyed, 1);
    EXPECT_TRUE(f.search.LogFiles().empty());
    EXPECT_EQ(f.search.CurrentRecording(), -1);
    EXPECT_EQ(f.views.timeRanges.size(), 1u);
}

TEST(MgrDBSearchSelection, TellsWhetherALoadedLogCoversATime) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card = WriteTestCard(dir, "log start=0 seconds=30\n");
    SearchFixture f;
    EXPECT_FALSE(f.search.IsTimeCoveredByLog(0));
    f.search.LogFiles().resize(2); // the first stays empty
    ASSERT_EQ(f.search.LogFiles()[1].Load(P(card.logs[0].path)), 1);
    const std::int64_t first = f.search.LogFiles()[1].GetSample(0)->llTime;
    EXPECT_TRUE(f.search.IsTimeCoveredByLog(first));
    EXPECT_TRUE(f.search.IsTimeCoveredByLog(first + 29000));
    EXPECT_FALSE(f.search.IsTimeCoveredByLog(first - 1));
    EXPECT_FALSE(f.search.IsTimeCoveredByLog(first + 30000));
}
