// Keeps the English language template complete: every key of the four sections is there, and
// every literal lookup in the sources names a key the template holds.
#include "platform/ProfileStore.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace trevix {
namespace {

const std::filesystem::path kSourceDir = TREVIX_SOURCE_DIR;

ProfileDocument Template() {
    return ProfileStore(kSourceDir / "res/lang/vedoredulang_en.ini").Load();
}

std::set<std::string> KeySet(const ProfileDocument& document, std::string_view section) {
    const std::vector<std::string> keys = document.Keys(section);
    return {keys.begin(), keys.end()};
}

TEST(LanguageTemplate, HoldsEveryKeyOfTheFourSections) {
    const ProfileDocument document = Template();
    ASSERT_EQ(document.Sections(),
              (std::vector<std::string>{"GUI", "Message", "PullDownMenu", "ToolTip"}));
    // The base lists (237, 54, 49 and 36 keys) plus the keys that further call sites use:
    // GUI 7 (CarPulse, CarSignal, Converting, DelFiles, LogFileLoadCaption, LogInfoSpeedGps,
    // NormalFileLoad), Message 9 (with CheckFile of the skin's missing-item message),
    // PullDownMenu 5.
    EXPECT_EQ(document.Keys("GUI").size(), 237u + 7u);
    EXPECT_EQ(document.Keys("Message").size(), 54u + 9u);
    EXPECT_EQ(document.Keys("PullDownMenu").size(), 49u + 5u);
    EXPECT_EQ(document.Keys("ToolTip").size(), 36u);
}

TEST(LanguageTemplate, SpotChecksOfDefaults) {
    const ProfileDocument document = Template();
    EXPECT_EQ(document.Value("GUI", "Monday"), "Mon");
    EXPECT_EQ(document.Value("GUI", "RDExtAccel"), "Sudden Accel/Brake");
    EXPECT_EQ(document.Value("GUI", "FrontView"), "Front");
    EXPECT_EQ(document.Value("ToolTip", "FrontView"), "Front View");
    EXPECT_EQ(document.Value("GUI", "MinuteInterval"), "5 minites Interval");
    EXPECT_EQ(document.Value("GUI", "VideoSuper "), "super");
    EXPECT_EQ(document.Value("PullDownMenu", "ToolModelRX110"), "RX-110(&0)");
    EXPECT_EQ(document.Value("Message", "FolderNotAuthority"),
              "You don't have access to this folder.");
    // The key keeps its trailing blank in the file.
    const std::string text = test::ReadFile(kSourceDir / "res/lang/vedoredulang_en.ini");
    EXPECT_NE(text.find("\nVideoSuper =super\n"), std::string::npos);
}

// Literal lookups Lang("Section", "Key", ...) in one source text.
std::vector<std::pair<std::string, std::string>> LiteralLookups(const std::string& source) {
    static const std::regex call(R"re((?:^|[^\w])Lang\(\s*"([^"]*)"\s*,\s*"([^"]*)")re");
    std::vector<std::pair<std::string, std::string>> lookups;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), call);
         it != std::sregex_iterator(); ++it)
        lookups.emplace_back((*it)[1].str(), (*it)[2].str());
    return lookups;
}

TEST(LanguageTemplate, LookupScannerFindsLiteralCalls) {
    const auto lookups = LiteralLookups("x = Lang(\"GUI\", \"OK\", \"OK\");\n"
                                        "y = trevix::Lang(\n    \"ToolTip\",\n \"Play\", d);\n"
                                        "z = MultiLang(\"GUI\", \"Other\", \"\");");
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(lookups[0], (std::pair<std::string, std::string>{"GUI", "OK"}));
    EXPECT_EQ(lookups[1], (std::pair<std::string, std::string>{"ToolTip", "Play"}));
}

TEST(LanguageTemplate, EveryLookupInTheSourcesNamesATemplateKey) {
    const ProfileDocument document = Template();
    std::map<std::string, std::set<std::string>> keys;
    for (const std::string& section : document.Sections())
        keys[section] = KeySet(document, section);

    std::vector<std::string> missing;
    std::error_code error;
    auto it = std::filesystem::recursive_directory_iterator(kSourceDir, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_directory()) {
            // Build output, version control and tests (which look up made-up keys on purpose).
            if (name.starts_with("build") || name.starts_with(".") || name == "tests")
                it.disable_recursion_pending();
            continue;
        }
        const std::string extension = it->path().extension().string();
        if (extension != ".cpp" && extension != ".h")
            continue;
        for (const auto& [section, key] : LiteralLookups(test::ReadFile(it->path()))) {
            // Keys match without regard to case and surrounding blanks, as the lookup does.
            const auto& known = keys[section];
            std::string trimmed = key;
            trimmed.erase(trimmed.find_last_not_of(' ') + 1);
            const bool found = std::any_of(known.begin(), known.end(), [&](const std::string& k) {
                return k.size() == trimmed.size() &&
                       std::equal(k.begin(), k.end(), trimmed.begin(), [](char a, char b) {
                           return std::tolower(static_cast<unsigned char>(a)) ==
                                  std::tolower(static_cast<unsigned char>(b));
                       });
            });
            if (!found)
                missing.push_back(std::filesystem::relative(it->path(), kSourceDir).string() +
                                  ": " + section + " / " + key);
        }
    }
    EXPECT_FALSE(error) << error.message();
    EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

} // namespace
} // namespace trevix
