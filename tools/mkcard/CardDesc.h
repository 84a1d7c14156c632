// What a generated card holds (CardDesc) and what was written for it (WrittenCard).
#pragma once

#include "tools/mkcard/RecorderFiles.h"
#include "tools/mkcard/SoundSource.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trevix::mkcard {

enum class RecordingKind { Event, Normal };
enum class Codec { Mpeg4, Jpeg };

// An event inside a normal recording: marked by .edx files and by the frames of its second.
struct MarkerDesc {
    int offsetSeconds = 30; // from the start of the normal group
    std::uint8_t eventCode = 1;
    std::uint8_t eventCodeEx = 0;
};

struct RecordingDesc {
    RecordingKind kind = RecordingKind::Event;
    // Start relative to the card's start; negative places the recording 30 s after the end of
    // the previous one.
    int startSeconds = -1;
    std::array<bool, 4> channels = {true, true, true, true};
    Codec codec = Codec::Mpeg4;
    int width = 360;
    int height = 240;
    int fps = 5;
    // Event recordings: seconds before and from the trigger (phases 2 and 3).
    int preSeconds = 10;
    int postSeconds = 5;
    std::uint8_t eventCode = 1;
    std::uint8_t eventCodeEx = 0;
    // Normal recordings: a group of consecutive files of fileSeconds each.
    int files = 1;
    int fileSeconds = 60;
    std::vector<MarkerDesc> markers;
    std::optional<SoundKind> audio = SoundKind::Tone;
    // The title of channel 2 (and further channels) stamped this many seconds later than that
    // of channel 1, as recorders sometimes do.
    int titleSkewSeconds = 0;
    // Synchronisation marks every this many milliseconds of recorder time, counted from the
    // start of the recording (of the group for normal recordings); 0 for none. With marks the
    // sound is kept quiet between the clicks.
    int syncMarkPeriodMs = 0;
};

struct MemoDesc {
    int startSeconds = -1; // as for recordings
    // Cameras with a picture; a model-20 card keeps only channel 1's in its single folder.
    std::array<bool, 4> channels = {true, true, true, true};
    int width = 720;
    int height = 480;
    int audioSeconds = 5;
    SoundKind sound = SoundKind::Voice;
};

struct LogDesc {
    int startSeconds = 0;
    int durationSeconds = 600; // one sample per second
};

enum class DamageKind {
    IndexMissing,    // no index file
    IndexCutShort,   // the last half of the records gone, the trailer kept
    TrailerDamaged,  // neither trailer form carries its magic
    OldTrailer,      // the 26-byte trailer of older recorders
    ShortRecords,    // 66-byte records without the extended event code
    DataCutMidBlock, // the data file ends inside its last block
    ShortData,       // the data file shorter than 30 bytes (bytes, default 20)
    ShortIndex,      // the index shorter than 10 bytes (bytes, default 5)
    UnreadableData,  // the data file replaced by a dangling symbolic link
    UnreadableIndex, // the index replaced by a dangling symbolic link
};

enum class DamageTarget { Video, Audio, Log, MemoAudio, MemoPicture };

struct DamageDesc {
    DamageKind kind = DamageKind::IndexMissing;
    DamageTarget target = DamageTarget::Video;
    int item = 0;    // written recording (after normal groups are split into files), log or memo
    int channel = 0; // 0-3 for video
    int bytes = -1;  // ShortData / ShortIndex length; -1 for the default
};

struct CardDesc {
    int model = 21;
    std::uint64_t seed = 1;
    std::int64_t startWallMs = 0; // 0: 2024-05-17 09:30:00
    int utcOffsetMinutes = 540;   // the recorder's clock against the GPS's UTC
    std::string drid = "TRX0000001";
    std::string sdid = "SD00000001";
    std::string version = "RX21_V1.04.08";
    int carPulseType = 2;
    std::uint32_t firstSerial = 1;
    std::vector<RecordingDesc> recordings;
    std::vector<MemoDesc> memos;
    // Empty with autoLogs: one log for every run of recordings that follow each other.
    std::vector<LogDesc> logs;
    bool autoLogs = true;
    std::vector<DamageDesc> damage;
    int quality = 4; // picture quality 1 (coarse) ... 6 (fine)
};

// One frame as written: the fields in both files and where its block lies.
struct WrittenFrame {
    FrameFields fields;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct WrittenChannel {
    int channel = 0;
    std::filesystem::path data;  // .vdd
    std::filesystem::path index; // .vdx
    std::vector<WrittenFrame> frames;
    Codec codec = Codec::Mpeg4;
    int width = 0, height = 0;
};

struct WrittenAudio {
    std::filesystem::path data;  // .add
    std::filesystem::path index; // .adx
    std::vector<std::int64_t> blockTimes;
};

// One synchronisation mark as written: the picture that flashes on every channel and the sound
// block in which the click starts, all at one recorder time.
struct WrittenSyncMark {
    struct Picture {
        int channel = 0;
        std::filesystem::path data; // .vdd
        int frame = 0;              // index in the file (and in WrittenChannel::frames)
    };
    std::int64_t wallMs = 0;
    // wallMs as the viewer reads the recorder's clock, in the time zone of the writing process.
    std::int64_t recorderMs = 0;
    std::vector<Picture> pictures;
    int audioBlock = -1; // index in WrittenAudio::blockTimes; -1 without sound
    int audioSample = 0; // the click's first sample within that block (8000 a second)
};

struct WrittenRecording {
    RecordingKind kind = RecordingKind::Event;
    std::uint32_t serial = 0;
    std::string title;
    int group = 0;       // normal: which group (described recording) the file belongs to
    int fileInGroup = 0; // normal: its place in the group
    std::int64_t startWallMs = 0;
    std::int64_t endWallMs = 0;     // after the last frame
    std::int64_t triggerWallMs = 0; // event recordings
    std::uint8_t eventCode = 0;
    std::uint8_t eventCodeEx = 0;
    std::vector<WrittenChannel> channels; // only the channels present
    std::optional<WrittenAudio> audio;
    std::vector<std::filesystem::path> markers; // .edx files
    std::vector<WrittenSyncMark> syncMarks;     // in time order

    const WrittenChannel* Channel(int channel) const {
        for (const WrittenChannel& written : channels)
            if (written.channel == channel)
                return &written;
        return nullptr;
    }
};

struct WrittenMemo {
    std::uint32_t serial = 0;
    std::string title;
    std::filesystem::path audio;                   // .aud
    std::array<std::filesystem::path, 4> pictures; // .jpg per channel, empty when none
};

struct WrittenLog {
    std::filesystem::path path;
    std::int64_t startWallMs = 0;
    int samples = 0;
};

struct WrittenCard {
    std::filesystem::path root;
    std::vector<WrittenRecording> recordings;
    std::vector<WrittenMemo> memos;
    std::vector<WrittenLog> logs;
    std::filesystem::path setIni, versionIni, sdidIni;
    std::vector<std::filesystem::path> damaged; // files changed by the damage list
    std::string error;                          // empty when everything was written
    bool Ok() const { return error.empty(); }
};

} // namespace trevix::mkcard
