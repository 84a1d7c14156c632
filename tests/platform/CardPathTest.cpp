#include "platform/CardPath.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace trevix;

namespace {

std::vector<std::string> Names(const std::vector<CardEntry>& entries) {
    std::vector<std::string> names;
    for (const CardEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

} // namespace

TEST(CardPathText, FoldsAndComparesWithoutRegardToCase) {
    EXPECT_TRUE(EqualsNoCase("CH1", "ch1"));
    EXPECT_FALSE(EqualsNoCase("ch1", "ch10"));
    EXPECT_TRUE(StartsWithNoCase("MemoAudio", "memo"));
    EXPECT_TRUE(EndsWithNoCase("A.VDD", ".vdd"));
    EXPECT_FALSE(EndsWithNoCase("dd", ".vdd"));
    EXPECT_EQ(ToLowerAscii("CH1/Event-\xC3\x84"), "ch1/event-\xC3\x84"); // bytes above ASCII kept
    EXPECT_EQ(FindNoCase("/x/CH2/ch3", "/ch"), 2u);
    EXPECT_EQ(RFindNoCase("/x/CH2/ch3", "/CH"), 6u);
    EXPECT_EQ(RFindNoCase("ab", "abc"), std::string_view::npos);
}

TEST(CardPathText, SplitsAndJoinsPaths) {
    EXPECT_EQ(JoinCardPath("/", "ch1"), "/ch1");
    EXPECT_EQ(JoinCardPath("/card", "ch1"), "/card/ch1");
    EXPECT_EQ(JoinCardPath("/card/", "ch1"), "/card/ch1");
    EXPECT_EQ(ParentOfPath("/card/ch1/a.vdd"), "/card/ch1");
    EXPECT_EQ(ParentOfPath("/a.vdd"), "/");
    EXPECT_EQ(ParentOfPath("a.vdd"), "");
    EXPECT_EQ(NameOfPath("/card/ch1/a.vdd"), "a.vdd");
    EXPECT_EQ(NameOfPath("/card/"), "");
}

TEST(CardPathLookup, FindsAFolderSpelledInAnotherCase) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "CH1" / "Event");
    EXPECT_EQ(FindEntryNoCase(dir.Str(), "ch1"), dir.Str() + "/CH1");
    EXPECT_EQ(ResolveCardPath(dir.Str(), "ch1/event"), dir.Str() + "/CH1/Event");
    EXPECT_EQ(ResolveCardPath(dir.Str(), "ch1//event/"), dir.Str() + "/CH1/Event");
    EXPECT_FALSE(ResolveCardPath(dir.Str(), "ch1/normal"));
    EXPECT_FALSE(ResolveCardPath(dir.Str() + "/missing", "ch1"));
    EXPECT_FALSE(FindEntryNoCase(dir.Str(), ""));
}

TEST(CardPathLookup, PrefersTheExactSpellingWhenBothExist) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "CH1");
    std::filesystem::create_directories(dir.Path() / "ch1");
    EXPECT_EQ(FindEntryNoCase(dir.Str(), "ch1"), dir.Str() + "/ch1");
    EXPECT_EQ(FindEntryNoCase(dir.Str(), "CH1"), dir.Str() + "/CH1");
}

TEST(CardPathLookup, TriesEverySpellingUntilTheRestIsFound) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "ch1");
    std::filesystem::create_directories(dir.Path() / "CH1" / "EVENT");
    EXPECT_EQ(ResolveCardPath(dir.Str(), "ch1/event"), dir.Str() + "/CH1/EVENT");
    EXPECT_EQ(CardPathOnDisk(dir.Str(), "ch1/event"), dir.Str() + "/CH1/EVENT");
    EXPECT_EQ(CardPathOnDisk(dir.Str(), "ch1/normal"), dir.Str() + "/ch1/normal");
}

TEST(CardPathLookup, KeepsTheMissingRestAsGiven) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "CONFIG");
    EXPECT_EQ(CardPathOnDisk(dir.Str(), "config/set.ini"), dir.Str() + "/CONFIG/set.ini");
    EXPECT_EQ(CardPathOnDisk(dir.Str(), "ch1/event"), dir.Str() + "/ch1/event");
}

TEST(CardPathPattern, MatchesPrefixAndSuffixWithoutOverlap) {
    EXPECT_TRUE(MatchesPattern("A.VDD", "", ".vdd"));
    EXPECT_TRUE(MatchesPattern("0000000123,2009.vdd", "0000000123,", ".VDD"));
    EXPECT_TRUE(MatchesPattern("0000000123,.vdd", "0000000123,", ".vdd"));
    EXPECT_FALSE(MatchesPattern("0000000124,2009.vdd", "0000000123,", ".vdd"));
    EXPECT_FALSE(MatchesPattern("a.vdd", "a.vdd", ".vdd"));
    EXPECT_FALSE(MatchesPattern("a.vdx", "", ".vdd"));
    EXPECT_FALSE(MatchesPattern(".vd", "", ".vdd"));
}

TEST(CardPathPattern, FindsEntriesOfAnyCaseAndSortsByName) {
    test::TempDir dir;
    dir.Write("b.vdd", "x");
    dir.Write("A.VDD", "x");
    dir.Write("c.vdx", "x");
    dir.Write("a.vdd.bak", "x");
    std::filesystem::create_directories(dir.Path() / "d.vdd");
    std::vector<CardEntry> entries = FindCardEntries({dir.Str(), "", ".vdd"});
    SortByName(entries);
    ASSERT_EQ(Names(entries), (std::vector<std::string>{"A.VDD", "b.vdd", "d.vdd"}));
    EXPECT_EQ(entries[0].path, dir.Str() + "/A.VDD");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_TRUE(entries[2].isDirectory);
}

TEST(CardPathPattern, MissingFolderGivesNothing) {
    test::TempDir dir;
    EXPECT_TRUE(FindCardEntries({dir.Str() + "/none", "", ".vdd"}).empty());
    dir.Write("file", "x");
    EXPECT_TRUE(FindCardEntries({dir.Str() + "/file", "", ""}).empty());
}
