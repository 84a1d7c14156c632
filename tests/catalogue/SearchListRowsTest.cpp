#include "catalogue/SearchListRows.h"
#include "catalogue/RecordingSummary.h"
#include "recorder/Vocabulary.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

constexpr const char* kPicture = " fps=2 size=360x240 audio=none";

std::string Line(std::string text) {
    return text + kPicture + "\n";
}

NormalFileInfo File(std::int64_t start, std::int64_t duration, bool onTheHour = false) {
    NormalFileInfo file;
    file.titleSeconds = start;
    file.durationSeconds = duration;
    file.startsOnTheHour = onTheHour;
    file.firstFrameMs = start * 1000;
    file.lastFrameMs = (start + duration) * 1000;
    return file;
}

std::vector<std::string> ScannedNormals(const TempDir& dir) {
    SearchFixture f;
    EXPECT_TRUE(f.ScanFolder(dir));
    return f.views.List(SearchList::Normal);
}

} // namespace

TEST(NormalGrouping, ElevenSecondsAfterTheEndOpensANewGroup) {
    const std::vector<NormalFileInfo> files = {
        File(1000, 59),       File(1060, 59), // 1 s after the previous end: same group
        File(1129, 59),                       // 10 s: same group
        File(1199, 59),                       // 11 s: new group
        File(1250, 59),                       // before the previous end: new group
        File(1320, 59, true),                 // starts on the hour: new group
    };
    EXPECT_EQ(GroupNormalFiles(files), (std::vector{0, 0, 0, 1, 2, 3}));
    EXPECT_TRUE(GroupNormalFiles({}).empty());
    EXPECT_EQ(GroupDurationSeconds(std::span(files).first(3)), 1129 + 59 - 1000 + 1);
}

TEST(NormalGrouping, DurationTextsRoundMinutesOfGroupsAndTruncateThoseOfLogs) {
    EXPECT_EQ(NormalDurationText(0), "0 Sec");
    EXPECT_EQ(NormalDurationText(59), "59 Sec");
    EXPECT_EQ(NormalDurationText(60), "1 Min");
    EXPECT_EQ(NormalDurationText(89), "1 Min");
    EXPECT_EQ(NormalDurationText(90), "2 Min");
    EXPECT_EQ(LogDurationText(std::nullopt), "0 Min");
    EXPECT_EQ(LogDurationText(59), "59 Sec");
    EXPECT_EQ(LogDurationText(119), "1 Min");
    EXPECT_EQ(LogDurationText(3600), "60 Min");
}

TEST(NormalRows, TwelveBackToBackMinutesFormOneRowAndAGapStartsAnother) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    WriteTestCard(dir, Line("normal start=0 files=12 seconds=60") +
                           Line("normal start=735 files=2 seconds=60")); // 15 s after the end
    const std::vector<std::string> paths = ScannedNormals(dir);
    ASSERT_EQ(paths.size(), 14u);
    const NormalList list = BuildNormalRows(paths);
    ASSERT_EQ(list.rows.size(), 2u);
    const NormalRow& first = list.rows[0];
    EXPECT_EQ(first.columns, (std::vector<std::string>{"1 [12]", "2024.05.17 09:30:00", "12 Min",
                                                       paths[0], "TRX0000001", "SD00000001"}));
    EXPECT_EQ(first.firstFile, 0u);
    EXPECT_EQ(first.fileCount, 12u);
    EXPECT_EQ(list.rows[1].columns[0], "13 [2]");
    EXPECT_EQ(list.rows[1].columns[1], "2024.05.17 09:42:15");
    EXPECT_EQ(list.rows[1].columns[2], "2 Min");
    EXPECT_EQ(list.rows[1].firstFile, 12u);
    EXPECT_EQ(list.groupOfFile[11], 0);
    EXPECT_EQ(list.groupOfFile[12], 1);
}

TEST(NormalRows, ShortGroupsShowSecondsFromFirstToLastPicturePlusOne) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    WriteTestCard(dir, Line("normal start=0 files=2 seconds=20"));
    const NormalList list = BuildNormalRows(ScannedNormals(dir));
    ASSERT_EQ(list.rows.size(), 1u);
    // Pictures at 2 fps from 0 s to 39.5 s: 39 whole seconds, plus 1.
    EXPECT_EQ(list.rows[0].columns[2], "40 Sec");
}

// Every index damage still gives the file's picture times (read from the index's ends, or
// through the salvaging reader), so the group stays whole.
TEST(NormalRows, DamagedIndexesKeepTheGroupTogether) {
    ScopedTimeZone utc("UTC");
    for (const char* damage : {"index-missing", "trailer-damaged", "old-trailer", "records-66",
                               "data-cut", "short-index"}) {
        TempDir dir;
        WriteTestCard(dir, Line("normal start=0 files=3 seconds=20") + "damage " + damage +
                               " video=1:1\n");
        const NormalList list = BuildNormalRows(ScannedNormals(dir));
        ASSERT_EQ(list.rows.size(), 1u) << damage;
        EXPECT_EQ(list.rows[0].columns[0], "1 [3]") << damage;
        EXPECT_EQ(list.rows[0].columns[2], "1 Min") << damage;
        EXPECT_EQ(list.rows[0].columns[4], "TRX0000001") << damage;
    }
}

// An index that lost the second half of its records covers only the first half of its file, as
// the loader will read it: the gap after it splits the group.
TEST(NormalRows, AnIndexCutShortEndsItsGroupWhereItsRecordsEnd) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    WriteTestCard(dir,
                  Line("normal start=0 files=3 seconds=30") + "damage index-cut-short video=1:1\n");
    const NormalList list = BuildNormalRows(ScannedNormals(dir));
    EXPECT_EQ(list.groupOfFile, (std::vector{0, 0, 1}));
}

TEST(EventRows, ShowTheEventNameIdentityAndPath) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card =
        WriteTestCard(dir, Line("event code=2") + Line("event code=32 ext=1") +
                               Line("normal files=1 seconds=60 marker=10:16"));
    SearchFixture f;
    ASSERT_TRUE(f.ScanFolder(dir));
    const std::vector<ListRow> rows = BuildEventRows(f.views.List(SearchList::Event));
    ASSERT_EQ(rows.size(), 3u);
    const std::string first = P(card.recordings[0].Channel(0)->data);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"1", "2024.05.17 09:30:00", "Switch",
                                                         first, "TRX0000001", "SD00000001"}));
    EXPECT_EQ(rows[1].columns[2], "Shock");
    EXPECT_EQ(rows[2].columns[0], "3");
    EXPECT_EQ(rows[2].columns[2], "Battery Off");
    EXPECT_TRUE(rows[2].columns[3].ends_with(".edx"));
    EXPECT_EQ(rows[2].columns.size(), kEventColumns);
}

TEST(EventRows, ReadTheEventTypeFromTheMarkerOrTheHeadOfTheDataFile) {
    TempDir dir;
    std::string marker(26, '\0');
    marker[7] = 4;
    const std::string edx = P(dir.Write("m.edx", marker));
    EXPECT_EQ(EventTypeOfEventFile(edx), 4);
    const std::string odd = P(dir.Write("n.edx", marker + "x")); // not 26 bytes
    EXPECT_EQ(EventTypeOfEventFile(odd), 0);

    std::string head = "\xFF\xD8\xFF\xFE";
    head += std::string(2 + 45, '\0');
    head += '\x08';
    head += std::string(20, '\0');
    const std::string vdd = P(dir.Write("e.vdd", head));
    EXPECT_EQ(ReadVideoHeadEventCode(vdd), 8);
    EXPECT_EQ(EventTypeOfEventFile(vdd), 8);
    const std::string noBlock = P(dir.Write("f.vdd", std::string(80, '\x01')));
    EXPECT_FALSE(ReadVideoHeadEventCode(noBlock));
    EXPECT_FALSE(ReadVideoHeadEventCode(P(dir.Write("g.vdd", head.substr(0, 40)))));

    // Neither head nor index: the row still comes out, with empty identities.
    const std::vector<ListRow> rows = BuildEventRows(std::vector{noBlock});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].columns[4], "");
}

TEST(MemoRows, ShowFiveSeconds) {
    const std::vector<ListRow> rows =
        BuildMemoRows(std::vector<std::string>{"/c/memo/0000000123,2009.03.12 10.15.30.aud"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].columns,
              (std::vector<std::string>{"123", "2009.03.12 10:15:30", "5 Sec",
                                        "/c/memo/0000000123,2009.03.12 10.15.30.aud"}));
}

TEST(LogRows, ShowDurationAndTheIdentityOfTheFirstLine) {
    ScopedTimeZone utc("UTC");
    TempDir dir;
    const mkcard::WrittenCard card =
        WriteTestCard(dir, "log start=0 seconds=600\nlog start=1000 seconds=45\n"
                           "log start=2000 seconds=3700\n");
    std::vector<std::string> paths;
    for (const mkcard::WrittenLog& log : card.logs)
        paths.push_back(P(log.path));
    paths.push_back(P(dir.Write("log/0000000099,2024_05_17_12_00_00.log",
                                std::string("$GPRMC,no samples here\r\n") + std::string(40, ' '))));
    const std::vector<ListRow> rows = BuildLogRows(paths);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"1", "2024.05.17 09:30:00", "9 Min",
                                                         paths[0], "TRX0000001", "SD00000001"}));
    EXPECT_EQ(rows[1].columns[2], "44 Sec");
    EXPECT_EQ(rows[2].columns[2], "60 Min"); // at most 3600 seconds
    EXPECT_EQ(rows[3].columns[2], "0 Min");
    EXPECT_EQ(rows[3].columns[4], "");
}

TEST(LogIdentity, ReadsFieldsTwoAndThreeOfTheHeaderLine) {
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL3,1,TRX0000001,SD00000001*5A\r\n").recorderId,
              "TRX0000001");
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL3,1,TRX0000001,SD00000001*5A\r\n").cardId, "SD00000001");
    // A byte-order mark is skipped, '*' ends a field, long identities keep 10 characters.
    const LogIdentity marked =
        ParseLogIdentityLine("\xEF\xBB\xBF$MVDRL3,2,ABCDEFGHIJKLMN*OPQRSTUVWXYZ\r\n");
    EXPECT_EQ(marked.recorderId, "ABCDEFGHIJ");
    EXPECT_EQ(marked.cardId, "OPQRSTUVWX");
    // Ten characters, not ten bytes.
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL3,1,\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4,x")
                  .recorderId,
              "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4");
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL3,1").recorderId, "");
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL,1,TRX,SD").recorderId, "");
    EXPECT_EQ(ParseLogIdentityLine("").cardId, "");
    // The identity lies on the first line only.
    EXPECT_EQ(ParseLogIdentityLine("$GPRMC\r\n$MVDRL3,1,A,B").recorderId, "");
    EXPECT_EQ(ParseLogIdentityLine("$MVDRL3,1,A\r\n,B").cardId, "");
}
