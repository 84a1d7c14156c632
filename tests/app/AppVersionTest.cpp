#include "app/AppVersion.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace trevix {
namespace {

using test::TempDir;

TEST(RecorderVersion, ReadFromTheCardsConfigFolder) {
    TempDir card;
    EXPECT_EQ(ReadRecorderVersion(""), "");
    EXPECT_EQ(ReadRecorderVersion(card.Str()), ""); // no config folder
    // The card's file system does not distinguish case: any spelling is found.
    card.Write("CONFIG/Version.INI", "[info]\r\nversion=RX21_V1.04.08\r\n");
    EXPECT_EQ(ReadRecorderVersion(card.Str()), "RX21_V1.04.08");

    TempDir other;
    other.Write("config/version.ini", "[INFO]\nMODEL=x\n");
    EXPECT_EQ(ReadRecorderVersion(other.Str()), ""); // key missing
    TempDir longVersion;
    longVersion.Write("config/version.ini", "[INFO]\nVERSION=" + std::string(1000, 'v') + "\n");
    EXPECT_EQ(ReadRecorderVersion(longVersion.Str()).size(), 259u);
}

TEST(ViewerVersion, FourNumbersOrTheFallback) {
    EXPECT_EQ(ViewerVersionText("1.0.0"), "1.0.0.0");
    EXPECT_EQ(ViewerVersionText("2.3.4.5"), "2.3.4.5");
    EXPECT_EQ(ViewerVersionText("7"), "7.0.0.0");
    EXPECT_EQ(ViewerVersionText(""), "1.0");
    EXPECT_EQ(ViewerVersionText("1.x"), "1.0");
    EXPECT_EQ(ViewerVersionText("1..2"), "1.0");
    EXPECT_EQ(ViewerVersionText("1.2."), "1.0");
    EXPECT_EQ(ViewerVersionText("1.2.3.4.5"), "1.0");
    EXPECT_EQ(ViewerVersionText("65536.0"), "1.0"); // beyond 16 bits
    EXPECT_EQ(ViewerVersionText("-1.0"), "1.0");
}

TEST(AboutTexts, LinesFromTheirParts) {
    AboutInputs inputs;
    inputs.appName = "Trevix";
    inputs.modelName = "Drive Recorder";
    inputs.viewerVersion = "1.0";
    inputs.vendor = 2;
    const AboutTexts neutral = BuildAboutTexts(inputs);
    EXPECT_EQ(neutral.title, "Trevix Information");
    EXPECT_EQ(neutral.modelLine, "Drive Recorder");
    EXPECT_EQ(neutral.recorderLine, "Recoder Version : "); // no card chosen
    EXPECT_EQ(neutral.viewerLine, "Trevix Viewer Version : 1.0");
    EXPECT_EQ(neutral.vendorLine, "");
    EXPECT_EQ(neutral.ok, "OK");

    inputs.vendor = 1;
    inputs.recorderVersion = "RX21_V1.04.08";
    const AboutTexts vendor1 = BuildAboutTexts(inputs);
    EXPECT_EQ(vendor1.recorderLine, "Recoder Version : RX21_V1.04.08");
    EXPECT_NE(vendor1.vendorLine.find("Marvane"), std::string::npos);
    EXPECT_NE(vendor1.vendorLine.find(std::to_string(kVendorNoticeYear)), std::string::npos);
    inputs.vendor = 0;
    EXPECT_NE(BuildAboutTexts(inputs).vendorLine.find("Z-VOK"), std::string::npos);
    inputs.vendor = 999;
    EXPECT_EQ(BuildAboutTexts(inputs).vendorLine, "");
}

} // namespace
} // namespace trevix
