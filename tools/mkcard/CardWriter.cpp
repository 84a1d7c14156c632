#include "tools/mkcard/CardWriter.h"

#include "codec/G711.h"
#include "tools/mkcard/ConfigFiles.h"
#include "tools/mkcard/Damage.h"
#include "tools/mkcard/DriveModel.h"
#include "tools/mkcard/FileOutput.h"
#include "tools/mkcard/LogFile.h"
#include "tools/mkcard/PictureEncoder.h"
#include "tools/mkcard/SyncMarks.h"
#include "tools/mkcard/WallClock.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace trevix::mkcard {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kDefaultStart = 1715938200000; // 2024-05-17 09:30:00 wall clock
constexpr int kAutoGapSeconds = 30;
constexpr int kLogRunGapSeconds = 120;
constexpr int kMaxLogSamples = 3600;

bool HasChannel4(int model) {
    return model != 20;
}

// One data file set of a recording, with its times resolved.
struct PlannedRecording {
    const RecordingDesc* desc = nullptr;
    RecordingKind kind = RecordingKind::Event;
    int group = 0;
    int fileInGroup = 0;
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;
    std::int64_t triggerMs = 0;
    std::uint32_t serial = 0;
};

struct PlannedMemo {
    const MemoDesc* desc = nullptr;
    std::int64_t startMs = 0;
    std::uint32_t serial = 0;
};

std::string CheckDesc(const CardDesc& desc) {
    if (desc.model < 20 || desc.model > 24)
        return "model code must be 20 to 24";
    if (desc.quality < 1 || desc.quality > 6)
        return "quality must be 1 to 6";
    for (const RecordingDesc& r : desc.recordings) {
        if (r.fps < 1 || r.fps > 30)
            return "frame rate must be 1 to 30";
        const bool knownSize = (r.width == 360 && (r.height == 240 || r.height == 288)) ||
                               (r.width == 720 && (r.height == 240 || r.height == 288 ||
                                                   r.height == 480 || r.height == 576));
        if (!knownSize)
            return "picture size must be 360x240, 360x288, 720x240, 720x288, 720x480 or 720x576";
        if (r.kind == RecordingKind::Event &&
            (r.preSeconds < 0 || r.postSeconds < 1 || r.preSeconds + r.postSeconds > 600))
            return "event recordings need 0-600 s before and at least 1 s from the trigger";
        if (r.kind == RecordingKind::Normal &&
            (r.files < 1 || r.files > 120 || r.fileSeconds < 1 || r.fileSeconds > 600))
            return "normal groups need 1-120 files of 1-600 s";
        const int channelCount = desc.model == 20 ? 3 : 4;
        if (std::none_of(r.channels.begin(), r.channels.begin() + channelCount,
                         [](bool present) { return present; }))
            return "a recording needs at least one of the model's channels";
        for (const MarkerDesc& marker : r.markers)
            if (r.kind != RecordingKind::Normal || marker.offsetSeconds < 0 ||
                marker.offsetSeconds >= r.files * r.fileSeconds)
                return "event markers belong inside a normal group";
        if (r.syncMarkPeriodMs != 0 &&
            (r.syncMarkPeriodMs < kMinSyncPeriodMs || r.syncMarkPeriodMs > kMaxSyncPeriodMs))
            return "synchronisation marks need a period of 500 to 600000 ms";
    }
    for (const MemoDesc& m : desc.memos)
        if (m.audioSeconds < 1 || m.audioSeconds > 60 || m.width < 16 || m.width > 720 ||
            m.height < 16 || m.height > 576)
            return "memos need 1-60 s of sound and a picture of at most 720x576";
    for (const LogDesc& l : desc.logs)
        if (l.durationSeconds < 1 || l.durationSeconds > 4000)
            return "logs hold 1-4000 samples";
    return {};
}

// Resolves start times, splits normal groups into their files and numbers everything in the
// order of time, as the recorder does.
void Plan(const CardDesc& desc, std::int64_t cardStart, std::vector<PlannedRecording>& recordings,
          std::vector<PlannedMemo>& memos) {
    std::int64_t cursor = cardStart;
    int group = 0;
    for (const RecordingDesc& r : desc.recordings) {
        const std::int64_t begin =
            r.startSeconds >= 0 ? cardStart + r.startSeconds * 1000LL : cursor;
        if (r.kind == RecordingKind::Event) {
            PlannedRecording p{&r, r.kind, group, 0, begin, 0, 0, 0};
            p.triggerMs = begin + r.preSeconds * 1000LL;
            p.endMs = p.triggerMs + r.postSeconds * 1000LL;
            recordings.push_back(p);
            cursor = p.endMs + kAutoGapSeconds * 1000LL;
        } else {
            for (int file = 0; file < r.files; ++file) {
                PlannedRecording p{&r, r.kind, group, file, 0, 0, 0, 0};
                p.startMs = begin + file * r.fileSeconds * 1000LL;
                p.endMs = p.startMs + r.fileSeconds * 1000LL;
                recordings.push_back(p);
                cursor = p.endMs + kAutoGapSeconds * 1000LL;
            }
        }
        ++group;
    }
    for (const MemoDesc& m : desc.memos) {
        const std::int64_t begin =
            m.startSeconds >= 0 ? cardStart + m.startSeconds * 1000LL : cursor;
        memos.push_back({&m, begin, 0});
        cursor = begin + (m.audioSeconds + kAutoGapSeconds) * 1000LL;
    }
    // Serials in the order of time; ties keep the order of the description.
    std::vector<std::pair<std::int64_t, std::uint32_t*>> order;
    for (PlannedRecording& p : recordings)
        order.emplace_back(p.startMs, &p.serial);
    for (PlannedMemo& m : memos)
        order.emplace_back(m.startMs, &m.serial);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::uint32_t serial = desc.firstSerial;
    for (auto& [time, target] : order)
        *target = serial++;
}

std::uint8_t PulseDivisor(int carPulseType) {
    static constexpr std::uint8_t kDivisors[6] = {2, 4, 8, 16, 20, 25};
    return carPulseType >= 0 && carPulseType <= 5 ? kDivisors[carPulseType] : 8;
}

class CardBuilder {
public:
    CardBuilder(const CardDesc& card, const fs::path& root)
        : desc_(card), root_(root),
          cardStart_(card.startWallMs != 0 ? card.startWallMs : kDefaultStart),
          drive_(card.seed, cardStart_) {
        card_.root = root;
    }

    WrittenCard Build() {
        card_.error = CheckDesc(desc_);
        if (!card_.error.empty())
            return card_;
        if (!MakeFolders())
            return card_;
        Plan(desc_, cardStart_, planned_, memos_);
        for (const PlannedRecording& p : planned_) {
            if (p.kind == RecordingKind::Event)
                drive_.AddEvent(p.triggerMs, p.desc->eventCode, p.desc->eventCodeEx);
            else if (p.fileInGroup == 0)
                for (const MarkerDesc& marker : p.desc->markers)
                    drive_.AddEvent(p.startMs + marker.offsetSeconds * 1000LL, marker.eventCode,
                                    marker.eventCodeEx);
        }
        for (std::size_t i = 0; i < planned_.size() && card_.Ok(); ++i)
            WriteRecording(static_cast<int>(i), planned_[i]);
        for (std::size_t i = 0; i < memos_.size() && card_.Ok(); ++i)
            WriteMemo(memos_[i]);
        if (card_.Ok())
            WriteLogs();
        if (card_.Ok())
            WriteConfig();
        if (card_.Ok())
            card_.error = ApplyDamage(desc_.damage, card_);
        return card_;
    }

private:
    bool Fail(std::string message) {
        if (card_.error.empty())
            card_.error = std::move(message);
        return false;
    }

    bool MakeFolders() {
        std::error_code error;
        for (const fs::path& folder : CardFolders(desc_.model)) {
            fs::create_directories(root_ / folder, error);
            if (error)
                return Fail("cannot create " + (root_ / folder).string() + ": " + error.message());
        }
        return true;
    }

    bool ChannelWanted(const std::array<bool, 4>& channels, int channel) const {
        return channels[channel] && (channel < 3 || HasChannel4(desc_.model));
    }

    FrameFields FieldsAt(std::int64_t wallMs) const {
        const DriveState state = drive_.At(wallMs);
        FrameFields f;
        f.wallMs = wallMs;
        f.gx = static_cast<std::int16_t>(std::lround(std::clamp(state.gx, -8.0, 8.0) * 1000));
        f.gy = static_cast<std::int16_t>(std::lround(std::clamp(state.gy, -8.0, 8.0) * 1000));
        f.gz = static_cast<std::int16_t>(std::lround(std::clamp(state.gz, -8.0, 8.0) * 1000));
        f.gpsValid = state.gpsValid;
        if (state.gpsValid) {
            f.latitude = ToNmea(state.latitude);
            f.longitude = ToNmea(state.longitude);
        }
        f.gpsA = static_cast<std::uint16_t>(state.satellitesUsed);
        f.gpsB = static_cast<std::uint16_t>(std::lround(state.speedKmh));
        f.gpsC = static_cast<std::uint16_t>(std::lround(state.courseDeg) % 360);
        f.carSignal = state.carSignal;
        f.speedRaw = SpeedToPulses(state.speedKmh, desc_.carPulseType);
        return f;
    }

    std::int64_t FrameTime(const PlannedRecording& p, int frame) const {
        return FrameTimeMs(p.startMs, frame, p.desc->fps);
    }

    static int FrameCount(const PlannedRecording& p) {
        return static_cast<int>((p.endMs - p.startMs) * p.desc->fps / 1000);
    }

    // Where the group of a normal file starts; an event recording is a group of its own.
    static std::int64_t GroupStart(const PlannedRecording& p) {
        return p.startMs - p.fileInGroup * p.desc->fileSeconds * 1000LL;
    }

    void WriteRecording(int index, const PlannedRecording& p) {
        const RecordingDesc& r = *p.desc;
        WrittenRecording written;
        written.kind = p.kind;
        written.serial = p.serial;
        written.title = FileTitle(p.serial, p.startMs);
        written.group = p.group;
        written.fileInGroup = p.fileInGroup;
        written.startWallMs = p.startMs;
        written.endWallMs = p.endMs;
        written.triggerWallMs = p.triggerMs;
        written.eventCode = p.kind == RecordingKind::Event ? r.eventCode : 0;
        written.eventCodeEx = p.kind == RecordingKind::Event ? r.eventCodeEx : 0;
        const std::string kindFolder = p.kind == RecordingKind::Event ? "event" : "normal";
        const SyncMarks marks(GroupStart(p), FrameNumber(p, 0), FrameCount(p), r.fps,
                              r.syncMarkPeriodMs);
        bool first = true;
        for (int channel = 0; channel < 4; ++channel) {
            if (!ChannelWanted(r.channels, channel))
                continue;
            const std::int64_t titleTime = p.startMs + (first ? 0 : r.titleSkewSeconds * 1000LL);
            first = false;
            const fs::path folder = root_ / ("ch" + std::to_string(channel + 1)) / kindFolder;
            const std::string name = FileTitle(p.serial, titleTime);
            WrittenChannel out;
            out.channel = channel;
            out.data = folder / (name + ".vdd");
            out.index = folder / (name + ".vdx");
            out.codec = r.codec;
            out.width = r.width;
            out.height = r.height;
            if (!WriteVideo(index, p, marks, out))
                return;
            written.channels.push_back(std::move(out));
        }
        if (r.audio && !WriteAudio(index, p, *r.audio, marks, kindFolder, written))
            return;
        ListSyncMarks(marks, written);
        if (p.kind == RecordingKind::Normal && p.fileInGroup == 0)
            WriteMarkers(index, written);
        card_.recordings.push_back(std::move(written));
    }

    // Marks the event's own second in a normal recording's frames.
    void ApplyEventMarks(const PlannedRecording& p, FrameFields& f) const {
        const RecordingDesc& r = *p.desc;
        if (p.kind == RecordingKind::Event) {
            f.phase = f.wallMs < p.triggerMs ? Phase::BeforeEvent : Phase::FromTrigger;
            f.eventCode = r.eventCode;
            f.eventCodeEx = r.eventCodeEx;
            if (f.wallMs >= p.triggerMs && f.wallMs < p.triggerMs + 1000)
                f.flags = 0x02; // event border
            return;
        }
        f.phase = Phase::Normal;
        const std::int64_t groupStart = GroupStart(p);
        for (const MarkerDesc& marker : r.markers) {
            const std::int64_t at = groupStart + marker.offsetSeconds * 1000LL;
            if (f.wallMs >= at && f.wallMs < at + 1000) {
                f.eventCode = marker.eventCode;
                f.eventCodeEx = marker.eventCodeEx;
                f.flags = 0x02;
            }
        }
    }

    bool WriteVideo(int index, const PlannedRecording& p, const SyncMarks& marks,
                    WrittenChannel& out) {
        const RecordingDesc& r = *p.desc;
        const IndexForm form = IndexFormFor(desc_.damage, DamageTarget::Video, index, out.channel);
        std::unique_ptr<PictureEncoder> encoder = MakePictureEncoder(r.codec, desc_.quality);
        if (!encoder || !encoder->Start(r.width, r.height))
            return Fail(r.codec == Codec::Mpeg4 ? "the MPEG-4 encoder is not available"
                                                : "the JPEG encoder is not available");
        FileOutput data(out.data);
        const int frames = FrameCount(p);
        const bool tall = r.height >= 480;
        CodedPicture coded;
        for (int frame = 0; frame < frames; ++frame) {
            FrameFields f = FieldsAt(FrameTime(p, frame));
            ApplyEventMarks(p, f);
            f.sizeCode = PictureSizeCode(r.width, r.height);
            const BgrPicture scene = (marks.IsFlash(frame) ? DrawFlash : DrawScene)(
                r.width, r.height, out.channel, FrameNumber(p, frame), TimeText(f.wallMs));
            const bool forceKey = frame % r.fps == 0;
            if (!encoder->Encode(tall ? StackFields(scene) : scene, forceKey, coded))
                return Fail("encoding a picture of " + out.data.string() + " failed");
            Bytes block;
            if (r.codec == Codec::Jpeg) {
                f.type = FrameType::Jpeg;
                block = MakeJpegBlock(f, coded.bytes);
            } else {
                f.type = coded.key ? FrameType::Intra : FrameType::Predicted;
                block = MakeMpeg4Block(f, coded.bytes);
            }
            WrittenFrame written{f, static_cast<std::uint32_t>(data.Size()),
                                 static_cast<std::uint32_t>(block.size())};
            data.Write(block);
            out.frames.push_back(written);
        }
        if (!data.Close())
            return Fail("cannot write " + out.data.string());

        std::vector<Bytes> records;
        for (const WrittenFrame& frame : out.frames)
            records.push_back(
                MakeVideoRecord(frame.fields, frame.offset, frame.size, form.records));
        TrailerFields trailer;
        trailer.channel = static_cast<std::uint8_t>(out.channel);
        trailer.eventCode = p.kind == RecordingKind::Event ? r.eventCode : 0;
        trailer.streamType = 1;
        trailer.codec = r.codec == Codec::Jpeg ? 1 : 2;
        trailer.recordCount = static_cast<std::uint32_t>(records.size());
        trailer.drid = desc_.drid;
        trailer.sdid = desc_.sdid;
        trailer.eventCodeEx = p.kind == RecordingKind::Event ? r.eventCodeEx : 0;
        if (!WriteIndexFile(out.index, records, trailer, form))
            return Fail("cannot write " + out.index.string());
        return true;
    }

    // The running frame counter shown in the picture: counted across a normal group.
    int FrameNumber(const PlannedRecording& p, int frame) const {
        return p.fileInGroup * p.desc->fileSeconds * p.desc->fps + frame;
    }

    bool WriteAudio(int index, const PlannedRecording& p, SoundKind kind, const SyncMarks& marks,
                    const std::string& kindFolder, WrittenRecording& written) {
        const IndexForm form = IndexFormFor(desc_.damage, DamageTarget::Audio, index, 0);
        const SoundSource sound(kind, desc_.seed);
        const fs::path folder = root_ / "audio" / kindFolder;
        WrittenAudio audio;
        audio.data = folder / (written.title + ".add");
        audio.index = folder / (written.title + ".adx");
        FileOutput data(audio.data);
        std::vector<Bytes> records;
        std::array<std::int16_t, kAudioSamplesPerBlock> pcm{};
        std::array<std::uint8_t, kAudioSamplesPerBlock> alaw{};
        for (std::int64_t at = p.startMs; at + 100 <= p.endMs; at += 100) {
            sound.Render((at - cardStart_) * kSampleRate / 1000, pcm);
            marks.MixSound(at, pcm);
            EncodeALawInto(pcm, alaw);
            const auto record = MakeAudioRecord(static_cast<std::uint32_t>(data.Size()), at);
            records.emplace_back(record.begin(), record.end());
            data.Write(MakeAudioBlock(at, alaw));
            audio.blockTimes.push_back(at);
        }
        if (!data.Close())
            return Fail("cannot write " + audio.data.string());
        TrailerFields trailer;
        trailer.eventCode = p.kind == RecordingKind::Event ? p.desc->eventCode : 0;
        trailer.streamType = 2;
        trailer.codec = 101;
        trailer.recordCount = static_cast<std::uint32_t>(records.size());
        trailer.drid = desc_.drid;
        trailer.sdid = desc_.sdid;
        trailer.eventCodeEx = p.kind == RecordingKind::Event ? p.desc->eventCodeEx : 0;
        if (!WriteIndexFile(audio.index, records, trailer, form))
            return Fail("cannot write " + audio.index.string());
        written.audio = std::move(audio);
        return true;
    }

    // Where each synchronisation mark of the file went: its flash picture on every channel and
    // the sound block in which its click starts.
    static void ListSyncMarks(const SyncMarks& marks, WrittenRecording& written) {
        for (const SyncMark& mark : marks.Marks()) {
            WrittenSyncMark listed;
            listed.wallMs = mark.wallMs;
            listed.recorderMs = ToRecorderMs(ToSystemTime(mark.wallMs));
            for (const WrittenChannel& channel : written.channels)
                listed.pictures.push_back({channel.channel, channel.data, mark.frame});
            if (written.audio) {
                const std::vector<std::int64_t>& blocks = written.audio->blockTimes;
                const auto after = std::upper_bound(blocks.begin(), blocks.end(), mark.wallMs);
                const std::int64_t into =
                    after == blocks.begin() ? -1 : mark.wallMs - *std::prev(after);
                if (into >= 0 && into * kSampleRate / 1000 < std::int64_t{kAudioSamplesPerBlock}) {
                    listed.audioBlock = static_cast<int>(after - blocks.begin()) - 1;
                    listed.audioSample = static_cast<int>(into * kSampleRate / 1000);
                }
            }
            written.syncMarks.push_back(std::move(listed));
        }
    }

    // One marker per event and channel, titled with the serial of the normal file that holds
    // the event and the event's time. first is the group's first file in planned_.
    void WriteMarkers(int first, WrittenRecording& written) {
        const PlannedRecording& p = planned_[first];
        for (const MarkerDesc& marker : p.desc->markers) {
            const std::int64_t at = p.startMs + marker.offsetSeconds * 1000LL;
            const int file = marker.offsetSeconds / p.desc->fileSeconds;
            const std::string title = FileTitle(planned_[first + file].serial, at);
            for (int channel = 0; channel < 4; ++channel) {
                if (!ChannelWanted(p.desc->channels, channel))
                    continue;
                const fs::path path =
                    root_ / ("ch" + std::to_string(channel + 1)) / "normal" / (title + ".edx");
                const auto bytes = MakeEdx(static_cast<std::uint8_t>(channel), marker.eventCode,
                                           p.desc->codec == Codec::Jpeg ? 1 : 2);
                if (!WriteFileBytes(path, bytes)) {
                    Fail("cannot write " + path.string());
                    return;
                }
                written.markers.push_back(path);
            }
        }
    }

    void WriteMemo(const PlannedMemo& memo) {
        const MemoDesc& m = *memo.desc;
        const bool single = desc_.model == 20;
        WrittenMemo written;
        written.serial = memo.serial;
        written.title = FileTitle(memo.serial, memo.startMs);
        written.audio = root_ / (single ? "memo" : "memoaudio") / (written.title + ".aud");
        std::vector<std::int16_t> pcm(static_cast<std::size_t>(m.audioSeconds) * kSampleRate);
        SoundSource(m.sound, desc_.seed).Render((memo.startMs - cardStart_) * 8, pcm);
        if (!WriteFileBytes(written.audio, MakeMemoAudio(EncodeALaw(pcm))))
            return static_cast<void>(Fail("cannot write " + written.audio.string()));

        std::unique_ptr<PictureEncoder> encoder = MakePictureEncoder(Codec::Jpeg, desc_.quality);
        if (!encoder || !encoder->Start(m.width, m.height))
            return static_cast<void>(Fail("the JPEG encoder is not available"));
        for (int channel = 0; channel < (single ? 1 : 4); ++channel) {
            if (!m.channels[channel])
                continue;
            FrameFields f = FieldsAt(memo.startMs);
            f.type = FrameType::Jpeg;
            f.phase = Phase::Memo;
            f.sizeCode = PictureSizeCode(m.width, m.height);
            const BgrPicture scene =
                DrawScene(m.width, m.height, channel, 0, TimeText(memo.startMs));
            CodedPicture coded;
            if (!encoder->Encode(m.height >= 480 ? StackFields(scene) : scene, true, coded))
                return static_cast<void>(Fail("encoding a memo picture failed"));
            const fs::path folder =
                root_ / (single ? std::string("memo") : "memo" + std::to_string(channel + 1));
            written.pictures[channel] = folder / (written.title + ".jpg");
            if (!WriteFileBytes(written.pictures[channel], MakeJpegBlock(f, coded.bytes)))
                return static_cast<void>(
                    Fail("cannot write " + written.pictures[channel].string()));
        }
        card_.memos.push_back(std::move(written));
    }

    // The log runs: the card description's own, or one for every run of recordings with short gaps.
    std::vector<std::pair<std::int64_t, int>> LogRuns() const {
        std::vector<std::pair<std::int64_t, int>> runs;
        if (!desc_.logs.empty() || !desc_.autoLogs) {
            for (const LogDesc& log : desc_.logs)
                runs.emplace_back(cardStart_ + log.startSeconds * 1000LL, log.durationSeconds);
            return runs;
        }
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (const PlannedRecording& p : planned_)
            spans.emplace_back(p.startMs, p.endMs);
        std::sort(spans.begin(), spans.end());
        std::int64_t runStart = 0, runEnd = 0;
        bool open = false;
        auto close = [&] {
            // Whole seconds, split so that no log holds more than an hour.
            std::int64_t begin = runStart / 1000 * 1000;
            int seconds = static_cast<int>((runEnd - begin + 999) / 1000);
            while (seconds > 0) {
                const int part = std::min(seconds, kMaxLogSamples);
                runs.emplace_back(begin, part);
                begin += part * 1000LL;
                seconds -= part;
            }
        };
        for (const auto& [begin, end] : spans) {
            if (open && begin <= runEnd + kLogRunGapSeconds * 1000LL) {
                runEnd = std::max(runEnd, end);
                continue;
            }
            if (open)
                close();
            runStart = begin;
            runEnd = end;
            open = true;
        }
        if (open)
            close();
        return runs;
    }

    void WriteLogs() {
        std::uint32_t serial = desc_.firstSerial;
        for (const auto& [begin, seconds] : LogRuns()) {
            WrittenLog log;
            log.startWallMs = begin;
            log.samples = seconds;
            log.path = root_ / "log" / (FileTitle(serial++, begin) + ".log");
            std::string text = LogHeaderLine(3, desc_.drid, desc_.sdid);
            for (int second = 0; second < seconds; ++second) {
                const std::int64_t at = begin + second * 1000LL;
                const std::int64_t utc = at - desc_.utcOffsetMinutes * 60000LL;
                const DriveState state = drive_.At(at);
                text += RmcLine(utc, state);
                text += GgaLine(utc, state);
                text += GsvLines(state, desc_.seed + static_cast<std::uint64_t>(second / 60));
                text += MvdrlLine(second + 1, at, state,
                                  SpeedToPulses(state.speedKmh, desc_.carPulseType),
                                  state.gpsValid ? 1 : 0);
            }
            if (!WriteFileBytes(log.path, text))
                return static_cast<void>(Fail("cannot write " + log.path.string()));
            card_.logs.push_back(std::move(log));
        }
    }

    void WriteConfig() {
        SetIniValues values;
        values.model = desc_.model;
        values.channelInUse = {false, false, false, false};
        values.recordingMode = {3, 3, 3, 3};
        bool firstEvent = true, firstRecording = true;
        for (const RecordingDesc& r : desc_.recordings) {
            for (int channel = 0; channel < 4; ++channel) {
                if (!ChannelWanted(r.channels, channel))
                    continue;
                values.channelInUse[channel] = true;
                int& mode = values.recordingMode[channel];
                mode = r.kind == RecordingKind::Normal ? 1 : (mode == 1 ? 1 : 2);
            }
            if (firstRecording) {
                values.framesPerSecond = r.fps;
                values.field = r.height >= 480 ? 4 : 3;
                firstRecording = false;
            }
            if (r.kind == RecordingKind::Event && firstEvent) {
                values.preSeconds = r.preSeconds;
                values.postSeconds = r.postSeconds;
                firstEvent = false;
            }
        }
        if (firstRecording) {
            values.channelInUse[0] = true;
            values.recordingMode[0] = 1;
        }
        values.carPulseType = desc_.carPulseType;
        values.recordAudio =
            std::any_of(desc_.recordings.begin(), desc_.recordings.end(),
                        [](const RecordingDesc& r) { return r.audio.has_value(); });
        values.memoCameraMask = 0;
        for (const MemoDesc& m : desc_.memos)
            for (int channel = 0; channel < 4; ++channel)
                if (m.channels[channel])
                    values.memoCameraMask |= 1 << channel;
        if (values.memoCameraMask == 0)
            values.memoCameraMask = 1;

        const fs::path config = root_ / "config";
        card_.setIni = config / "set.ini";
        card_.versionIni = config / "version.ini";
        card_.sdidIni = config / "sdid.ini";
        if (!WriteFileBytes(card_.setIni, MakeSetIni(values)) ||
            !WriteFileBytes(card_.versionIni, MakeVersionIni(desc_.version)) ||
            !WriteFileBytes(card_.sdidIni, MakeSdidIni(desc_.sdid)))
            Fail("cannot write the config files");
    }

    const CardDesc& desc_;
    fs::path root_;
    std::int64_t cardStart_;
    DriveModel drive_;
    std::vector<PlannedRecording> planned_;
    std::vector<PlannedMemo> memos_;
    WrittenCard card_;
};

} // namespace

std::vector<fs::path> CardFolders(int model) {
    std::vector<fs::path> folders = {"config",       "log",        "audio",      "audio/event",
                                     "audio/normal", "ch1",        "ch1/event",  "ch1/normal",
                                     "ch2",          "ch2/event",  "ch2/normal", "ch3",
                                     "ch3/event",    "ch3/normal", "memo"};
    if (HasChannel4(model))
        for (const char* folder :
             {"ch4", "ch4/event", "ch4/normal", "memo1", "memo2", "memo3", "memo4", "memoaudio"})
            folders.emplace_back(folder);
    return folders;
}

std::uint16_t SpeedToPulses(double kmh, int carPulseType) {
    const double pulses = kmh * 637.0 * PulseDivisor(carPulseType) / 3600.0;
    return static_cast<std::uint16_t>(std::clamp(std::lround(pulses), 0L, 65535L));
}

WrittenCard WriteCard(const CardDesc& desc, const fs::path& root) {
    return CardBuilder(desc, root).Build();
}

} // namespace trevix::mkcard
