#include "platform/ProfileStore.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace trevix {
namespace {

using test::ReadFile;
using test::TempDir;

constexpr std::string_view kSample = "; viewer settings\n"
                                     "[GUI]\n"
                                     "Vender=0\n"
                                     "  ModelName = \"Drive Recorder X\"  \n"
                                     "\n"
                                     "; run-time values\n"
                                     "[RunParam]\n"
                                     "CurrentModel = 23\n"
                                     "DisplaySpeed=1\n"
                                     "\n"
                                     "[KML]\n"
                                     "Route=0\n";

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(ProfileRead, MatchesSectionsAndKeysWithoutRegardToCase) {
    const ProfileDocument document = ProfileDocument::Parse(kSample);
    EXPECT_EQ(document.Value("gui", "VENDER"), "0");
    EXPECT_EQ(document.Value(" runparam ", "currentmodel"), "23");
    EXPECT_TRUE(document.HasSection("kml"));
}

TEST(ProfileRead, TrimsBlanksAndOnePairOfQuotes) {
    const ProfileDocument document = ProfileDocument::Parse(kSample);
    EXPECT_EQ(document.Value("GUI", "ModelName"), "Drive Recorder X");
    EXPECT_EQ(ProfileDocument::Parse("[A]\nk='it''s'\n").Value("A", "k"), "it''s");
    EXPECT_EQ(ProfileDocument::Parse("[A]\nk=\"open\n").Value("A", "k"), "\"open");
}

TEST(ProfileRead, MissingSectionOrKeyGivesNothing) {
    const ProfileDocument document = ProfileDocument::Parse(kSample);
    EXPECT_FALSE(document.Value("GUI", "DateDesc"));
    EXPECT_FALSE(document.Value("MAP", "MapType"));
    // A key of another section is not found through the wrong section.
    EXPECT_FALSE(document.Value("GUI", "Route"));
}

TEST(ProfileRead, CommentsAndKeysBeforeAnySectionAreNotKeys) {
    const ProfileDocument document =
        ProfileDocument::Parse("top=1\n[A]\n;k=commented\nk2 = 2\nplain line\n");
    EXPECT_FALSE(document.Value("A", ";k"));
    EXPECT_FALSE(document.Value("A", "k"));
    EXPECT_EQ(document.Value("A", "k2"), "2");
    EXPECT_EQ(document.Keys("A"), std::vector<std::string>{"k2"});
}

TEST(ProfileRead, FirstOfDuplicateSectionsAndKeysWins) {
    const ProfileDocument document = ProfileDocument::Parse("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(document.Value("A", "k"), "1");
    EXPECT_FALSE(document.Value("A", "j"));
    EXPECT_EQ(document.Sections(), std::vector<std::string>{"A"});
}

TEST(ProfileRead, AcceptsCrLfUtf8BomAndUtf16LeBom) {
    EXPECT_EQ(ProfileDocument::Parse("[A]\r\nk=v\r\n").Value("A", "k"), "v");

    const ProfileDocument bom = ProfileDocument::Parse("\xEF\xBB\xBF[A]\nk=v\n");
    EXPECT_EQ(bom.Encoding(), ProfileEncoding::Utf8Bom);
    EXPECT_EQ(bom.Value("A", "k"), "v");

    const ProfileDocument wide = ProfileDocument::Parse(
        Utf16Le(u"[GUI]\r\nMonday=\u6708\u66DC\u65E5\r\nRank=\U0001F600\r\n"));
    EXPECT_EQ(wide.Encoding(), ProfileEncoding::Utf16LeBom);
    EXPECT_EQ(wide.Value("gui", "monday"), "\xE6\x9C\x88\xE6\x9B\x9C\xE6\x97\xA5");
    EXPECT_EQ(wide.Value("GUI", "Rank"), "\xF0\x9F\x98\x80");
}

TEST(ProfileRead, BrokenUtf16DoesNotCrash) {
    // Lone surrogates, an odd trailing byte and NUL units.
    const std::string bytes = std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0\x00\xD8\n\0\0\0x", 21);
    const ProfileDocument document = ProfileDocument::Parse(bytes);
    EXPECT_EQ(document.Value("A", "k"), "\xEF\xBF\xBD");
}

TEST(ProfileRead, BinaryGarbageGivesNoSectionsAndNoCrash) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 2000), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        if (round % 3 == 0)
            bytes.insert(0, "\xFF\xFE");
        const ProfileDocument document = ProfileDocument::Parse(bytes);
        EXPECT_FALSE(document.Value("GUI", "Vender"));
        EXPECT_EQ(ProfileDocument::Parse(document.Serialize()).Sections(), document.Sections());
    }
}

TEST(ProfileInt, ReadsLikeThePrivateProfileIntegerRead) {
    EXPECT_EQ(ParseProfileInt("42"), 42);
    EXPECT_EQ(ParseProfileInt("  -7"), -7);
    EXPECT_EQ(ParseProfileInt("\t+5"), 5);
    EXPECT_EQ(ParseProfileInt("12abc"), 12);
    EXPECT_EQ(ParseProfileInt("abc"), 0);
    EXPECT_EQ(ParseProfileInt("- 3"), 0);
    EXPECT_EQ(ParseProfileInt("0x10"), 0); // decimal only
    EXPECT_EQ(ParseProfileInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseProfileInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseProfileInt("-99999999999999999999"), INT_MIN);
}

TEST(ProfileInt, EmptyOrMissingValueGivesTheDefaultNonNumericGivesZero) {
    TempDir dir;
    const ProfileStore store(dir.Write("a.ini", "[A]\nempty=\ntext=yes\nnum= 17 \n"));
    EXPECT_EQ(store.ReadInt("A", "empty", 9), 9);
    EXPECT_EQ(store.ReadInt("A", "missing", 9), 9);
    EXPECT_EQ(store.ReadInt("A", "text", 9), 0);
    EXPECT_EQ(store.ReadInt("a", "NUM", 9), 17);
}

TEST(ProfileString, CutsToTheBufferLengthWithoutSplittingCharacters) {
    EXPECT_EQ(CutToBuffer("abcdef", 4), "abc");
    EXPECT_EQ(CutToBuffer("abc", 4), "abc");
    EXPECT_EQ(CutToBuffer("abc", 1), "");
    EXPECT_EQ(CutToBuffer("abc", 0), "abc");
    EXPECT_EQ(CutToBuffer("\xC3\xA4\xC3\xB6\xC3\xBC", 3), "\xC3\xA4\xC3\xB6");

    TempDir dir;
    const ProfileStore store(dir.Write("a.ini", "[A]\nk=0123456789\n"));
    EXPECT_EQ(store.ReadString("A", "k", "", 6), "01234");
    EXPECT_EQ(store.ReadString("A", "none", "defaultvalue", 6), "defau");
}

TEST(ProfileStoreRead, MissingDirectoryOrPipeGivesDefaults) {
    TempDir dir;
    EXPECT_EQ(ProfileStore(dir.Path() / "none.ini").ReadString("A", "k", "d"), "d");
    EXPECT_EQ(ProfileStore(dir.Path()).ReadInt("A", "k", 3), 3);
    const auto fifo = dir.Path() / "pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProfileStore(fifo).ReadString("A", "k", "d"), "d");
    EXPECT_FALSE(ProfileStore(fifo).Write("A", "k", "v"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ProfileWrite, ReplacingAValueKeepsEveryOtherByte) {
    TempDir dir;
    const auto file = dir.Write("a.ini", kSample);
    ASSERT_TRUE(ProfileStore(file).Write("runparam", "CURRENTMODEL", "21"));
    std::string expected(kSample);
    expected.replace(expected.find("CurrentModel = 23"), 17, "CurrentModel = 21");
    EXPECT_EQ(ReadFile(file), expected);
}

TEST(ProfileWrite, NewKeyGoesAtTheEndOfItsSectionBeforeTheBlankLine) {
    TempDir dir;
    const auto file = dir.Write("a.ini", kSample);
    ASSERT_TRUE(ProfileStore(file).Write("GUI", "DateDesc", "1"));
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("  ModelName = \"Drive Recorder X\"  \nDateDesc=1\n\n; run-time"),
              std::string::npos)
        << text;
}

TEST(ProfileWrite, MissingSectionIsAppendedAndMissingFileCreated) {
    TempDir dir;
    const auto file = dir.Write("a.ini", "[A]\nk=1"); // no final line break
    ASSERT_TRUE(ProfileStore(file).Write("MAP", "MapType", "2"));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n[MAP]\nMapType=2\n");

    const auto fresh = dir.Path() / "new.ini";
    ASSERT_TRUE(ProfileStore(fresh).WriteInt("RunParam", "CurrentModel", -4));
    EXPECT_EQ(ReadFile(fresh), "[RunParam]\nCurrentModel=-4\n");
}

TEST(ProfileWrite, NullValueDeletesKeyNullKeyDeletesSection) {
    TempDir dir;
    const auto file = dir.Write("a.ini", kSample);
    const ProfileStore store(file);
    ASSERT_TRUE(store.Write("RunParam", "DisplaySpeed", std::nullopt));
    EXPECT_EQ(store.ReadInt("RunParam", "DisplaySpeed", 5), 5);
    EXPECT_EQ(store.ReadInt("RunParam", "CurrentModel", 0), 23);

    ASSERT_TRUE(store.Write("gui", std::nullopt, std::nullopt));
    const std::string text = ReadFile(file);
    EXPECT_EQ(text.find("Vender"), std::string::npos);
    EXPECT_EQ(text.find("[GUI]"), std::string::npos);
    EXPECT_TRUE(text.starts_with("; viewer settings\n\n; run-time values\n[RunParam]\n")) << text;
    EXPECT_EQ(store.ReadInt("KML", "Route", 1), 0);
}

TEST(ProfileWrite, DeletingFromAMissingFileCreatesNothing) {
    TempDir dir;
    const auto file = dir.Path() / "none.ini";
    EXPECT_TRUE(ProfileStore(file).Write("A", "k", std::nullopt));
    EXPECT_TRUE(ProfileStore(file).Write("A", std::nullopt, std::nullopt));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ProfileWrite, KeepsCrLfAndEncoding) {
    TempDir dir;
    const auto crlf = dir.Write("crlf.ini", "[A]\r\nk=1\r\n");
    ASSERT_TRUE(ProfileStore(crlf).Write("A", "j", "2"));
    ASSERT_TRUE(ProfileStore(crlf).Write("B", "x", "3"));
    EXPECT_EQ(ReadFile(crlf), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=3\r\n");

    const auto bom = dir.Write("bom.ini", "\xEF\xBB\xBF[A]\nk=1\n");
    ASSERT_TRUE(ProfileStore(bom).Write("A", "k", "\xC3\xA4"));
    EXPECT_EQ(ReadFile(bom), "\xEF\xBB\xBF[A]\nk=\xC3\xA4\n");

    const auto wide = dir.Write("wide.ini", Utf16Le(u"[A]\r\nk=1\r\n"));
    ASSERT_TRUE(ProfileStore(wide).Write("A", "k", "\xE6\x9C\x88"));
    EXPECT_EQ(ReadFile(wide), Utf16Le(u"[A]\r\nk=\u6708\r\n"));
    EXPECT_EQ(ProfileStore(wide).ReadString("A", "k", ""), "\xE6\x9C\x88");
}

TEST(ProfileWrite, RefusesTextThatWouldChangeTheFileStructure) {
    TempDir dir;
    const auto file = dir.Write("a.ini", "[A]\nk=1\n");
    const ProfileStore store(file);
    EXPECT_FALSE(store.Write("A", "k", "2\n[B]\nx=1"));
    EXPECT_FALSE(store.Write("A", "k=", "2"));
    EXPECT_FALSE(store.Write("A]", "k", "2"));
    EXPECT_FALSE(store.Write("", "k", "2"));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n");
}

TEST(ProfileWrite, FailedWriteLeavesTheOldFileIntact) {
    TempDir dir;
    // A folder that is a regular file: nothing can be created in it (also as root).
    const auto notAFolder = dir.Write("plain", "x");
    EXPECT_FALSE(ProfileStore(notAFolder / "a.ini").Write("A", "k", "v"));

    const auto readOnly = dir.Write("ro.ini", "[A]\nk=1\n");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    EXPECT_FALSE(ProfileStore(readOnly).Write("A", "k", "2"));
    EXPECT_EQ(ReadFile(readOnly), "[A]\nk=1\n");

    // An oversized file is no profile file and is never rewritten.
    const auto huge = dir.Path() / "huge.ini";
    std::filesystem::resize_file(dir.Write("huge.ini", "[A]\n"), ProfileStore::kMaxFileBytes + 1);
    EXPECT_FALSE(ProfileStore(huge).Write("A", "k", "2"));
    EXPECT_EQ(std::filesystem::file_size(huge), ProfileStore::kMaxFileBytes + 1);
}

TEST(ProfileWrite, ReplacesAtomicallyKeepingModeAndLeavingNoTemporaryFile) {
    TempDir dir;
    const auto file = dir.Write("a.ini", "[A]\nk=1\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_TRUE(ProfileStore(file).Write("A", "k", "2"));
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file was renamed into place
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ProfileWrite, WritesThroughASymbolicLinkToItsTarget) {
    TempDir dir;
    const auto target = dir.Write("real/a.ini", "[A]\nk=1\n");
    const auto link = dir.Path() / "link.ini";
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(ProfileStore(link).Write("A", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "[A]\nk=2\n");
}

TEST(ProfileWrite, GarbageFileCanStillTakeAKey) {
    TempDir dir;
    const std::string garbage("\x01\x02\xFE\x00\x80=\xFF\n\x7F[", 11);
    const auto file = dir.Write("g.ini", garbage);
    ASSERT_TRUE(ProfileStore(file).Write("A", "k", "v"));
    const std::string text = ReadFile(file);
    EXPECT_TRUE(text.starts_with(garbage)) << "existing bytes are kept";
    EXPECT_EQ(ProfileStore(file).ReadString("A", "k", ""), "v");
}

} // namespace
} // namespace trevix
