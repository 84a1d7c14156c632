// The viewer's own settings, kept in the profile file vedoredu.ini. An installed copy lies in the
// working directory and seeds a per-user copy under the application-data folder
// (<root>/<vendor part>/<model part>/vedoredu.ini); every read and write after construction
// goes to the per-user copy when there is one.
//
// Sections and keys:
//   [GUI]      Vender (1), DateDesc (0), ModelName ("Drive Recorder")
//   [MAP]      MapType (4), ScriptsDisabled (0: non-zero turns the map page's scripts off; the
//              map manager asks IsScriptingRestricted before it uses the map)
//   [SYSTEM]   ForceGDI (0), DeInterlace (99), Deblock (0)
//   [RunParam] CamFlip1..4 (0), CurrentModel (21), DisplaySpeed (0), SaveJpgFolder,
//              SaveAviFolder, BackupFolder, SaveLogFolder (documents folder), OpenSDFolder ("")
//   [KML]      Pointer (1), Route (1), RunGoogleEarth (1), PointerInterval (10), LineWidth (5),
//              LineOpacity (100), LineColor (255)
#pragma once

#include "platform/UserFolders.h"

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace trevix {

// The user's country code: the international telephone prefix of the environment's
// LC_TELEPHONE locale (1 for the United States, 81 for Japan); 0 when it is not known.
int LocaleCountryCode();

// Video standards as the card initialisation and the settings dialogs use them.
inline constexpr int kVideoStandardNtsc = 1;
inline constexpr int kVideoStandardPal = 2;

// 1 (NTSC) for the countries that use it, 2 (PAL) for every other code.
int VideoStandardForCountry(int countryCode);

// Per-user folder names chosen by Vender and MapType.
std::string_view VendorFolderName(int vender);
std::string_view ModelFolderName(int vender, int mapType);

class ViewerConfig {
public:
    static constexpr std::string_view kFileName = "vedoredu.ini";
    static constexpr int kDefaultModel = 21;
    static constexpr int kChannels = 4;

    // Reads Vender and MapType from the installed file in folders.workingDirectory, creates the
    // per-user folder and seeds its vedoredu.ini from the installed file when the per-user copy
    // cannot be read. Never throws; missing or broken files give defaults. countryCode gives
    // the user's country code for the video standard (LocaleCountryCode by default).
    explicit ViewerConfig(UserFolders folders, std::function<int()> countryCode = {});

    // Reads every setting from the settings file; empty folder keys (but OpenSDFolder) become
    // the documents folder, or the home folder when there is none. Computes the video standard.
    void ReadAll();

    // The per-user vedoredu.ini when there is a per-user folder, else the installed one.
    std::filesystem::path SettingsFilePath() const;
    std::filesystem::path InstalledFilePath() const;
    // Empty when no per-user application-data folder could be created.
    const std::filesystem::path& PerUserFolder() const { return perUserFolder_; }
    // The folder that empty folder keys take: documents, else home.
    std::filesystem::path DefaultFolder() const;

    // The active language file (set by the language manager); empty when none.
    const std::string& LanguageFilePath() const { return languageFilePath_; }
    void SetLanguageFilePath(std::string path) { languageFilePath_ = std::move(path); }

    int Vender() const { return vender_; }
    int DateDesc() const { return dateDesc_; }
    int MapType() const { return mapType_; }
    int ForceGDI() const { return forceGdi_; }
    int Deblock() const { return deblock_; }
    int DeInterlace() const { return deInterlace_; }
    const std::string& ModelName() const { return modelName_; }

    // channel 0..3; other channels read 0 and are not stored or written.
    int CamFlip(int channel) const;
    void SetCamFlip(int channel, int value);
    // Writes CamFlip<channel + 1> (the in-memory entry is set by the caller).
    bool WriteCamFlip(int channel, int value) const;

    // Always read from and written to the file.
    int ReadCurrentModel() const;
    bool WriteCurrentModel(int model) const;
    int ReadDisplaySpeed() const;
    bool WriteDisplaySpeed(int source) const;

    const std::string& SaveJpgFolder() const { return saveJpgFolder_; }
    const std::string& SaveAviFolder() const { return saveAviFolder_; }
    const std::string& BackupFolder() const { return backupFolder_; }
    const std::string& OpenSDFolder() const { return openSdFolder_; }
    const std::string& SaveLogFolder() const { return saveLogFolder_; }
    // Store the folder and write its key at once; the stored value changes even when the
    // write fails (the result says whether it reached the file).
    bool SetSaveJpgFolder(std::string folder);
    bool SetSaveAviFolder(std::string folder);
    bool SetBackupFolder(std::string folder);
    bool SetSaveLogFolder(std::string folder);

    // KML export settings; each setter stores the value and writes it at once.
    int Pointer() const { return pointer_; }
    int Route() const { return route_; }
    int RunGoogleEarth() const { return runGoogleEarth_; }
    int PointerInterval() const { return pointerInterval_; }
    int LineWidth() const { return lineWidth_; }
    int LineOpacity() const { return lineOpacity_; }
    int LineColor() const { return lineColor_; }
    bool SetPointer(int value);
    bool SetRoute(int value);
    bool SetRunGoogleEarth(int value);
    bool SetPointerInterval(int value);
    bool SetLineWidth(int value);
    bool SetLineOpacity(int value);
    bool SetLineColor(int value);

    // 1 (NTSC) or 2 (PAL) from the user's country code, computed once.
    int VideoStandard();

    // Clears the remembered restriction, then reads [MAP] ScriptsDisabled from the settings
    // file: non-zero sets it and gives true.
    bool IsScriptingRestricted();
    bool ScriptRestriction() const { return scriptRestricted_; }

    // A file can be created in folder (and is removed again); an existing test.dat is never
    // touched.
    static bool FolderIsWritable(const std::filesystem::path& folder);
    // Something exists at path; '*' and '?' in the last component match like a file search.
    static bool PathExists(const std::filesystem::path& pathOrPattern);

private:
    bool WriteFolderKey(std::string_view key, std::string& member, std::string folder);
    bool WriteIntKey(std::string_view section, std::string_view key, int& member, int value);

    // Member order follows the settings they hold; the language file path comes first.
    std::string languageFilePath_;
    int vender_ = 1;
    int dateDesc_ = 0;
    int mapType_ = 1;
    int videoStandard_ = 0;
    int forceGdi_ = 0;
    int deblock_ = 0;
    int deInterlace_ = 99;
    std::array<int, kChannels> camFlip_{};
    std::string modelName_;
    std::string saveJpgFolder_;
    std::string saveAviFolder_;
    std::string backupFolder_;
    std::string openSdFolder_;
    std::string saveLogFolder_;
    int pointer_ = 1;
    int route_ = 1;
    int runGoogleEarth_ = 1;
    int pointerInterval_ = 10;
    int lineWidth_ = 5;
    int lineOpacity_ = 100;
    int lineColor_ = 255;
    std::filesystem::path perUserFolder_;
    bool scriptRestricted_ = false;

    UserFolders folders_;
    std::function<int()> countryCode_;
};

// The process's configuration, built on first use from the current user's folders. The
// application object hands out the same instance.
ViewerConfig& AppConfig();

} // namespace trevix
