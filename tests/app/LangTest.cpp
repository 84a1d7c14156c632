#include "app/Lang.h"
#include "app/MgrMultiLang.h"
#include "app/ViewerConfig.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace trevix {
namespace {

using test::TempDir;

ViewerConfig ConfigWithout(const TempDir& dir) {
    UserFolders folders;
    folders.workingDirectory = dir.Path();
    return ViewerConfig(folders, [] { return 49; });
}

std::vector<std::filesystem::path> Paths(std::initializer_list<const char*> names) {
    std::vector<std::filesystem::path> paths;
    for (const char* name : names)
        paths.emplace_back(std::filesystem::path("/start") / name);
    return paths;
}

TEST(LanguageChoice, NonEnglishFileWinsWhateverTheOrder) {
    EXPECT_EQ(
        CMgrMultiLang::ChooseLanguageFile(Paths({"vedoredulang_en.ini", "vedoredulang_jp.ini"})),
        "/start/vedoredulang_jp.ini");
    EXPECT_EQ(
        CMgrMultiLang::ChooseLanguageFile(Paths({"vedoredulang_jp.ini", "vedoredulang_en.ini"})),
        "/start/vedoredulang_jp.ini");
    // Among several other languages the first listed wins.
    EXPECT_EQ(CMgrMultiLang::ChooseLanguageFile(
                  Paths({"vedoredulang_en.ini", "vedoredulang_kr.ini", "vedoredulang_jp.ini"})),
              "/start/vedoredulang_kr.ini");
}

TEST(LanguageChoice, OnlyEnglishFilesGiveTheLastOne) {
    EXPECT_EQ(
        CMgrMultiLang::ChooseLanguageFile(Paths({"vedoredulang_en.ini", "vedoredulang_EN_us.ini"})),
        "/start/vedoredulang_EN_us.ini");
    EXPECT_TRUE(CMgrMultiLang::ChooseLanguageFile({}).empty());
}

TEST(LanguageChoice, OnlyTheFileNameIsTestedForEnglish) {
    const std::vector<std::filesystem::path> files = {"/data_en/vedoredulang_jp.ini",
                                                      "/data_en/vedoredulang_en.ini"};
    EXPECT_EQ(CMgrMultiLang::ChooseLanguageFile(files), "/data_en/vedoredulang_jp.ini");
}

TEST(LanguageDiscovery, FindsMatchingFilesSkipsFoldersAndStoresTheRealPath) {
    TempDir dir;
    dir.Write("vedoredulang_en.ini", "[GUI]\nMonday=Mon\n");
    dir.Write("VedoreduLang_JP.INI", "[GUI]\nMonday=Getsu\n");
    dir.Write("vedoredulang_kr.ini/inner.txt", "a folder, not a file");
    dir.Write("vedoredu.ini", "[GUI]\n");
    dir.Write("other_lang_fr.ini", "[GUI]\nMonday=Lun\n");
    std::vector<std::string> names;
    for (const auto& file : CMgrMultiLang::ListLanguageFiles(dir.Path()))
        names.push_back(file.filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"VedoreduLang_JP.INI", "vedoredulang_en.ini"}));

    ViewerConfig config = ConfigWithout(dir);
    CMgrMultiLang manager;
    manager.Discover(dir.Path(), config);
    EXPECT_EQ(manager.ActiveFile(), dir.Path() / "VedoreduLang_JP.INI");
    EXPECT_EQ(config.LanguageFilePath(), (dir.Path() / "VedoreduLang_JP.INI").string());
    EXPECT_EQ(manager.Lookup("GUI", "Monday", "Mon"), "Getsu");
}

TEST(LanguageDiscovery, NoFileGivesEnglishDefaults) {
    TempDir dir;
    ViewerConfig config = ConfigWithout(dir);
    CMgrMultiLang manager;
    EXPECT_EQ(manager.Lookup("GUI", "Sunday", "Sun"), "Sun"); // before discovery
    manager.Discover(dir.Path(), config);
    EXPECT_TRUE(config.LanguageFilePath().empty());
    EXPECT_EQ(manager.Lookup("GUI", "Sunday", "Sun"), "Sun");
    EXPECT_EQ(manager.Lookup("GUI", "RDExtShock", "Shock"), "Shock");
    EXPECT_EQ(manager.Lookup("Message", "NoSDCard", "Line one\\nline two"), "Line one\nline two");
}

class LanguageLookup : public ::testing::Test {
protected:
    void Use(std::string_view fileText) {
        dir_.Write("vedoredulang_de.ini", fileText);
        ViewerConfig config = ConfigWithout(dir_);
        manager_.Discover(dir_.Path(), config);
    }
    TempDir dir_;
    CMgrMultiLang manager_;
};

TEST_F(LanguageLookup, BackslashNBecomesALineBreak) {
    Use("[Message]\nFormatOK=Formatierung\\nabgeschlossen\nPath=a\\\\nb\n");
    EXPECT_EQ(manager_.Lookup("Message", "FormatOK", "Format OK"), "Formatierung\nabgeschlossen");
    // Every backslash-n pair counts, also one preceded by another backslash.
    EXPECT_EQ(manager_.Lookup("Message", "Path", ""), "a\\\nb");
}

TEST_F(LanguageLookup, MissingKeyFallsBackToThatCallSitesDefault) {
    Use("[GUI]\nOK=Gut\n[ToolTip]\nPlay=Abspielen\n");
    EXPECT_EQ(manager_.Lookup("GUI", "OK", "OK"), "Gut");
    EXPECT_EQ(manager_.Lookup("gui", "ok", "OK"), "Gut");
    EXPECT_EQ(manager_.Lookup("GUI", "MinuteInterval", "5 minites Interval"), "5 minites Interval");
    EXPECT_EQ(manager_.Lookup("GUI", "MinuteInterval", "30 minites Interval"),
              "30 minites Interval");
    EXPECT_EQ(manager_.Lookup("PullDownMenu", "Play", "Play(&Y)"), "Play(&Y)");
    EXPECT_EQ(manager_.Lookup("ToolTip", "Play", "Play"), "Abspielen");
}

TEST_F(LanguageLookup, KeyWithTrailingBlankMatchesTheFileKey) {
    Use("[GUI]\nVideoSuper =Sehr fein\n");
    EXPECT_EQ(manager_.Lookup("GUI", "VideoSuper ", "super"), "Sehr fein");
}

TEST_F(LanguageLookup, TextsAreCutTo499Characters) {
    Use("[GUI]\nLong=" + std::string(600, 'x') + "\n");
    EXPECT_EQ(manager_.Lookup("GUI", "Long", ""), std::string(499, 'x'));
    EXPECT_EQ(manager_.Lookup("GUI", "Other", std::string(520, 'd')), std::string(499, 'd'));
}

TEST_F(LanguageLookup, Utf16LanguageFileIsRead) {
    std::string wide = "\xFF\xFE";
    for (const char16_t unit : std::u16string_view(u"[GUI]\r\nMonday=\u6708\r\n")) {
        wide += static_cast<char>(unit & 0xFF);
        wide += static_cast<char>(unit >> 8);
    }
    Use(wide);
    EXPECT_EQ(manager_.Lookup("GUI", "Monday", "Mon"), "\xE6\x9C\x88");
}

TEST_F(LanguageLookup, GarbageLanguageFileGivesDefaults) {
    Use(std::string("\x00\xFF\x13[GUI\x00]\nOK\x80=", 14));
    EXPECT_EQ(manager_.Lookup("GUI", "OK", "OK"), "OK");
}

TEST_F(LanguageLookup, ConcurrentLookupsAgree) {
    Use("[GUI]\nMonday=Montag\n");
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (std::size_t t = 0; t < mismatches.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                if (manager_.Lookup("GUI", "Monday", "Mon") != "Montag" ||
                    manager_.Lookup("GUI", "Friday", "Fri") != "Fri")
                    ++mismatches[t];
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(LangFunction, AnswersFromTheProcessLanguageManager) {
    TempDir dir;
    dir.Write("vedoredulang_jp.ini", "[GUI]\nCheckFile=Fairu\n");
    ViewerConfig config = ConfigWithout(dir);
    LanguageManager().Discover(dir.Path(), config);
    EXPECT_EQ(Lang("GUI", "CheckFile", "Check File"), "Fairu");
    TempDir empty;
    LanguageManager().Discover(empty.Path(), config);
    EXPECT_EQ(Lang("GUI", "CheckFile", "Check File"), "Check File");
}

} // namespace
} // namespace trevix
