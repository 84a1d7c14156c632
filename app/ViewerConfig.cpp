#include "app/ViewerConfig.h"

#include "platform/ProfileStore.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fnmatch.h>
#include <fstream>
#include <iterator>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

namespace trevix {
namespace {

constexpr std::size_t kMaxPathChars = 261; // 260 characters and the terminator

constexpr std::string_view kGui = "GUI";
constexpr std::string_view kMap = "MAP";
constexpr std::string_view kSystem = "SYSTEM";
constexpr std::string_view kRunParam = "RunParam";
constexpr std::string_view kKml = "KML";

// Copies the installed file to target through a temporary file, so an interrupted copy never
// leaves a half file that would stop the next start from seeding again.
void SeedCopy(const std::filesystem::path& installed, const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(installed, error))
        return;
    const auto size = std::filesystem::file_size(installed, error);
    if (error || size > ProfileStore::kMaxFileBytes)
        return;
    std::ifstream in(installed, std::ios::binary);
    if (!in)
        return;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return;
    ReplaceFileAtomically(target, bytes);
}

bool CanOpenForReading(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        return false;
    return std::ifstream(file, std::ios::binary).is_open();
}

bool HasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

} // namespace

int LocaleCountryCode() {
    // The environment's locale, independent of what the process passed to setlocale.
    const locale_t locale = ::newlocale(LC_TELEPHONE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return 0;
    const char* prefix = ::nl_langinfo_l(_NL_TELEPHONE_INT_PREFIX, locale);
    const int code = prefix != nullptr ? ParseProfileInt(prefix) : 0;
    ::freelocale(locale);
    return code;
}

int VideoStandardForCountry(int countryCode) {
    static constexpr std::array<int, 14> kNtscCountries = {1,  2,  51, 52, 56,  57,  58,
                                                           63, 81, 82, 84, 502, 506, 886};
    return std::find(kNtscCountries.begin(), kNtscCountries.end(), countryCode) !=
                   kNtscCountries.end()
               ? kVideoStandardNtsc
               : kVideoStandardPal;
}

std::string_view VendorFolderName(int vender) {
    switch (vender) {
    case 1:
        return "Marvane";
    case 0:
        return "ZVOK";
    default:
        return "DriveRecorder";
    }
}

std::string_view ModelFolderName(int vender, int mapType) {
    const bool gModel = mapType == 1;
    switch (vender) {
    case 1:
        return "RX-2";
    case 0:
        return gModel ? "LM4100G" : "LM4100N";
    default:
        return gModel ? "VK5200G" : "VK5200N";
    }
}

ViewerConfig::ViewerConfig(UserFolders folders, std::function<int()> countryCode)
    : folders_(std::move(folders)), countryCode_(std::move(countryCode)) {
    if (!countryCode_)
        countryCode_ = LocaleCountryCode;

    const ProfileStore installed(InstalledFilePath());
    vender_ = installed.ReadInt(kGui, "Vender", 1);
    mapType_ = installed.ReadInt(kMap, "MapType", 4);

    std::error_code error;
    if (folders_.appDataRoot.empty())
        return;
    std::filesystem::create_directories(folders_.appDataRoot, error);
    if (!std::filesystem::is_directory(folders_.appDataRoot, error))
        return;
    const std::filesystem::path folder =
        folders_.appDataRoot / VendorFolderName(vender_) / ModelFolderName(vender_, mapType_);
    std::filesystem::create_directories(folder, error);
    // A per-user folder that cannot be made would swallow every setting; use the installed
    // file instead, as when there is no application-data folder at all.
    if (!std::filesystem::is_directory(folder, error))
        return;
    perUserFolder_ = folder;

    const std::filesystem::path copy = perUserFolder_ / kFileName;
    if (!CanOpenForReading(copy))
        SeedCopy(InstalledFilePath(), copy);
}

std::filesystem::path ViewerConfig::InstalledFilePath() const {
    return folders_.workingDirectory / kFileName;
}

std::filesystem::path ViewerConfig::SettingsFilePath() const {
    return perUserFolder_.empty() ? InstalledFilePath() : perUserFolder_ / kFileName;
}

std::filesystem::path ViewerConfig::DefaultFolder() const {
    if (!folders_.documents.empty())
        return folders_.documents;
    return folders_.home.empty() ? std::filesystem::path("/") : folders_.home;
}

void ViewerConfig::ReadAll() {
    const ProfileDocument file = ProfileStore(SettingsFilePath()).Load();
    const auto readInt = [&file](std::string_view section, std::string_view key, int fallback) {
        const auto value = file.Value(section, key);
        return value && !value->empty() ? ParseProfileInt(*value) : fallback;
    };
    const auto readString = [&file](std::string_view section, std::string_view key,
                                    std::string_view fallback) {
        const auto value = file.Value(section, key);
        return CutToBuffer(value ? *value : std::string(fallback), kMaxPathChars);
    };
    const auto readFolder = [&](std::string_view key, bool useDefault) {
        std::string value = readString(kRunParam, key, "");
        if (value.empty() && useDefault)
            value = DefaultFolder().string();
        return value;
    };

    vender_ = readInt(kGui, "Vender", 1);
    dateDesc_ = readInt(kGui, "DateDesc", 0);
    mapType_ = readInt(kMap, "MapType", 4);
    forceGdi_ = readInt(kSystem, "ForceGDI", 0);
    deInterlace_ = readInt(kSystem, "DeInterlace", 99);
    deblock_ = readInt(kSystem, "Deblock", 0);
    for (int channel = 0; channel < kChannels; ++channel)
        camFlip_[static_cast<std::size_t>(channel)] =
            readInt(kRunParam, "CamFlip" + std::to_string(channel + 1), 0);
    modelName_ = readString(kGui, "ModelName", "Drive Recorder");
    saveJpgFolder_ = readFolder("SaveJpgFolder", true);
    saveAviFolder_ = readFolder("SaveAviFolder", true);
    backupFolder_ = readFolder("BackupFolder", true);
    openSdFolder_ = readFolder("OpenSDFolder", false);
    saveLogFolder_ = readFolder("SaveLogFolder", true);
    pointer_ = readInt(kKml, "Pointer", 1);
    route_ = readInt(kKml, "Route", 1);
    runGoogleEarth_ = readInt(kKml, "RunGoogleEarth", 1);
    pointerInterval_ = readInt(kKml, "PointerInterval", 10);
    lineWidth_ = readInt(kKml, "LineWidth", 5);
    lineOpacity_ = readInt(kKml, "LineOpacity", 100);
    lineColor_ = readInt(kKml, "LineColor", 255);
    VideoStandard();
}

int ViewerConfig::CamFlip(int channel) const {
    if (channel < 0 || channel >= kChannels)
        return 0;
    return camFlip_[static_cast<std::size_t>(channel)];
}

void ViewerConfig::SetCamFlip(int channel, int value) {
    if (channel >= 0 && channel < kChannels)
        camFlip_[static_cast<std::size_t>(channel)] = value;
}

bool ViewerConfig::WriteCamFlip(int channel, int value) const {
    if (channel < 0 || channel >= kChannels)
        return false;
    return ProfileStore(SettingsFilePath())
        .WriteInt(kRunParam, "CamFlip" + std::to_string(channel + 1), value);
}

int ViewerConfig::ReadCurrentModel() const {
    return ProfileStore(SettingsFilePath()).ReadInt(kRunParam, "CurrentModel", kDefaultModel);
}

bool ViewerConfig::WriteCurrentModel(int model) const {
    return ProfileStore(SettingsFilePath()).WriteInt(kRunParam, "CurrentModel", model);
}

int ViewerConfig::ReadDisplaySpeed() const {
    return ProfileStore(SettingsFilePath()).ReadInt(kRunParam, "DisplaySpeed", 0);
}

bool ViewerConfig::WriteDisplaySpeed(int source) const {
    return ProfileStore(SettingsFilePath()).WriteInt(kRunParam, "DisplaySpeed", source);
}

bool ViewerConfig::WriteFolderKey(std::string_view key, std::string& member, std::string folder) {
    member = std::move(folder);
    return ProfileStore(SettingsFilePath()).Write(kRunParam, key, member);
}

bool ViewerConfig::SetSaveJpgFolder(std::string folder) {
    return WriteFolderKey("SaveJpgFolder", saveJpgFolder_, std::move(folder));
}
bool ViewerConfig::SetSaveAviFolder(std::string folder) {
    return WriteFolderKey("SaveAviFolder", saveAviFolder_, std::move(folder));
}
bool ViewerConfig::SetBackupFolder(std::string folder) {
    return WriteFolderKey("BackupFolder", backupFolder_, std::move(folder));
}
bool ViewerConfig::SetSaveLogFolder(std::string folder) {
    return WriteFolderKey("SaveLogFolder", saveLogFolder_, std::move(folder));
}

bool ViewerConfig::WriteIntKey(std::string_view section, std::string_view key, int& member,
                               int value) {
    member = value;
    return ProfileStore(SettingsFilePath()).WriteInt(section, key, value);
}

bool ViewerConfig::SetPointer(int value) {
    return WriteIntKey(kKml, "Pointer", pointer_, value);
}
bool ViewerConfig::SetRoute(int value) {
    return WriteIntKey(kKml, "Route", route_, value);
}
bool ViewerConfig::SetRunGoogleEarth(int value) {
    return WriteIntKey(kKml, "RunGoogleEarth", runGoogleEarth_, value);
}
bool ViewerConfig::SetPointerInterval(int value) {
    return WriteIntKey(kKml, "PointerInterval", pointerInterval_, value);
}
bool ViewerConfig::SetLineWidth(int value) {
    return WriteIntKey(kKml, "LineWidth", lineWidth_, value);
}
bool ViewerConfig::SetLineOpacity(int value) {
    return WriteIntKey(kKml, "LineOpacity", lineOpacity_, value);
}
bool ViewerConfig::SetLineColor(int value) {
    return WriteIntKey(kKml, "LineColor", lineColor_, value);
}

int ViewerConfig::VideoStandard() {
    if (videoStandard_ == 0)
        videoStandard_ = VideoStandardForCountry(countryCode_());
    return videoStandard_;
}

bool ViewerConfig::IsScriptingRestricted() {
    scriptRestricted_ = false;
    if (ProfileStore(SettingsFilePath()).ReadInt(kMap, "ScriptsDisabled", 0) != 0)
        scriptRestricted_ = true;
    return scriptRestricted_;
}

bool ViewerConfig::FolderIsWritable(const std::filesystem::path& folder) {
    // Try test.dat first; when a file of that name already exists, a fresh name is used so
    // that the user's file is never truncated or removed.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string name =
            attempt == 0 ? std::string("test.dat")
                         : "test.dat." + std::to_string(::getpid()) + "." + std::to_string(attempt);
        const std::filesystem::path probe = folder / name;
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool ViewerConfig::PathExists(const std::filesystem::path& pathOrPattern) {
    std::error_code error;
    const std::string name = pathOrPattern.filename().string();
    if (!HasWildcard(name))
        return !pathOrPattern.empty() &&
               std::filesystem::exists(std::filesystem::symlink_status(pathOrPattern, error));
    const std::filesystem::path folder =
        pathOrPattern.parent_path().empty() ? "." : pathOrPattern.parent_path();
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        if (::fnmatch(name.c_str(), it->path().filename().c_str(), 0) == 0)
            return true;
    return false;
}

ViewerConfig& AppConfig() {
    static ViewerConfig config(CurrentUserFolders());
    return config;
}

} // namespace trevix
