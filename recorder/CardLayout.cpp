#include "recorder/CardLayout.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace trevix {
namespace {

std::string ChannelFolderName(int channelNumber) {
    return "ch" + std::to_string(channelNumber);
}

CardPattern PatternIn(std::string folder, std::string_view suffix) {
    return CardPattern{std::move(folder), {}, std::string(suffix)};
}

// The first regular file of pattern in name order.
std::optional<std::string> FirstFileByName(const CardPattern& pattern) {
    std::vector<CardEntry> entries = FindCardEntries(pattern);
    SortByName(entries);
    for (const CardEntry& entry : entries)
        if (!entry.isDirectory)
            return entry.path;
    return std::nullopt;
}

// A video path split as root/chK/kind/file.
struct ChannelFileParts {
    std::string_view root, kind, file;
};

std::optional<ChannelFileParts> SplitChannelFile(std::string_view path) {
    const std::string_view file = NameOfPath(path);
    const std::string_view kindFolder = ParentOfPath(path);
    const std::string_view channelFolder = ParentOfPath(kindFolder);
    if (file.empty() || kindFolder.empty() || channelFolder.empty() || kindFolder == "/" ||
        channelFolder == "/")
        return std::nullopt;
    const std::string_view channelName = NameOfPath(channelFolder);
    if (channelName.size() != 3 || !StartsWithNoCase(channelName, "ch") || channelName[2] < '0' ||
        channelName[2] > '9')
        return std::nullopt;
    return ChannelFileParts{ParentOfPath(channelFolder), NameOfPath(kindFolder), file};
}

// Replaces the last character of an extension keeping its case ("vdd" <-> "vdx").
std::string WithLastCharacter(std::string_view path, char lower) {
    std::string result(path);
    const char last = result.back();
    result.back() = last >= 'A' && last <= 'Z' ? static_cast<char>(lower - 'a' + 'A') : lower;
    return result;
}

// candidate as spelled on disk when it exists there, else candidate itself.
std::string SpellingOnDisk(const std::string& candidate) {
    if (auto found = FindEntryNoCase(ParentOfPath(candidate), NameOfPath(candidate)))
        return *found;
    return candidate;
}

constexpr std::array<std::string_view, 8> kRecordingExtensions = {
    kVideoDataExt,  kVideoIndexExt, kEventMarkerExt, kAudioDataExt,
    kAudioIndexExt, kMemoAudioExt,  kMemoPictureExt, kLogExt};

} // namespace

int ChannelCountOfModel(int modelCode) {
    return modelCode == kModelThreeChannel ? 3 : 4;
}

bool UsesSingleMemoFolder(int modelCode) {
    return modelCode == kModelThreeChannel;
}

std::string RecorderRoot(std::string_view pickedPath) {
    std::string_view root = pickedPath;
    while (root.size() > 1 && root.back() == '/')
        root.remove_suffix(1);
    return std::string(root);
}

std::string_view RecorderFolderName(RecorderFolder folder) {
    switch (folder) {
    case RecorderFolder::Ch1Event:
        return "ch1/event";
    case RecorderFolder::Ch1Normal:
        return "ch1/normal";
    case RecorderFolder::Log:
        return "log";
    case RecorderFolder::Audio:
        return "audio";
    case RecorderFolder::Memo:
        return "memo";
    }
    return {};
}

std::optional<RecorderFolder> MissingRecorderFolder(std::string_view root) {
    for (const RecorderFolder folder :
         {RecorderFolder::Ch1Event, RecorderFolder::Ch1Normal, RecorderFolder::Log,
          RecorderFolder::Audio, RecorderFolder::Memo}) {
        const auto path = ResolveCardPath(root, RecorderFolderName(folder));
        if (!path || !IsDirectory(*path))
            return folder;
    }
    return std::nullopt;
}

std::string ChannelKindFolder(std::string_view root, int channelNumber, std::string_view kind) {
    return CardPathOnDisk(root, ChannelFolderName(channelNumber) + "/" + std::string(kind));
}

CardPattern EventDataPattern(std::string_view root, int channelNumber) {
    return PatternIn(ChannelKindFolder(root, channelNumber, kEventFolder), kVideoDataExt);
}

CardPattern NormalDataPattern(std::string_view root, int channelNumber) {
    return PatternIn(ChannelKindFolder(root, channelNumber, kNormalFolder), kVideoDataExt);
}

CardPattern EventMarkerPattern(std::string_view root, int channelNumber) {
    return PatternIn(ChannelKindFolder(root, channelNumber, kNormalFolder), kEventMarkerExt);
}

CardPattern MemoPicturePattern(std::string_view root, int modelCode, int channelNumber) {
    const std::string folder =
        UsesSingleMemoFolder(modelCode) ? "memo" : "memo" + std::to_string(channelNumber);
    return PatternIn(CardPathOnDisk(root, folder), kMemoPictureExt);
}

CardPattern MemoAudioPattern(std::string_view root, int modelCode) {
    return PatternIn(CardPathOnDisk(root, UsesSingleMemoFolder(modelCode) ? "memo" : "memoaudio"),
                     kMemoAudioExt);
}

CardPattern LogPattern(std::string_view root) {
    return PatternIn(CardPathOnDisk(root, "log"), kLogExt);
}

std::string SettingsFilePath(std::string_view root, std::string_view fileName) {
    return CardPathOnDisk(root, "config/" + std::string(fileName));
}

std::string IndexPathForData(std::string_view dataPath) {
    if (!EndsWithNoCase(dataPath, kVideoDataExt) && !EndsWithNoCase(dataPath, kAudioDataExt))
        return std::string(dataPath);
    return SpellingOnDisk(WithLastCharacter(dataPath, 'x'));
}

std::string DataPathForIndex(std::string_view indexPath) {
    if (!EndsWithNoCase(indexPath, kVideoIndexExt) && !EndsWithNoCase(indexPath, kAudioIndexExt))
        return std::string(indexPath);
    return SpellingOnDisk(WithLastCharacter(indexPath, 'd'));
}

int ChannelFromPath(std::string_view path) {
    for (auto end = path.size(); end > 0;) {
        const auto pos = RFindNoCase(path.substr(0, end), "/ch");
        if (pos == std::string_view::npos)
            break;
        const auto digit = pos + 3;
        if (digit < path.size() && path[digit] >= '0' && path[digit] <= '9')
            return path[digit] - '1';
        end = pos + 2; // look for an earlier "/ch" (shorter than the one just seen)
    }
    return -1;
}

std::optional<std::string> SameRecordingInChannel(std::string_view videoPath, int channelNumber) {
    const auto parts = SplitChannelFile(videoPath);
    if (!parts)
        return std::nullopt;
    const std::string serial(RecorderTitle(TitleOfPath(parts->file)).Serial());
    const std::string folder = CardPathOnDisk(parts->root, ChannelFolderName(channelNumber) + "/" +
                                                               std::string(parts->kind));
    return FirstFileByName({folder, serial + ",", std::string(kVideoDataExt)});
}

std::optional<std::string> AudioOfRecording(std::string_view videoPath) {
    const auto parts = SplitChannelFile(videoPath);
    if (!parts)
        return std::nullopt;
    const std::string serial(RecorderTitle(TitleOfPath(parts->file)).Serial());
    const std::string folder = CardPathOnDisk(parts->root, "audio/" + std::string(parts->kind));
    return FirstFileByName({folder, serial + ",", std::string(kAudioDataExt)});
}

std::optional<std::string> MemoPictureForAudio(std::string_view memoAudioPath, int channelNumber) {
    const std::string_view audioFolder = ParentOfPath(memoAudioPath);
    const std::string_view file = NameOfPath(memoAudioPath);
    if (file.empty() || !EndsWithNoCase(file, kMemoAudioExt))
        return std::nullopt;
    std::string pictureFolder(audioFolder);
    if (EqualsNoCase(NameOfPath(audioFolder), "memoaudio"))
        pictureFolder =
            CardPathOnDisk(ParentOfPath(audioFolder), "memo" + std::to_string(channelNumber));
    const std::string_view serial = RecorderTitle(TitleOfPath(file)).Serial();
    std::vector<CardEntry> pictures =
        FindCardEntries({pictureFolder, {}, std::string(kMemoPictureExt)});
    SortByName(pictures);
    for (const CardEntry& picture : pictures) {
        const RecorderTitle title(TitleOfPath(picture.name));
        if (!picture.isDirectory && title.Title().find(',') != std::string_view::npos &&
            EqualsNoCase(title.Serial(), serial))
            return picture.path;
    }
    return std::nullopt;
}

std::uint8_t EventCodeOfMarker(std::span<const std::byte> contents) {
    if (contents.size() != kEventMarkerSize)
        return 0;
    return static_cast<std::uint8_t>(contents[kEventMarkerCodeOffset]);
}

std::uint8_t ReadEventMarkerCode(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return 0;
    // One byte more than a marker holds, so a longer file is told from a marker.
    std::array<std::byte, kEventMarkerSize + 1> buffer{};
    file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const auto count = static_cast<std::size_t>(file.gcount());
    return EventCodeOfMarker(std::span<const std::byte>(buffer.data(), count));
}

std::string_view TitleOfPath(std::string_view path) {
    std::string_view name = NameOfPath(path);
    for (const std::string_view extension : kRecordingExtensions)
        if (EndsWithNoCase(name, extension))
            return name.substr(0, name.size() - extension.size());
    return name;
}

RecorderTitle::RecorderTitle(std::string_view title) : title_(title) {
    const auto comma = title_.find(',');
    hasComma_ = comma != std::string_view::npos;
    fieldBase_ = hasComma_ ? comma + 1 : 0;
}

std::string_view RecorderTitle::Serial() const {
    return hasComma_ ? title_.substr(0, fieldBase_ - 1) : std::string_view{};
}

std::string_view RecorderTitle::EventKey() const {
    return title_.substr(fieldBase_);
}

std::string_view RecorderTitle::Field(std::size_t offsetAfterComma, std::size_t length) const {
    const std::size_t start = fieldBase_ + offsetAfterComma - 1;
    if (start >= title_.size())
        return {};
    return title_.substr(start, length);
}

std::string RecorderTitle::ListNumber() const {
    // Read like atof: leading blanks and a plus sign allowed, the longest decimal prefix taken,
    // no number at all gives 0. Infinities and NaN are not recording numbers and also give 0.
    std::string_view text = Serial();
    while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+' && (text.size() < 2 || text[1] != '-'))
        text.remove_prefix(1);
    double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc{} || !std::isfinite(value))
        value = 0;
    std::array<char, 400> buffer{}; // the largest double has 309 digits
    std::snprintf(buffer.data(), buffer.size(), "%.0f", value);
    return buffer.data();
}

std::string RecorderTitle::StartText() const {
    std::string text;
    text.reserve(19);
    text.append(Year()).append(".").append(Month()).append(".").append(Day());
    text.append(" ").append(Hour()).append(":").append(Minute()).append(":").append(Second());
    return text;
}

} // namespace trevix
