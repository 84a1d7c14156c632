// The recorder's folder tree and file naming: where each kind of file lies, how a file title is
// read, and how the files that belong to one recording are found from one of them.
#pragma once

#include "platform/CardPath.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace trevix {

// Recorder models by their viewer setting CurrentModel: 20 has three channels and one memo
// folder; 21 to 24 have four channels, memo1..memo4 and memoaudio.
inline constexpr int kModelThreeChannel = 20;
inline constexpr int kDefaultModel = 21;
int ChannelCountOfModel(int modelCode);
bool UsesSingleMemoFolder(int modelCode);

inline constexpr int kMaxChannels = 4;

// Recording kinds below chN and audio.
inline constexpr std::string_view kEventFolder = "event";
inline constexpr std::string_view kNormalFolder = "normal";

// File extensions.
inline constexpr std::string_view kVideoDataExt = ".vdd";
inline constexpr std::string_view kVideoIndexExt = ".vdx";
inline constexpr std::string_view kEventMarkerExt = ".edx";
inline constexpr std::string_view kAudioDataExt = ".add";
inline constexpr std::string_view kAudioIndexExt = ".adx";
inline constexpr std::string_view kMemoAudioExt = ".aud";
inline constexpr std::string_view kMemoPictureExt = ".jpg";
inline constexpr std::string_view kLogExt = ".log";

// The root as the viewer keeps it: trailing slashes removed, "/" stays "/".
std::string RecorderRoot(std::string_view pickedPath);

// Folders of the recorder tree, in the order the recorder folder test checks them.
enum class RecorderFolder { Ch1Event, Ch1Normal, Log, Audio, Memo };
std::string_view RecorderFolderName(RecorderFolder folder); // "ch1/event", ...

// The first folder missing for root to be a recorder folder; empty when root is one.
std::optional<RecorderFolder> MissingRecorderFolder(std::string_view root);
inline bool IsRecorderFolder(std::string_view root) {
    return !MissingRecorderFolder(root);
}

// root/chN/kind (N = 1..4), spelled as on disk where it exists.
std::string ChannelKindFolder(std::string_view root, int channelNumber, std::string_view kind);

// Search patterns of the catalogue (channelNumber 1..4).
CardPattern EventDataPattern(std::string_view root, int channelNumber);
CardPattern NormalDataPattern(std::string_view root, int channelNumber);
CardPattern EventMarkerPattern(std::string_view root, int channelNumber);
// Memo pictures of channelNumber: memoN on four-channel models, the single memo folder on
// model 20.
CardPattern MemoPicturePattern(std::string_view root, int modelCode, int channelNumber);
CardPattern MemoAudioPattern(std::string_view root, int modelCode);
CardPattern LogPattern(std::string_view root);

// root/config/fileName.
std::string SettingsFilePath(std::string_view root, std::string_view fileName);

// The index of a data file (".vdd" -> ".vdx", ".add" -> ".adx", extension matched without
// regard to case), spelled as on disk when such a file exists; otherwise the data path with the
// extension replaced in the data file's case. A path of another kind comes back unchanged.
std::string IndexPathForData(std::string_view dataPath);
// The inverse: ".vdx" -> ".vdd", ".adx" -> ".add".
std::string DataPathForIndex(std::string_view indexPath);

// ChannelIndex 0..3 of a video path: the digit after the last "/ch" followed by a digit,
// without regard to case, minus 1; -1 when there is none.
int ChannelFromPath(std::string_view path);

// The same recording (same serial) in channel channelNumber (1..4) of a video file path
// root/chK/kind/title.vdd: the first matching ".vdd" in root/chN/kind by name. Empty when the
// path has not that shape or there is no such file.
std::optional<std::string> SameRecordingInChannel(std::string_view videoPath, int channelNumber);
// The audio data of the recording of a video file: root/audio/kind/<serial>,*.add.
std::optional<std::string> AudioOfRecording(std::string_view videoPath);
// The memo picture of memo audio for channelNumber (1..4): root/memoaudio/x.aud ->
// root/memoN/<same serial>*.jpg; in the single memo folder, the picture of the same serial there.
std::optional<std::string> MemoPictureForAudio(std::string_view memoAudioPath, int channelNumber);

// The event code of an event marker file: byte 7 of a file of exactly 26 bytes, else 0.
inline constexpr std::size_t kEventMarkerSize = 26;
inline constexpr std::size_t kEventMarkerCodeOffset = 7;
std::uint8_t EventCodeOfMarker(std::span<const std::byte> contents);
std::uint8_t ReadEventMarkerCode(const std::string& path);

// The title of a file (its name without folder and extension).
std::string_view TitleOfPath(std::string_view path);

// A recording file title "serial,yyyy.mm.dd hh.mm.ss": fields by their positions after the first
// comma; a title without a comma reads as if the comma stood before its first character.
// Characters beyond the end of the title read as empty. Views into the title passed in.
class RecorderTitle {
public:
    explicit RecorderTitle(std::string_view title);

    std::string_view Title() const { return title_; }
    std::string_view Serial() const;   // text before the first comma
    std::string_view EventKey() const; // everything after the first comma
    std::string_view Year() const { return Field(1, 4); }
    std::string_view Month() const { return Field(6, 2); }
    std::string_view Day() const { return Field(9, 2); }
    std::string_view Hour() const { return Field(12, 2); }
    std::string_view Minute() const { return Field(15, 2); }
    std::string_view Second() const { return Field(18, 2); }

    // "%.0f" of the serial read as a decimal number (0 when it is none).
    std::string ListNumber() const;
    // "%s.%s.%s %s:%s:%s" of the fields as they stand.
    std::string StartText() const;

private:
    std::string_view Field(std::size_t offsetAfterComma, std::size_t length) const;

    std::string_view title_;
    std::size_t fieldBase_; // position of the character after the comma
    bool hasComma_;
};

} // namespace trevix
