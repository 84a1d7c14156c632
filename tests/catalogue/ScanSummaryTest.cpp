#include "catalogue/FolderScan.h"
#include "catalogue/MgrDBSearch.h"
#include "catalogue/SearchListRows.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"
#include "recorder/RecorderTime.h"
#include "recorder/Vocabulary.h"
#include "tests/catalogue/CatalogueTestSupport.h"
#include "tools/mkcard/LogFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <thread>

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

std::string Line(std::string_view text) {
    return RecordingLine(text, 2);
}

std::vector<std::vector<std::string>> Columns(const std::vector<ListRow>& rows) {
    std::vector<std::vector<std::string>> columns;
    for (const ListRow& row : rows)
        columns.push_back(row.columns);
    return columns;
}

std::vector<std::vector<std::string>> Columns(const NormalList& list) {
    std::vector<std::vector<std::string>> columns;
    for (const NormalRow& row : list.rows)
        columns.push_back(row.columns);
    return columns;
}

FolderListing EventFolder(const TempDir& dir) {
    return FolderListing(ChannelKindFolder(dir.Str(), 1, kEventFolder),
                         {kVideoDataExt, kVideoIndexExt, kEventMarkerExt});
}

} // namespace

// What the scan reads of each file while it has it open for its check gives the same rows as
// reading the files again, whatever damage the files carry.
TEST(ScanSummaries, GiveTheRowsThatReadingTheFilesAgainGives) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    WriteTestCard(dir, Line("event code=2") + Line("event code=32 ext=1") + Line("event code=4") +
                           Line("event") + Line("event") + Line("event") + Line("event") +
                           Line("normal start=200 files=8 seconds=20 marker=30:16") +
                           "log start=0 seconds=600\nlog start=1000 seconds=45\n"
                           "damage index-missing video=1:1\n"
                           "damage trailer-damaged video=2:1\n"
                           "damage old-trailer video=3:1\n"
                           "damage records-66 video=4:1\n"
                           "damage data-cut video=5:1\n"
                           "damage short-index video=6:1\n"
                           "damage index-cut-short video=8:1\n"
                           "damage unreadable-index video=9:1\n"
                           "damage short-index video=10:1\n");
    dir.Write("log/0000000099,2024_05_17_12_00_00.log",
              "$GPRMC,no samples\r\n" + std::string(40, ' '));
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    const ScanLists& scan = f.search.LastScan();
    ASSERT_EQ(scan.event.size(), 8u); // seven events and the marker
    ASSERT_EQ(scan.eventSummaries.size(), scan.event.size());
    ASSERT_EQ(scan.normal.size(), 8u);
    ASSERT_EQ(scan.normalSummaries.size(), scan.normal.size());
    ASSERT_EQ(scan.log.size(), 3u);
    ASSERT_EQ(scan.logSummaries.size(), scan.log.size());

    EXPECT_EQ(Columns(BuildEventRows(scan.event, scan.eventSummaries)),
              Columns(BuildEventRows(scan.event)));
    const NormalList fromScan = BuildNormalRows(scan.normal, scan.normalSummaries);
    const NormalList reread = BuildNormalRows(scan.normal);
    EXPECT_EQ(Columns(fromScan), Columns(reread));
    EXPECT_EQ(fromScan.groupOfFile, reread.groupOfFile);
    EXPECT_EQ(Columns(BuildLogRows(scan.log, scan.logSummaries)), Columns(BuildLogRows(scan.log)));

    // The damaged files still tell their times, the marker its event code.
    for (const VideoFileSummary& summary : scan.normalSummaries)
        EXPECT_TRUE(summary.firstFrameMs && summary.lastFrameMs);
    EXPECT_EQ(scan.eventSummaries.back().eventCode, 16);
    const auto logSummary = [&](std::string_view name) {
        for (std::size_t i = 0; i < scan.log.size(); ++i)
            if (scan.log[i].ends_with(name))
                return scan.logSummaries[i];
        return LogFileSummary{};
    };
    EXPECT_FALSE(logSummary("0000000099,2024_05_17_12_00_00.log").durationSeconds);
    int longest = 0;
    for (const LogFileSummary& summary : scan.logSummaries) {
        longest = std::max(longest, summary.durationSeconds.value_or(0));
        if (summary.durationSeconds) {
            EXPECT_EQ(summary.identity.recorderId, "TRX0000001");
        }
    }
    EXPECT_EQ(longest, 599);
}

// A file may go between the listing of its folder and its check: a data file that went is not
// listed, a recording whose index went is read from its data file.
TEST(ScanSummaries, FilesRemovedAfterTheListingAreSkippedOrReadFromTheDataFile) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card = WriteTestCard(
        dir, Line("event channels=1") + Line("event channels=1") + Line("event channels=1"));
    const FolderListing listing = EventFolder(dir);
    ASSERT_EQ(listing.Files().size(), 6u);
    const mkcard::WrittenChannel& goneData = *card.recordings[0].Channel(0);
    const mkcard::WrittenChannel& goneIndex = *card.recordings[1].Channel(0);
    const mkcard::WrittenChannel& whole = *card.recordings[2].Channel(0);
    fs::remove(goneData.data);
    fs::remove(goneIndex.index);

    RecordingViews views;
    std::vector<std::string> deleted;
    FolderScan scan(views, deleted);
    const ScannedVideos found = scan.VideoFiles(listing, true);
    EXPECT_EQ(found.paths, (std::vector{P(goneIndex.data), P(whole.data)}));
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(views.positions, (std::vector{1, 2, 3}));
    ASSERT_EQ(found.summaries.size(), 2u);
    const VideoFileSummary rebuilt = ReadVideoSummary(P(goneIndex.data));
    EXPECT_EQ(found.summaries[0].firstFrameMs, rebuilt.firstFrameMs);
    EXPECT_EQ(found.summaries[0].lastFrameMs, rebuilt.lastFrameMs);
    EXPECT_TRUE(found.summaries[0].firstFrameMs);
    EXPECT_EQ(found.summaries[1].drid, "TRX0000001");
}

TEST(ScanSummaries, AnIndexTooShortIsDeletedAndTheRecordingReadFromItsDataFile) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event channels=1") + "damage short-index video=0:1 bytes=9\n");
    const mkcard::WrittenChannel& pair = *card.recordings[0].Channel(0);
    RecordingViews views;
    std::vector<std::string> deleted;
    FolderScan scan(views, deleted);
    const ScannedVideos found = scan.VideoFiles(EventFolder(dir), false);
    EXPECT_EQ(found.paths, (std::vector{P(pair.data)}));
    EXPECT_EQ(deleted, (std::vector{P(pair.index)}));
    EXPECT_FALSE(Exists(pair.index));
    ASSERT_EQ(found.summaries.size(), 1u);
    EXPECT_TRUE(found.summaries[0].firstFrameMs);
    EXPECT_TRUE(views.positions.empty());
}

// Pairs read by the helper, all of them, some of them or none, give the scan the lists,
// summaries, deletions and progress of its own reads, whatever damage the pairs carry.
TEST(ScanSummaries, PairsReadByTheHelperGiveWhatTheScanReadsItself) {
    ScopedTimeZone utc("UTC");
    std::string desc;
    for (int i = 0; i < 12; ++i)
        desc += Line("event channels=1");
    desc += "damage short-data video=1:1 bytes=29\n"
            "damage short-index video=3:1 bytes=9\n"
            "damage index-missing video=4:1\n"
            "damage trailer-damaged video=6:1\n"
            "damage data-cut video=9:1\n"
            "damage short-data video=11:1 bytes=3\n";
    enum class Helper { None, All, Stopped, Concurrent };
    struct Scanned {
        std::vector<std::string> names, deleted;
        std::vector<int> positions;
        ScannedVideos found;
    };
    const auto scanPairs = [&](Helper helper) {
        TempDir dir;
        WriteTestCard(dir, desc);
        const FolderListing listing = EventFolder(dir);
        SharedPairReads shared(listing);
        RecordingViews views;
        Scanned scanned;
        FolderScan scan(views, scanned.deleted);
        if (helper == Helper::All)
            shared.ReadFromBack(); // meets nobody: reads every pair
        if (helper == Helper::Stopped) {
            shared.StopHelper();
            shared.ReadFromBack(); // reads nothing
        }
        std::jthread concurrent;
        if (helper == Helper::Concurrent)
            concurrent = std::jthread([&] { shared.ReadFromBack(); });
        scanned.found = scan.VideoFiles(listing, true, helper == Helper::None ? nullptr : &shared);
        for (const std::string& path : scanned.found.paths)
            scanned.names.push_back(P(fs::path(path).filename()));
        for (std::string& path : scanned.deleted)
            path = P(fs::path(path).filename());
        scanned.positions = views.positions;
        return scanned;
    };
    const Scanned expected = scanPairs(Helper::None);
    // Ten pairs listed: the two short data files went with their indexes, the short index went
    // and its recording is read from its data file.
    EXPECT_EQ(expected.names.size(), 10u);
    EXPECT_EQ(expected.deleted.size(), 5u);
    for (const Helper helper : {Helper::All, Helper::Stopped, Helper::Concurrent}) {
        const Scanned got = scanPairs(helper);
        EXPECT_EQ(got.names, expected.names);
        EXPECT_EQ(got.deleted, expected.deleted);
        EXPECT_EQ(got.positions, expected.positions);
        ASSERT_EQ(got.found.summaries.size(), expected.found.summaries.size());
        for (std::size_t i = 0; i < got.found.summaries.size(); ++i) {
            const VideoFileSummary& a = got.found.summaries[i];
            const VideoFileSummary& b = expected.found.summaries[i];
            EXPECT_EQ(a.hasHead, b.hasHead);
            EXPECT_EQ(a.eventCode, b.eventCode);
            EXPECT_EQ(a.eventCodeEx, b.eventCodeEx);
            EXPECT_EQ(a.drid, b.drid);
            EXPECT_EQ(a.sdid, b.sdid);
            EXPECT_EQ(a.firstFrameMs, b.firstFrameMs);
            EXPECT_EQ(a.lastFrameMs, b.lastFrameMs);
        }
    }
}

// Logs read ahead of the scan give the lists, summaries and deletions of the scan's own reads;
// what is not read ahead (too short, a link, beyond the budget) is left to the scan.
TEST(ScanSummaries, LogsReadAheadGiveWhatTheScanReadsItself) {
    ScopedTimeZone utc("UTC");
    const std::string desc = "log start=0 seconds=60\nlog start=100 seconds=30\n"
                             "log start=200 seconds=40\nlog start=300 seconds=50\n"
                             "damage short-data log=1 bytes=29\n";
    struct Scanned {
        std::vector<std::string> names, deleted;
        std::vector<LogFileSummary> summaries;
    };
    const auto scanLogs = [&](const TempDir& dir, bool ahead) {
        const mkcard::WrittenCard card = WriteTestCard(dir, desc);
        // A link to the short log, which the scan deletes before it reaches the link.
        fs::create_symlink(card.logs[1].path, dir.Path() / "log" / "9999999999,link.log");
        const FolderListing logs(CardPathOnDisk(dir.Str(), "log"), {kLogExt});
        // Room for the first and the third log only.
        const std::uint64_t budget =
            fs::file_size(card.logs[0].path) + fs::file_size(card.logs[2].path);
        const LogsReadAhead readAhead = ahead ? ReadLogsAhead(logs, budget) : LogsReadAhead{};
        if (ahead) {
            std::vector<bool> read;
            for (const auto& summary : readAhead.summaries)
                read.push_back(summary.has_value());
            EXPECT_EQ(read, (std::vector<bool>{true, false, true, false, false}));
        }
        RecordingViews views;
        Scanned scanned;
        FolderScan scan(views, scanned.deleted);
        std::vector<std::string> paths;
        scan.LogFiles(logs, readAhead, paths, scanned.summaries);
        for (std::string& path : scanned.deleted)
            path = P(fs::path(path).filename());
        for (const std::string& path : paths)
            scanned.names.push_back(P(fs::path(path).filename()));
        return scanned;
    };
    TempDir own, ahead;
    const Scanned expected = scanLogs(own, false);
    const Scanned got = scanLogs(ahead, true);
    EXPECT_EQ(got.names, expected.names);
    EXPECT_EQ(got.names.size(), 3u);
    EXPECT_EQ(got.deleted, expected.deleted);
    EXPECT_EQ(got.deleted.size(), 1u);
    ASSERT_EQ(got.summaries.size(), expected.summaries.size());
    for (std::size_t i = 0; i < got.summaries.size(); ++i) {
        EXPECT_EQ(got.summaries[i].durationSeconds, expected.summaries[i].durationSeconds);
        EXPECT_EQ(got.summaries[i].identity.recorderId, expected.summaries[i].identity.recorderId);
        EXPECT_EQ(got.summaries[i].identity.cardId, expected.summaries[i].identity.cardId);
    }
    EXPECT_EQ(got.summaries[0].durationSeconds, 59);
}

TEST(FolderListingLookup, FindsTheExactSpellingFirstAndKeepsTheFolderOpen) {
    TempDir dir;
    dir.Write("ch1/event/A.VDX", "upper");
    dir.Write("ch1/event/a.vdx", "lower");
    dir.Write("ch1/event/b.Vdx", "mixed");
    const FolderListing listing(P(dir.Path() / "ch1/event"), {kVideoIndexExt});
    EXPECT_GE(listing.Handle(), 0);
    ASSERT_NE(listing.Find("a.vdx"), nullptr);
    EXPECT_EQ(listing.Find("a.vdx")->name, "a.vdx");
    EXPECT_EQ(listing.Find("A.VDX")->name, "A.VDX");
    // No exact spelling: the first in name order.
    EXPECT_EQ(listing.Find("a.Vdx")->name, "A.VDX");
    EXPECT_EQ(listing.Find("B.VDX")->name, "b.Vdx");
    EXPECT_EQ(listing.Find("c.vdx"), nullptr);

    const FolderListing missing(P(dir.Path() / "no-such-folder"));
    EXPECT_EQ(missing.Handle(), -1);
    EXPECT_TRUE(missing.Files().empty());
}

// What a listing tells of its files by the suffix each was listed for agrees with their names,
// also for suffixes that one name can end with together.
TEST(FolderListingLookup, FilesEndingWithASuffixAreThoseWhoseNamesEndWithIt) {
    TempDir dir;
    for (const char* name : {"b.VDD", "a.vdd", "a.vdx", "c.Edx", "d.vd", "e.txt"})
        dir.Write(std::string("f/") + name, "x");
    const auto names = [](const std::vector<const FolderListing::File*>& files) {
        std::vector<std::string> found;
        for (const FolderListing::File* file : files)
            found.push_back(file->name);
        return found;
    };
    const std::string folder = P(dir.Path() / "f");
    const FolderListing video(folder, {kVideoDataExt, kVideoIndexExt, kEventMarkerExt});
    EXPECT_EQ(names(video.FilesEndingWith(".VDD")), (std::vector<std::string>{"a.vdd", "b.VDD"}));
    EXPECT_EQ(names(video.FilesEndingWith(kEventMarkerExt)), (std::vector<std::string>{"c.Edx"}));
    EXPECT_EQ(names(video.FilesEndingWith("x")), (std::vector<std::string>{"a.vdx", "c.Edx"}));
    EXPECT_EQ(video.PathOf(video.Files().front()), P(dir.Path() / "f" / "a.vdd"));
    // ".vdd" and "d" can end one name together.
    const FolderListing overlapping(folder, {"d", kVideoDataExt});
    EXPECT_EQ(names(overlapping.FilesEndingWith(kVideoDataExt)),
              (std::vector<std::string>{"a.vdd", "b.VDD"}));
    EXPECT_EQ(names(overlapping.FilesEndingWith("D")),
              (std::vector<std::string>{"a.vdd", "b.VDD", "d.vd"}));
    // The file looked at first is taken only when it has the very name.
    const FolderListing::File* first = &video.Files().front();
    EXPECT_EQ(video.Find("A.VDX", first + 1)->name, "a.vdx");
    EXPECT_EQ(video.Find("a.vdx", first)->name, "a.vdx");
    EXPECT_EQ(video.Find("c.edx", first + 1)->name, "c.Edx");
    EXPECT_EQ(video.Find("b.vdd", &overlapping.Files().front())->name, "b.VDD");
}

// The picture times of the scan go through a per-hour cache of the local-time conversion; it
// must give what the direct conversion gives, on the days the clocks change (by an hour or by
// half an hour) and for fields outside the calendar.
TEST(ScanSummaryTimes, CachedConversionMatchesTheDirectOneOnDaysTheClocksChange) {
    struct Day {
        int month, day;
    };
    // 2024: Europe, North America and Lord Howe Island (half an hour) change on these days.
    constexpr std::array<Day, 6> kDays = {{{3, 10}, {3, 31}, {4, 7}, {10, 6}, {10, 27}, {11, 3}}};
    for (const char* zone : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "UTC"}) {
        ScopedTimeZone scoped(zone);
        RecorderTimeCache cache;
        for (const Day& day : kDays)
            for (int minute = 0; minute < 5 * 60; minute += 7) {
                SYSTEMTIME time;
                time.wYear = 2024;
                time.wMonth = static_cast<std::uint16_t>(day.month);
                time.wDay = static_cast<std::uint16_t>(day.day);
                time.wHour = static_cast<std::uint16_t>(minute / 60);
                time.wMinute = static_cast<std::uint16_t>(minute % 60);
                time.wSecond = static_cast<std::uint16_t>(minute % 60);
                time.wMilliseconds = 250;
                char title[64];
                std::snprintf(title, sizeof title, "0000000001,2024_%02d_%02d_%02d_%02d_%02d",
                              day.month, day.day, minute / 60, minute % 60, minute % 60);
                RecorderTimeCache titles;
                const auto cachedTitle = TitleTimeToSeconds(title, titles);
                const auto directTitle = TitleTimeToSeconds(title);
                ASSERT_TRUE(cachedTitle && directTitle) << title;
                if (*cachedTitle != *directTitle) {
                    const SYSTEMTIME back = FromRecorderMs(*cachedTitle * 1000);
                    EXPECT_EQ(back.wHour * 60 + back.wMinute, minute) << zone << " " << title;
                }
                const std::int64_t cached = cache.ToMs(time);
                const std::int64_t direct = ToRecorderMs(time);
                if (cached == direct)
                    continue;
                // A repeated hour has two readings; the cached one must still be this time.
                const SYSTEMTIME back = FromRecorderMs(cached);
                EXPECT_EQ(back.wHour * 60 + back.wMinute, minute)
                    << zone << " " << day.month << "-" << day.day << " " << minute;
            }
        SYSTEMTIME epoch;
        epoch.wYear = 1970;
        epoch.wMonth = 1;
        epoch.wDay = 1;
        EXPECT_EQ(cache.ToMs(epoch), ToRecorderMs(epoch)) << zone;
    }
    // Fields outside the calendar give the current time either way.
    RecorderTimeCache cache;
    SYSTEMTIME wrong;
    wrong.wYear = 2024;
    wrong.wMonth = 5;
    wrong.wDay = 17;
    wrong.wMinute = 75;
    EXPECT_NEAR(static_cast<double>(cache.ToMs(wrong)), static_cast<double>(ToRecorderMs(wrong)),
                5000.0);
    // An hour outside the day after a valid hour is not taken for a later hour of the day.
    wrong.wMinute = 0;
    wrong.wHour = 10;
    EXPECT_EQ(cache.ToMs(wrong), ToRecorderMs(wrong));
    wrong.wDay = 16;
    wrong.wHour = 256 + 10; // day 16 hour 266 and day 17 hour 10 would share a packed key
    EXPECT_NEAR(static_cast<double>(cache.ToMs(wrong)), static_cast<double>(ToRecorderMs(wrong)),
                5000.0);
    wrong.wDay = 17;
    wrong.wHour = 0;
    wrong.wMonth = 13;
    EXPECT_NEAR(static_cast<double>(cache.ToMs(wrong)), static_cast<double>(ToRecorderMs(wrong)),
                5000.0);
}

namespace {

// A "$MVDRL" line at hh:mm:ss on 17 May 2024.
std::string SampleLine(int hour, int minute, int second, char end = ',') {
    char line[96];
    std::snprintf(line, sizeof line, "$MVDRL%c1,0,10,-20,1000,%02d%02d%02d,170524,0,120*4A\r\n",
                  end, hour, minute, second);
    return line;
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace

// The log list reads a log's duration from its sample lines alone; it must find the samples the
// loader completes, however odd the log.
TEST(LogSummaries, SampleTimesAreThoseOfTheSamplesTheLoaderCompletes) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card = WriteTestCard(
        dir, "log start=0 seconds=600\nlog start=1000 seconds=45\nlog start=9000 seconds=3700\n");
    std::vector<std::string> texts;
    for (const mkcard::WrittenLog& log : card.logs)
        texts.push_back(ReadFile(log.path));
    const std::string gps =
        "$GPRMC,101500.000,A,3530.0000,N,12918.0000,E,10.0,90.0,170524,,*00\r\n";
    texts.push_back("");
    texts.push_back(gps + gps);
    // A byte-order mark before the header, a first sample without a time, a sample ended by '*'.
    texts.push_back("\xEF\xBB\xBF$MVDRL3,1,TRX,SD*00\r\n" + gps +
                    "$MVDRL,1,0,0,0,0,000000,000000,0,0*00\r\n" + SampleLine(10, 15, 0, '*') +
                    SampleLine(10, 15, 1) + SampleLine(10, 20, 0));
    // Times that go back before the first sample or beyond an hour after it, a bare "$MVDRL"
    // line, a sample line cut at 256 bytes, a last line without CR LF.
    texts.push_back(SampleLine(10, 15, 0) + SampleLine(10, 14, 0) + SampleLine(11, 15, 11) +
                    "$MVDRL\r\n" + "$MVDRL," + std::string(300, '7') + "\r\n" +
                    SampleLine(11, 15, 5).substr(0, 49));
    // More samples than the loader keeps: it stops at the 3610th.
    std::string many;
    for (int i = 0; i < 3700; ++i)
        many += SampleLine(10 + i / 3600, i / 60 % 60, i % 60);
    texts.push_back(many);
    // "$MV" sentences of another name count towards the samples the loader makes room for.
    texts.push_back("$MVXXX,1\r\n" + SampleLine(10, 0, 0, '*') + SampleLine(10, 0, 9, '*') +
                    SampleLine(10, 0, 30, '*'));

    for (const std::string& text : texts) {
        CInfoLogFile loaded;
        const bool any = loaded.LoadFromBytes(Bytes(text)) == 1 && loaded.m_nSampleCount > 0;
        RecorderTimeCache hours;
        const std::optional<LogSampleTimes> times = ReadLogSampleTimes(Bytes(text), hours);
        ASSERT_EQ(times.has_value(), any) << text.substr(0, 80);
        if (!any)
            continue;
        EXPECT_EQ(times->first, loaded.GetSample(0)->llTime) << text.substr(0, 80);
        EXPECT_EQ(times->last, loaded.GetSample(loaded.m_nSampleCount - 1)->llTime)
            << text.substr(0, 80);
    }
}

namespace {

// A log as the recorder writes it, seconds long, then damaged at random: lines lost, repeated
// or cut, sample times out of order or outside the hour, sample lines of the other forms, "$MV"
// where no sentence starts, long lines, stray line ends, the text cut anywhere.
std::string DamagedLog(std::mt19937& random, int seconds) {
    using namespace mkcard;
    const auto chance = [&](int percent) {
        return std::uniform_int_distribution(0, 99)(random) < percent;
    };
    const auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    constexpr std::int64_t kStartMs = 1715938200000; // 2024-05-17 09:30:00
    DriveState state;
    state.latitude = 35.5;
    state.longitude = 129.3;
    state.speedKmh = 40;
    std::vector<std::string> lines;
    if (chance(70))
        lines.push_back(LogHeaderLine(3, "TRX0000001", "SD00000001"));
    for (int second = 0; second < seconds; ++second) {
        const std::int64_t wallMs = kStartMs + second * 1000;
        lines.push_back(RmcLine(wallMs, state));
        lines.push_back(GgaLine(wallMs, state));
        lines.push_back(GsvLines(state, 1));
        lines.push_back(MvdrlLine(second, wallMs, state, 120, 0));
    }
    const int damages = std::uniform_int_distribution(0, 6)(random);
    for (int i = 0; i < damages && !lines.empty(); ++i) {
        std::string& line = lines[pick(lines.size())];
        switch (pick(9)) {
        case 0:
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(&line - lines.data()));
            break;
        case 1: // a sample of another time: earlier, more than an hour later, none
            line =
                MvdrlLine(0, kStartMs + std::uniform_int_distribution(-7200, 7200)(random) * 1000,
                          state, 120, 0);
            if (chance(20))
                line = "$MVDRL,1,0,0,0,0,000000,000000,0,0*00\r\n";
            break;
        case 2: // the other forms of a sample line
            line = chance(50) ? "$MVDRL*" + line.substr(std::min<std::size_t>(7, line.size()))
                              : std::string("$MVDRL\r\n");
            break;
        case 3: // a "$MV" sentence of another name, or "$MV" inside a line
            line = chance(50) ? "$MVXXX,1\r\n" : "x" + line;
            break;
        case 4: // a line longer than the loader's line buffer
            line = line.substr(0, line.size() - std::min<std::size_t>(2, line.size())) +
                   std::string(300, chance(50) ? '7' : ',') + (chance(50) ? "\r\n" : "");
            break;
        case 5: // a stray or lost line end
            line.insert(pick(line.size() + 1), 1, chance(50) ? '\n' : '\r');
            break;
        case 6:
            lines.push_back(line);
            break;
        case 7: // a byte of the line changed into one the reader looks for
            if (!line.empty())
                line[pick(line.size())] = "$MV,*\r\n0"[pick(9)];
            break;
        case 8: // a byte-order mark, before a sample line without the header
            lines.insert(lines.begin(),
                         "\xEF\xBB\xBF" + (chance(50) ? MvdrlLine(0, kStartMs - 1000, state, 120, 0)
                                                      : std::string()));
            if (lines.size() > 1 && lines[1].starts_with("$MVDRL3") && chance(50))
                lines.erase(lines.begin() + 1);
            break;
        }
    }
    std::string text;
    for (const std::string& line : lines)
        text += line;
    if (chance(20))
        text.resize(pick(text.size() + 1));
    return text;
}

} // namespace

// The log list's duration comes from the first and the last sample the loader completes; the
// reader that finds them from a few sample lines must agree with the loader on every log.
TEST(LogSummaries, SampleTimesAgreeWithTheLoaderOnDamagedLogs) {
    ScopedTimeZone utc("UTC");
    std::mt19937 random(20240517);
    int withSamples = 0;
    for (int i = 0; i < 600; ++i) {
        const int seconds = i % 50 == 0 ? 3600 + std::uniform_int_distribution(0, 30)(random)
                                        : std::uniform_int_distribution(0, 90)(random);
        const std::string text = DamagedLog(random, seconds);
        CInfoLogFile loaded;
        const bool any = loaded.LoadFromBytes(Bytes(text)) == 1 && loaded.m_nSampleCount > 0;
        RecorderTimeCache hours;
        const std::optional<LogSampleTimes> times = ReadLogSampleTimes(Bytes(text), hours);
        ASSERT_EQ(times.has_value(), any) << i;
        if (!any)
            continue;
        ++withSamples;
        EXPECT_EQ(times->first, loaded.GetSample(0)->llTime) << i;
        EXPECT_EQ(times->last, loaded.GetSample(loaded.m_nSampleCount - 1)->llTime) << i;
    }
    EXPECT_GT(withSamples, 400); // most logs keep samples despite their damage
}
