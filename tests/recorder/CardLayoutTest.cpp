#include "recorder/CardLayout.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace trevix;

namespace {

constexpr const char* kTitle123 = "0000000123,2009.03.12 10.15.30";

void MakeFolders(const test::TempDir& dir, std::initializer_list<const char*> folders) {
    for (const char* folder : folders)
        std::filesystem::create_directories(dir.Path() / folder);
}

} // namespace

TEST(RecorderRootTest, StripsTrailingSlashesButKeepsTheFileSystemRoot) {
    EXPECT_EQ(RecorderRoot("/media/user/CARD/"), "/media/user/CARD");
    EXPECT_EQ(RecorderRoot("/media/user/CARD//"), "/media/user/CARD");
    EXPECT_EQ(RecorderRoot("/home/user/backup"), "/home/user/backup");
    EXPECT_EQ(RecorderRoot("/"), "/");
    EXPECT_EQ(RecorderRoot("///"), "/");
    EXPECT_EQ(RecorderRoot(""), "");
}

TEST(RecorderFolderTest, ReportsTheFirstMissingFolderInOrder) {
    test::TempDir dir;
    EXPECT_EQ(MissingRecorderFolder(dir.Str()), RecorderFolder::Ch1Event);
    MakeFolders(dir, {"ch1/event", "log"});
    EXPECT_EQ(MissingRecorderFolder(dir.Str()), RecorderFolder::Ch1Normal);
    MakeFolders(dir, {"ch1/normal", "audio"});
    EXPECT_EQ(MissingRecorderFolder(dir.Str()), RecorderFolder::Memo);
    EXPECT_FALSE(IsRecorderFolder(dir.Str()));
    EXPECT_EQ(RecorderFolderName(RecorderFolder::Memo), "memo");
    MakeFolders(dir, {"memo"});
    EXPECT_TRUE(IsRecorderFolder(dir.Str()));
}

TEST(RecorderFolderTest, AcceptsUpperCaseFoldersAndRejectsFilesInTheirPlace) {
    test::TempDir dir;
    MakeFolders(dir, {"CH1/EVENT", "CH1/Normal", "LOG", "Audio"});
    dir.Write("MEMO", "not a folder");
    EXPECT_EQ(MissingRecorderFolder(dir.Str()), RecorderFolder::Memo);
    std::filesystem::remove(dir.Path() / "MEMO");
    MakeFolders(dir, {"MEMO"});
    EXPECT_TRUE(IsRecorderFolder(dir.Str()));
}

TEST(CardPatterns, FormFoldersInTheSpellingOnDisk) {
    test::TempDir dir;
    MakeFolders(dir, {"CH2/EVENT", "CH2/normal", "Log", "memo3", "MEMOAUDIO", "memo", "CONFIG"});
    const std::string root = dir.Str();
    const CardPattern event = EventDataPattern(root, 2);
    EXPECT_EQ(event.folder, root + "/CH2/EVENT");
    EXPECT_EQ(event.suffix, ".vdd");
    EXPECT_EQ(NormalDataPattern(root, 2).folder, root + "/CH2/normal");
    EXPECT_EQ(EventMarkerPattern(root, 2).suffix, ".edx");
    EXPECT_EQ(ChannelKindFolder(root, 4, kEventFolder), root + "/ch4/event"); // absent: as formed
    EXPECT_EQ(LogPattern(root).folder, root + "/Log");
    EXPECT_EQ(SettingsFilePath(root, "set.ini"), root + "/CONFIG/set.ini");
}

TEST(CardPatterns, ModelTwentyKeepsMemosInOneFolder) {
    test::TempDir dir;
    MakeFolders(dir, {"memo", "memo1", "memoaudio"});
    const std::string root = dir.Str();
    EXPECT_EQ(MemoAudioPattern(root, 20).folder, root + "/memo");
    EXPECT_EQ(MemoAudioPattern(root, 20).suffix, ".aud");
    EXPECT_EQ(MemoPicturePattern(root, 20, 1).folder, root + "/memo");
    EXPECT_EQ(MemoAudioPattern(root, 21).folder, root + "/memoaudio");
    EXPECT_EQ(MemoPicturePattern(root, 24, 1).folder, root + "/memo1");
    EXPECT_EQ(MemoPicturePattern(root, 22, 3).suffix, ".jpg");
    EXPECT_EQ(ChannelCountOfModel(20), 3);
    EXPECT_EQ(ChannelCountOfModel(21), 4);
    EXPECT_EQ(ChannelCountOfModel(24), 4);
}

TEST(IndexPaths, SwapTheExtensionKeepingItsCase) {
    EXPECT_EQ(IndexPathForData("/c/ch1/event/a.vdd"), "/c/ch1/event/a.vdx");
    EXPECT_EQ(IndexPathForData("/c/CH1/EVENT/A.VDD"), "/c/CH1/EVENT/A.VDX");
    EXPECT_EQ(IndexPathForData("/c/audio/event/a.add"), "/c/audio/event/a.adx");
    EXPECT_EQ(IndexPathForData("/c/log/a.log"), "/c/log/a.log");
    EXPECT_EQ(IndexPathForData("vdd"), "vdd");
    EXPECT_EQ(DataPathForIndex("/c/ch1/event/a.vdx"), "/c/ch1/event/a.vdd");
    EXPECT_EQ(DataPathForIndex("/c/audio/event/A.ADX"), "/c/audio/event/A.ADD");
    EXPECT_EQ(DataPathForIndex("/c/ch1/normal/a.edx"), "/c/ch1/normal/a.edx");
}

TEST(IndexPaths, FindTheIndexAsSpelledOnDisk) {
    test::TempDir dir;
    const std::string data = dir.Write("ch1/event/0000000001,x.vdd", "d").string();
    const std::string index = dir.Write("ch1/event/0000000001,x.VDX", "i").string();
    EXPECT_EQ(IndexPathForData(data), index);
    EXPECT_EQ(DataPathForIndex(index), data);
}

TEST(ChannelOfPath, ReadsTheDigitAfterTheChannelFolder) {
    EXPECT_EQ(ChannelFromPath("/card/ch1/event/a.vdd"), 0);
    EXPECT_EQ(ChannelFromPath("/card/CH4/normal/a.vdd"), 3);
    EXPECT_EQ(ChannelFromPath("/home/chris/ch3/event/a.vdd"), 2);
    EXPECT_EQ(ChannelFromPath("/ch2backup/ch3/event/a.vdd"), 2);
    EXPECT_EQ(ChannelFromPath("/card/audio/event/a.add"), -1);
    EXPECT_EQ(ChannelFromPath("/card/ch"), -1);
    EXPECT_EQ(ChannelFromPath(""), -1);
}

TEST(SameRecording, MatchesBySerialAcrossChannelsWithOtherTimeStamps) {
    test::TempDir dir;
    const std::string front =
        dir.Write("ch1/event/0000000123,2009.03.12 10.15.30.vdd", "").string();
    dir.Write("CH2/Event/0000000122,2009.03.12 10.15.31.vdd", "");
    const std::string interior =
        dir.Write("CH2/Event/0000000123,2009.03.12 10.15.31.VDD", "").string();
    dir.Write("CH2/Event/0000000123,2009.03.12 10.15.31.vdx", "");
    const std::string audio =
        dir.Write("audio/EVENT/0000000123,2009.03.12 10.15.29.add", "").string();
    EXPECT_EQ(SameRecordingInChannel(front, 2), interior);
    EXPECT_EQ(SameRecordingInChannel(interior, 1), front);
    EXPECT_FALSE(SameRecordingInChannel(front, 3));
    EXPECT_EQ(AudioOfRecording(interior), audio);
}

TEST(SameRecording, SerialIsNotMatchedAsAPrefix) {
    test::TempDir dir;
    const std::string front =
        dir.Write("ch1/normal/000000012,2009.03.12 10.15.30.vdd", "").string();
    dir.Write("ch2/normal/0000000123,2009.03.12 10.15.30.vdd", "");
    EXPECT_FALSE(SameRecordingInChannel(front, 2));
}

TEST(SameRecording, RejectsPathsOfAnotherShape) {
    EXPECT_FALSE(SameRecordingInChannel("0000000123,x.vdd", 2));
    EXPECT_FALSE(SameRecordingInChannel("/event/0000000123,x.vdd", 2));
    EXPECT_FALSE(SameRecordingInChannel("/card/log/event/0000000123,x.vdd", 2));
    EXPECT_FALSE(AudioOfRecording(""));
}

TEST(MemoPicture, FollowsTheSerialIntoTheChannelFolder) {
    test::TempDir dir;
    const std::string audio =
        dir.Write("memoaudio/000000000A,2009.03.12 10.15.30.aud", "").string();
    dir.Write("MEMO2/000000000B,2009.03.12 10.15.30.jpg", "");
    const std::string picture = dir.Write("MEMO2/000000000a,2009.03.12 10.15.32.JPG", "").string();
    EXPECT_EQ(MemoPictureForAudio(audio, 2), picture);
    EXPECT_FALSE(MemoPictureForAudio(audio, 1));
    EXPECT_FALSE(MemoPictureForAudio(dir.Str() + "/memoaudio/x.jpg", 2));
}

TEST(MemoPicture, SingleMemoFolderKeepsPictureBesideItsAudio) {
    test::TempDir dir;
    const std::string audio = dir.Write("memo/0000000007,2009.03.12 10.15.30.aud", "").string();
    const std::string picture = dir.Write("memo/0000000007,2009.03.12 10.15.30.jpg", "").string();
    EXPECT_EQ(MemoPictureForAudio(audio, 1), picture);
}

TEST(EventMarker, OnlyAMarkerOfExactlyTwentySixBytesHasACode) {
    std::vector<std::byte> bytes(26, std::byte{0});
    bytes[7] = std::byte{64};
    EXPECT_EQ(EventCodeOfMarker(bytes), 64);
    bytes.push_back(std::byte{0});
    EXPECT_EQ(EventCodeOfMarker(bytes), 0);
    EXPECT_EQ(EventCodeOfMarker({}), 0);

    test::TempDir dir;
    std::string contents(26, '\0');
    contents[7] = '\x02';
    EXPECT_EQ(ReadEventMarkerCode(dir.Write("a.edx", contents).string()), 2);
    EXPECT_EQ(ReadEventMarkerCode(dir.Write("b.edx", contents + "x").string()), 0);
    EXPECT_EQ(ReadEventMarkerCode(dir.Write("c.edx", contents.substr(0, 25)).string()), 0);
    EXPECT_EQ(ReadEventMarkerCode(dir.Str() + "/missing.edx"), 0);
    EXPECT_EQ(ReadEventMarkerCode(dir.Str()), 0); // a folder
}

TEST(TitleOfPathTest, DropsFolderAndRecordingExtensionOnly) {
    EXPECT_EQ(TitleOfPath("/card/ch1/event/0000000123,2009.03.12 10.15.30.VDD"), kTitle123);
    EXPECT_EQ(TitleOfPath("0000000123,2009.03.12 10.15.30.edx"), kTitle123);
    // Without a known extension the dots belong to the time stamp.
    EXPECT_EQ(TitleOfPath(kTitle123), kTitle123);
}

TEST(RecorderTitleTest, ReadsTheFieldsAfterTheComma) {
    const RecorderTitle title(kTitle123);
    EXPECT_EQ(title.Serial(), "0000000123");
    EXPECT_EQ(title.ListNumber(), "123");
    EXPECT_EQ(title.StartText(), "2009.03.12 10:15:30");
    EXPECT_EQ(title.EventKey(), "2009.03.12 10.15.30");
    EXPECT_EQ(title.Year(), "2009");
    EXPECT_EQ(title.Second(), "30");
}

TEST(RecorderTitleTest, SeparatorsAndTrailingTextAreNotExamined) {
    const RecorderTitle title("0000000001,2010-11-22T23:58:59_extra,more");
    EXPECT_EQ(title.StartText(), "2010.11.22 23:58:59");
    EXPECT_EQ(title.EventKey(), "2010-11-22T23:58:59_extra,more");
}

TEST(RecorderTitleTest, TitleWithoutCommaReadsFromItsFirstCharacter) {
    const RecorderTitle title("2009.03.12 10.15.30");
    EXPECT_EQ(title.Serial(), "");
    EXPECT_EQ(title.ListNumber(), "0");
    EXPECT_EQ(title.StartText(), "2009.03.12 10:15:30");
    EXPECT_EQ(title.EventKey(), "2009.03.12 10.15.30");
}

TEST(RecorderTitleTest, ShortAndEmptyTitlesReadMissingCharactersAsEmpty) {
    const RecorderTitle shortTitle("0000000001,20");
    EXPECT_EQ(shortTitle.Year(), "20");
    EXPECT_EQ(shortTitle.Month(), "");
    EXPECT_EQ(shortTitle.StartText(), "20.. ::");
    const RecorderTitle cut("5,2009.03.12 10.1");
    EXPECT_EQ(cut.Minute(), "1");
    EXPECT_EQ(cut.Second(), "");
    const RecorderTitle empty("");
    EXPECT_EQ(empty.StartText(), ".. ::");
    EXPECT_EQ(empty.ListNumber(), "0");
    EXPECT_EQ(empty.EventKey(), "");
    const RecorderTitle onlyComma(",");
    EXPECT_EQ(onlyComma.Serial(), "");
    EXPECT_EQ(onlyComma.Year(), "");
}

TEST(RecorderTitleTest, ListNumberReadsTheSerialLikeAtof) {
    EXPECT_EQ(RecorderTitle("abc,2009").ListNumber(), "0");
    EXPECT_EQ(RecorderTitle("12ab,2009").ListNumber(), "12");
    EXPECT_EQ(RecorderTitle(" +7,2009").ListNumber(), "7");
    EXPECT_EQ(RecorderTitle("12.6,2009").ListNumber(), "13");
    EXPECT_EQ(RecorderTitle("0x1F,2009").ListNumber(), "0"); // decimal only
    EXPECT_EQ(RecorderTitle("inf,2009").ListNumber(), "0");
    EXPECT_EQ(RecorderTitle("nan,2009").ListNumber(), "0");
    EXPECT_EQ(RecorderTitle("1e400,2009").ListNumber(), "0");
    EXPECT_EQ(RecorderTitle("9999999999,2009").ListNumber(), "9999999999");
}
