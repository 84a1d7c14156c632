#include "app/ViewerConfig.h"

#include "platform/ProfileStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace trevix {
namespace {

using test::ReadFile;
using test::TempDir;

class ViewerConfigTest : public ::testing::Test {
protected:
    ViewerConfigTest() {
        folders_.workingDirectory = dir_.Path() / "install";
        folders_.appDataRoot = dir_.Path() / "config";
        folders_.documents = dir_.Path() / "Documents";
        folders_.home = dir_.Path() / "home";
        std::filesystem::create_directories(folders_.workingDirectory);
        std::filesystem::create_directories(folders_.documents);
    }

    std::filesystem::path Install(std::string_view text) const {
        return dir_.Write("install/vedoredu.ini", text);
    }
    ViewerConfig Make(int country = 49) const {
        return ViewerConfig(folders_, [country] { return country; });
    }

    TempDir dir_;
    UserFolders folders_;
};

TEST_F(ViewerConfigTest, FirstStartSeedsThePerUserCopyLaterWritesGoThere) {
    const std::string installedText = "[GUI]\nVender=1\n[RunParam]\nCurrentModel=23\n";
    const auto installed = Install(installedText);
    ViewerConfig config = Make();
    const auto copy = folders_.appDataRoot / "Marvane" / "RX-2" / "vedoredu.ini";
    ASSERT_EQ(config.SettingsFilePath(), copy);
    EXPECT_EQ(ReadFile(copy), installedText);

    EXPECT_TRUE(config.WriteCurrentModel(24));
    EXPECT_TRUE(config.SetSaveAviFolder("/media/out"));
    EXPECT_EQ(config.ReadCurrentModel(), 24);
    EXPECT_EQ(ReadFile(installed), installedText);

    // The next start keeps the user's copy instead of seeding it again.
    ViewerConfig again = Make();
    again.ReadAll();
    EXPECT_EQ(again.ReadCurrentModel(), 24);
    EXPECT_EQ(again.SaveAviFolder(), "/media/out");
}

TEST_F(ViewerConfigTest, PerUserFolderNamesFollowVenderAndMapType) {
    struct Case {
        int vender, mapType;
        const char *vendorPart, *modelPart;
    };
    for (const Case c :
         {Case{0, 1, "ZVOK", "LM4100G"}, Case{0, 4, "ZVOK", "LM4100N"},
          Case{1, 1, "Marvane", "RX-2"}, Case{1, 2, "Marvane", "RX-2"},
          Case{2, 1, "DriveRecorder", "VK5200G"}, Case{-1, 3, "DriveRecorder", "VK5200N"}}) {
        Install("[GUI]\nVender=" + std::to_string(c.vender) +
                "\n[MAP]\nMapType=" + std::to_string(c.mapType) + "\n");
        const ViewerConfig config = Make();
        EXPECT_EQ(config.PerUserFolder(), folders_.appDataRoot / c.vendorPart / c.modelPart)
            << c.vender << "/" << c.mapType;
        EXPECT_EQ(config.Vender(), c.vender);
        EXPECT_EQ(config.MapType(), c.mapType);
        EXPECT_TRUE(std::filesystem::exists(config.SettingsFilePath()));
    }
}

TEST_F(ViewerConfigTest, MissingInstalledFileGivesDefaultsAndNoCopyUntilAWrite) {
    ViewerConfig config = Make();
    EXPECT_EQ(config.PerUserFolder(), folders_.appDataRoot / "Marvane" / "RX-2");
    EXPECT_FALSE(std::filesystem::exists(config.SettingsFilePath()));
    config.ReadAll();
    EXPECT_EQ(config.Vender(), 1);
    EXPECT_EQ(config.DateDesc(), 0);
    EXPECT_EQ(config.MapType(), 4);
    EXPECT_EQ(config.ForceGDI(), 0);
    EXPECT_EQ(config.DeInterlace(), 99);
    EXPECT_EQ(config.Deblock(), 0);
    EXPECT_EQ(config.ModelName(), "Drive Recorder");
    EXPECT_EQ(config.Pointer(), 1);
    EXPECT_EQ(config.Route(), 1);
    EXPECT_EQ(config.RunGoogleEarth(), 1);
    EXPECT_EQ(config.PointerInterval(), 10);
    EXPECT_EQ(config.LineWidth(), 5);
    EXPECT_EQ(config.LineOpacity(), 100);
    EXPECT_EQ(config.LineColor(), 255);
    EXPECT_EQ(config.ReadCurrentModel(), 21);
    EXPECT_EQ(config.ReadDisplaySpeed(), 0);
    EXPECT_FALSE(std::filesystem::exists(config.SettingsFilePath()));
    EXPECT_TRUE(config.WriteDisplaySpeed(1));
    EXPECT_EQ(ReadFile(config.SettingsFilePath()), "[RunParam]\nDisplaySpeed=1\n");
}

TEST_F(ViewerConfigTest, BeforeTheFullReadOnlyVenderAndMapTypeAreSet) {
    Install("[GUI]\nVender=0\nModelName=X\n[MAP]\nMapType=2\n[SYSTEM]\nDeInterlace=3\n");
    const ViewerConfig config = Make();
    EXPECT_EQ(config.Vender(), 0);
    EXPECT_EQ(config.MapType(), 2);
    EXPECT_EQ(config.DeInterlace(), 99);
    EXPECT_EQ(config.ModelName(), "");
    EXPECT_EQ(config.LanguageFilePath(), "");
}

TEST_F(ViewerConfigTest, FullReadTakesEveryKey) {
    Install("[GUI]\nVender=2\nDateDesc=1\nModelName=RX Cam\n"
            "[MAP]\nMapType=3\n"
            "[SYSTEM]\nForceGDI=1\nDeInterlace=2\nDeblock=1\n"
            "[RunParam]\nCamFlip1=1\nCamFlip4=1\nSaveJpgFolder=/j\nSaveAviFolder=/a\n"
            "BackupFolder=/b\nOpenSDFolder=/media/sd\nSaveLogFolder=/l\n"
            "[KML]\nPointer=0\nRoute=0\nRunGoogleEarth=0\nPointerInterval=30\nLineWidth=9\n"
            "LineOpacity=200\nLineColor=65280\n");
    ViewerConfig config = Make();
    config.ReadAll();
    EXPECT_EQ(config.Vender(), 2);
    EXPECT_EQ(config.DateDesc(), 1);
    EXPECT_EQ(config.MapType(), 3);
    EXPECT_EQ(config.ForceGDI(), 1);
    EXPECT_EQ(config.DeInterlace(), 2);
    EXPECT_EQ(config.Deblock(), 1);
    EXPECT_EQ(config.ModelName(), "RX Cam");
    EXPECT_EQ(config.CamFlip(0), 1);
    EXPECT_EQ(config.CamFlip(1), 0);
    EXPECT_EQ(config.CamFlip(3), 1);
    EXPECT_EQ(config.CamFlip(4), 0);
    EXPECT_EQ(config.SaveJpgFolder(), "/j");
    EXPECT_EQ(config.SaveAviFolder(), "/a");
    EXPECT_EQ(config.BackupFolder(), "/b");
    EXPECT_EQ(config.OpenSDFolder(), "/media/sd");
    EXPECT_EQ(config.SaveLogFolder(), "/l");
    EXPECT_EQ(config.Pointer(), 0);
    EXPECT_EQ(config.Route(), 0);
    EXPECT_EQ(config.RunGoogleEarth(), 0);
    EXPECT_EQ(config.PointerInterval(), 30);
    EXPECT_EQ(config.LineWidth(), 9);
    EXPECT_EQ(config.LineOpacity(), 200);
    EXPECT_EQ(config.LineColor(), 65280);
}

TEST_F(ViewerConfigTest, EmptyFolderKeysBecomeTheDocumentsFolderButOpenSDFolderStaysEmpty) {
    Install("[RunParam]\nSaveAviFolder=\nOpenSDFolder=\n");
    ViewerConfig config = Make();
    config.ReadAll();
    const std::string documents = folders_.documents.string();
    EXPECT_EQ(config.SaveAviFolder(), documents);
    EXPECT_EQ(config.SaveJpgFolder(), documents);
    EXPECT_EQ(config.BackupFolder(), documents);
    EXPECT_EQ(config.SaveLogFolder(), documents);
    EXPECT_EQ(config.OpenSDFolder(), "");
}

TEST_F(ViewerConfigTest, WithoutDocumentsFolderFolderKeysBecomeTheHomeFolder) {
    folders_.documents.clear();
    ViewerConfig config = Make();
    config.ReadAll();
    EXPECT_EQ(config.SaveJpgFolder(), folders_.home.string());
}

TEST_F(ViewerConfigTest, LongValuesAreCutTo260Characters) {
    Install("[GUI]\nModelName=" + std::string(300, 'm') + "\n[RunParam]\nBackupFolder=/" +
            std::string(300, 'b') + "\n");
    ViewerConfig config = Make();
    config.ReadAll();
    EXPECT_EQ(config.ModelName(), std::string(260, 'm'));
    EXPECT_EQ(config.BackupFolder().size(), 260u);
}

TEST_F(ViewerConfigTest, ModelAndSpeedSourceAreReadFromTheFileEachTime) {
    ViewerConfig config = Make();
    config.ReadAll();
    const ProfileStore file(config.SettingsFilePath());
    ASSERT_TRUE(file.Write("RunParam", "CurrentModel", "22"));
    ASSERT_TRUE(file.Write("RunParam", "DisplaySpeed", "1"));
    EXPECT_EQ(config.ReadCurrentModel(), 22);
    EXPECT_EQ(config.ReadDisplaySpeed(), 1);
    ASSERT_TRUE(config.WriteCurrentModel(20));
    EXPECT_EQ(file.ReadString("RunParam", "CurrentModel", ""), "20");
}

TEST_F(ViewerConfigTest, CamFlipWriterUsesTheChannelNumberPlusOne) {
    ViewerConfig config = Make();
    ASSERT_TRUE(config.WriteCamFlip(2, 1));
    EXPECT_EQ(ProfileStore(config.SettingsFilePath()).ReadString("RunParam", "CamFlip3", ""), "1");
    EXPECT_EQ(config.CamFlip(2), 0); // the caller sets the in-memory entry
    config.SetCamFlip(2, 1);
    EXPECT_EQ(config.CamFlip(2), 1);
    EXPECT_FALSE(config.WriteCamFlip(4, 1));
}

TEST_F(ViewerConfigTest, FolderAndKmlSettersWriteAtOnce) {
    ViewerConfig config = Make();
    EXPECT_TRUE(config.SetSaveJpgFolder("/p/jpg"));
    EXPECT_TRUE(config.SetBackupFolder("/p/backup"));
    EXPECT_TRUE(config.SetSaveLogFolder("/p/log"));
    EXPECT_TRUE(config.SetLineColor(16711680));
    EXPECT_TRUE(config.SetPointerInterval(5));
    ViewerConfig reread = Make();
    reread.ReadAll();
    EXPECT_EQ(reread.SaveJpgFolder(), "/p/jpg");
    EXPECT_EQ(reread.BackupFolder(), "/p/backup");
    EXPECT_EQ(reread.SaveLogFolder(), "/p/log");
    EXPECT_EQ(reread.LineColor(), 16711680);
    EXPECT_EQ(reread.PointerInterval(), 5);
}

TEST_F(ViewerConfigTest, FailedWriteStillChangesTheValueInMemory) {
    ViewerConfig config = Make();
    // The settings file is a folder: every write fails.
    std::filesystem::create_directories(config.SettingsFilePath());
    EXPECT_FALSE(config.SetSaveAviFolder("/media/avi"));
    EXPECT_EQ(config.SaveAviFolder(), "/media/avi");
    EXPECT_FALSE(config.SetLineWidth(7));
    EXPECT_EQ(config.LineWidth(), 7);
    EXPECT_FALSE(config.WriteCurrentModel(22));
    EXPECT_EQ(config.ReadCurrentModel(), 21);
}

TEST_F(ViewerConfigTest, UnusableApplicationDataFolderFallsBackToTheInstalledFile) {
    const auto installed = Install("[GUI]\nVender=0\n");
    for (const auto& root : {dir_.Write("plainfile", "x"), std::filesystem::path{}}) {
        folders_.appDataRoot = root;
        ViewerConfig config = Make();
        EXPECT_TRUE(config.PerUserFolder().empty());
        EXPECT_EQ(config.SettingsFilePath(), installed);
        EXPECT_TRUE(config.WriteCurrentModel(23));
        EXPECT_EQ(ProfileStore(installed).ReadInt("RunParam", "CurrentModel", 0), 23);
    }
    // The vendor part exists as a file: the per-user folder cannot be made either.
    folders_.appDataRoot = dir_.Path() / "config2";
    dir_.Write("config2/ZVOK", "x");
    EXPECT_EQ(Make().SettingsFilePath(), installed);
}

TEST_F(ViewerConfigTest, GarbageOrWideSettingsFilesNeverBreakConstruction) {
    Install(std::string("\xFF\xD8\x00\x01[GUI\n=\n\x80\x81Vender=\xFF", 22));
    ViewerConfig garbage = Make();
    garbage.ReadAll();
    EXPECT_EQ(garbage.Vender(), 1);
    EXPECT_EQ(garbage.ReadCurrentModel(), 21);

    std::string wide = "\xFF\xFE";
    for (const char c : std::string_view("[GUI]\r\nVender=0\r\n[MAP]\r\nMapType=1\r\n")) {
        wide += c;
        wide += '\0';
    }
    Install(wide);
    const ViewerConfig config = Make();
    EXPECT_EQ(config.PerUserFolder(), folders_.appDataRoot / "ZVOK" / "LM4100G");
}

TEST_F(ViewerConfigTest, VideoStandardFromCountryCodeIsComputedOnce) {
    int calls = 0;
    ViewerConfig config(folders_, [&calls] {
        ++calls;
        return 81;
    });
    EXPECT_EQ(config.VideoStandard(), kVideoStandardNtsc);
    EXPECT_EQ(config.VideoStandard(), kVideoStandardNtsc);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Make(49).VideoStandard(), kVideoStandardPal);
    for (const int code : {1, 2, 51, 52, 56, 57, 58, 63, 81, 82, 84, 502, 506, 886})
        EXPECT_EQ(VideoStandardForCountry(code), kVideoStandardNtsc) << code;
    for (const int code : {0, 3, 44, 49, 86, 503, 887})
        EXPECT_EQ(VideoStandardForCountry(code), kVideoStandardPal) << code;
}

TEST_F(ViewerConfigTest, ScriptRestrictionComesFromTheSettingAndIsClearedEachCheck) {
    ViewerConfig config = Make();
    EXPECT_FALSE(config.IsScriptingRestricted());
    ProfileStore file(config.SettingsFilePath());
    ASSERT_TRUE(file.Write("MAP", "ScriptsDisabled", "3"));
    EXPECT_TRUE(config.IsScriptingRestricted());
    EXPECT_TRUE(config.ScriptRestriction());
    ASSERT_TRUE(file.Write("MAP", "ScriptsDisabled", "0"));
    EXPECT_FALSE(config.IsScriptingRestricted());
    EXPECT_FALSE(config.ScriptRestriction());
}

TEST_F(ViewerConfigTest, FolderIsWritableProbesWithoutTouchingExistingFiles) {
    EXPECT_TRUE(ViewerConfig::FolderIsWritable(folders_.documents));
    EXPECT_FALSE(std::filesystem::exists(folders_.documents / "test.dat"));

    dir_.Write("Documents/test.dat", "keep me");
    EXPECT_TRUE(ViewerConfig::FolderIsWritable(folders_.documents));
    EXPECT_EQ(ReadFile(folders_.documents / "test.dat"), "keep me");

    EXPECT_FALSE(ViewerConfig::FolderIsWritable(dir_.Path() / "missing"));
    EXPECT_FALSE(ViewerConfig::FolderIsWritable(dir_.Write("file", "x")));
}

TEST_F(ViewerConfigTest, PathExistsTakesPathsAndPatterns) {
    dir_.Write("Documents/a.kml", "x");
    EXPECT_TRUE(ViewerConfig::PathExists(folders_.documents));
    EXPECT_TRUE(ViewerConfig::PathExists(folders_.documents / "a.kml"));
    EXPECT_TRUE(ViewerConfig::PathExists(folders_.documents / "*.kml"));
    EXPECT_FALSE(ViewerConfig::PathExists(folders_.documents / "*.avi"));
    EXPECT_FALSE(ViewerConfig::PathExists(folders_.documents / "b.kml"));
    EXPECT_FALSE(ViewerConfig::PathExists(dir_.Path() / "missing" / "*"));
    EXPECT_FALSE(ViewerConfig::PathExists(""));
}

} // namespace
} // namespace trevix
