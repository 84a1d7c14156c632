#include "tools/mkcard/DescText.h"

#include "tools/mkcard/SyncMarks.h"
#include "tools/mkcard/WallClock.h"

#include <charconv>
#include <map>
#include <vector>

namespace trevix::mkcard {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t position = 0;
    while (position < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t\r", position);
        if (begin == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t\r", begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        position = end;
    }
    return words;
}

bool ParseInt(std::string_view text, long long low, long long high, long long& value) {
    long long parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

template <typename T>
bool ParseNumber(std::string_view text, long long low, long long high, T& target) {
    long long value = 0;
    if (!ParseInt(text, low, high, value))
        return false;
    target = static_cast<T>(value);
    return true;
}

bool ParsePair(std::string_view text, char separator, std::string_view& first,
               std::string_view& second) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return false;
    first = text.substr(0, at);
    second = text.substr(at + 1);
    return true;
}

bool ParseSize(std::string_view text, int& width, int& height) {
    std::string_view w, h;
    return ParsePair(text, 'x', w, h) && ParseNumber(w, 1, 4096, width) &&
           ParseNumber(h, 1, 4096, height);
}

bool ParseChannels(std::string_view text, std::array<bool, 4>& channels) {
    channels = {false, false, false, false};
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '1' || c > '4')
            return false;
        channels[c - '1'] = true;
    }
    return true;
}

// key=value options after the directive's name.
using Options = std::vector<std::pair<std::string_view, std::string_view>>;

bool SplitOptions(const std::vector<std::string_view>& words, std::size_t from, Options& options) {
    for (std::size_t i = from; i < words.size(); ++i) {
        std::string_view key, value;
        if (!ParsePair(words[i], '=', key, value))
            return false;
        options.emplace_back(key, value);
    }
    return true;
}

std::string RecordingOption(std::string_view key, std::string_view value, RecordingDesc& r) {
    const auto bad = [&] {
        return "bad value for " + std::string(key) + ": " + std::string(value);
    };
    if (key == "start")
        return ParseNumber(value, 0, 100000000, r.startSeconds) ? "" : bad();
    if (key == "codec") {
        if (value == "mpeg4")
            r.codec = Codec::Mpeg4;
        else if (value == "jpeg")
            r.codec = Codec::Jpeg;
        else
            return bad();
        return {};
    }
    if (key == "size")
        return ParseSize(value, r.width, r.height) ? "" : bad();
    if (key == "fps")
        return ParseNumber(value, 1, 30, r.fps) ? "" : bad();
    if (key == "channels")
        return ParseChannels(value, r.channels) ? "" : bad();
    if (key == "audio") {
        if (value == "tone")
            r.audio = SoundKind::Tone;
        else if (value == "voice")
            r.audio = SoundKind::Voice;
        else if (value == "none")
            r.audio.reset();
        else
            return bad();
        return {};
    }
    if (key == "skew")
        return ParseNumber(value, 0, 59, r.titleSkewSeconds) ? "" : bad();
    if (key == "sync") {
        if (value == "0") {
            r.syncMarkPeriodMs = 0;
            return {};
        }
        return ParseNumber(value, kMinSyncPeriodMs, kMaxSyncPeriodMs, r.syncMarkPeriodMs) ? ""
                                                                                          : bad();
    }
    if (r.kind == RecordingKind::Event) {
        if (key == "pre")
            return ParseNumber(value, 0, 600, r.preSeconds) ? "" : bad();
        if (key == "post")
            return ParseNumber(value, 1, 600, r.postSeconds) ? "" : bad();
        if (key == "code")
            return ParseNumber(value, 0, 255, r.eventCode) ? "" : bad();
        if (key == "ext")
            return ParseNumber(value, 0, 255, r.eventCodeEx) ? "" : bad();
    } else {
        if (key == "files")
            return ParseNumber(value, 1, 120, r.files) ? "" : bad();
        if (key == "seconds")
            return ParseNumber(value, 1, 600, r.fileSeconds) ? "" : bad();
        if (key == "marker") {
            MarkerDesc marker;
            std::string_view offset, code, ext;
            if (!ParsePair(value, ':', offset, code))
                return bad();
            if (ParsePair(code, '/', code, ext) && !ParseNumber(ext, 0, 255, marker.eventCodeEx))
                return bad();
            if (!ParseNumber(offset, 0, 100000, marker.offsetSeconds) ||
                !ParseNumber(code, 0, 255, marker.eventCode))
                return bad();
            r.markers.push_back(marker);
            return {};
        }
    }
    return "unknown option " + std::string(key);
}

std::string MemoOption(std::string_view key, std::string_view value, MemoDesc& m) {
    const auto bad = [&] {
        return "bad value for " + std::string(key) + ": " + std::string(value);
    };
    if (key == "start")
        return ParseNumber(value, 0, 100000000, m.startSeconds) ? "" : bad();
    if (key == "channels")
        return ParseChannels(value, m.channels) ? "" : bad();
    if (key == "size")
        return ParseSize(value, m.width, m.height) ? "" : bad();
    if (key == "seconds")
        return ParseNumber(value, 1, 60, m.audioSeconds) ? "" : bad();
    if (key == "sound") {
        if (value == "voice")
            m.sound = SoundKind::Voice;
        else if (value == "tone")
            m.sound = SoundKind::Tone;
        else
            return bad();
        return {};
    }
    return "unknown option " + std::string(key);
}

const std::map<std::string_view, DamageKind>& DamageKinds() {
    static const std::map<std::string_view, DamageKind> kinds = {
        {"index-missing", DamageKind::IndexMissing},
        {"index-cut-short", DamageKind::IndexCutShort},
        {"trailer-damaged", DamageKind::TrailerDamaged},
        {"old-trailer", DamageKind::OldTrailer},
        {"records-66", DamageKind::ShortRecords},
        {"data-cut", DamageKind::DataCutMidBlock},
        {"short-data", DamageKind::ShortData},
        {"short-index", DamageKind::ShortIndex},
        {"unreadable-data", DamageKind::UnreadableData},
        {"unreadable-index", DamageKind::UnreadableIndex},
    };
    return kinds;
}

std::string DamageLine(const std::vector<std::string_view>& words, CardDesc& desc) {
    if (words.size() < 3)
        return "damage needs a kind and a target";
    const auto kind = DamageKinds().find(words[1]);
    if (kind == DamageKinds().end())
        return "unknown damage " + std::string(words[1]);
    DamageDesc damage;
    damage.kind = kind->second;
    Options options;
    if (!SplitOptions(words, 2, options))
        return "damage options are key=value";
    bool targeted = false;
    for (const auto& [key, value] : options) {
        std::string_view item = value, channel;
        const bool withChannel = ParsePair(value, ':', item, channel);
        if (key == "bytes") {
            if (!ParseNumber(value, 0, 29, damage.bytes))
                return "bad byte count " + std::string(value);
            continue;
        }
        if (key == "video" || key == "memo-picture") {
            if (!withChannel || !ParseNumber(item, 0, 100000, damage.item) ||
                !ParseNumber(channel, 1, 4, damage.channel))
                return "the target is " + std::string(key) + "=N:CHANNEL";
            damage.channel -= 1;
            damage.target = key == "video" ? DamageTarget::Video : DamageTarget::MemoPicture;
        } else if (key == "audio" || key == "log" || key == "memo-audio") {
            if (withChannel || !ParseNumber(value, 0, 100000, damage.item))
                return "the target is " + std::string(key) + "=N";
            damage.target = key == "audio" ? DamageTarget::Audio
                            : key == "log" ? DamageTarget::Log
                                           : DamageTarget::MemoAudio;
        } else {
            return "unknown damage option " + std::string(key);
        }
        targeted = true;
    }
    if (!targeted)
        return "damage needs a target";
    desc.damage.push_back(damage);
    return {};
}

} // namespace

std::string ApplyDescLine(std::string_view line, CardDesc& desc) {
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = Words(line);
    if (words.empty())
        return {};
    const std::string_view name = words[0];
    const auto single = [&]() -> std::string_view { return words.size() == 2 ? words[1] : ""; };
    const auto bad = [&] { return "bad " + std::string(name) + " line"; };

    if (name == "model")
        return ParseNumber(single(), 20, 24, desc.model) ? "" : bad();
    if (name == "seed")
        return ParseNumber(single(), 0, 0x7FFFFFFFFFFFFFFFLL, desc.seed) ? "" : bad();
    if (name == "start") {
        if (words.size() != 3)
            return bad();
        const std::string text = std::string(words[1]) + " " + std::string(words[2]);
        const auto time = ParseWallTime(text);
        if (!time)
            return bad();
        desc.startWallMs = *time;
        return {};
    }
    if (name == "utc-offset")
        return ParseNumber(single(), -720, 840, desc.utcOffsetMinutes) ? "" : bad();
    if (name == "carpulse")
        return ParseNumber(single(), -1, 5, desc.carPulseType) ? "" : bad();
    if (name == "serial")
        return ParseNumber(single(), 0, 999999999, desc.firstSerial) ? "" : bad();
    if (name == "quality")
        return ParseNumber(single(), 1, 6, desc.quality) ? "" : bad();
    if (name == "drid" || name == "sdid" || name == "version") {
        if (words.size() != 2 || words[1].size() > 29)
            return bad();
        (name == "drid" ? desc.drid : name == "sdid" ? desc.sdid : desc.version) = words[1];
        return {};
    }
    if (name == "logs") {
        if (single() == "auto")
            desc.autoLogs = true;
        else if (single() == "none")
            desc.autoLogs = false;
        else
            return bad();
        desc.logs.clear();
        return {};
    }
    if (name == "log") {
        LogDesc log;
        Options options;
        if (!SplitOptions(words, 1, options))
            return bad();
        for (const auto& [key, value] : options) {
            if (key == "start" && ParseNumber(value, 0, 100000000, log.startSeconds))
                continue;
            if (key == "seconds" && ParseNumber(value, 1, 4000, log.durationSeconds))
                continue;
            return bad();
        }
        desc.logs.push_back(log);
        return {};
    }
    if (name == "event" || name == "normal") {
        RecordingDesc r;
        r.kind = name == "event" ? RecordingKind::Event : RecordingKind::Normal;
        Options options;
        if (!SplitOptions(words, 1, options))
            return "options are key=value";
        for (const auto& [key, value] : options)
            if (std::string error = RecordingOption(key, value, r); !error.empty())
                return error;
        desc.recordings.push_back(std::move(r));
        return {};
    }
    if (name == "memo") {
        MemoDesc m;
        Options options;
        if (!SplitOptions(words, 1, options))
            return "options are key=value";
        for (const auto& [key, value] : options)
            if (std::string error = MemoOption(key, value, m); !error.empty())
                return error;
        desc.memos.push_back(m);
        return {};
    }
    if (name == "damage")
        return DamageLine(words, desc);
    return "unknown directive " + std::string(name);
}

std::string ApplyDescText(std::string_view text, CardDesc& desc) {
    int number = 0;
    std::size_t position = 0;
    while (position <= text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        ++number;
        if (std::string error = ApplyDescLine(text.substr(position, end - position), desc);
            !error.empty())
            return "line " + std::to_string(number) + ": " + error;
        position = end + 1;
    }
    return {};
}

namespace {

// A card of a built-in description, which is known to be valid.
CardDesc BuiltInDesc(std::string_view text) {
    CardDesc desc;
    ApplyDescText(text, desc);
    return desc;
}

} // namespace

CardDesc DemoDesc() {
    return BuiltInDesc(R"(
        model 21
        seed 2024
        start 2024-05-17 09:30:00
        # Events: a shock in full-size pictures, a hard brake, an external trigger in JPEG.
        event pre=8 post=4 code=1 size=720x480 fps=10 audio=voice
        event pre=8 post=4 code=32 ext=2 size=360x240 fps=15 audio=voice skew=1
        event pre=10 post=5 code=64 ext=4 codec=jpeg size=360x240 fps=5 audio=tone
        # Normal recording: two groups of consecutive one-minute files.
        normal files=3 fps=5 size=360x240 audio=voice marker=75:1 marker=140:32/3
        normal start=600 files=2 fps=2 size=720x480 audio=voice
        memo channels=1234
        memo channels=13 size=360x240 sound=tone
        logs auto
    )");
}

CardDesc SyncMarkDesc() {
    return BuiltInDesc(R"(
        model 21
        seed 2024
        start 2024-05-17 09:30:00
        # Four cameras of full-size MPEG-4 pictures at 30 a second with sound; every 2 s all
        # pictures flash and the sound clicks. The normal group crosses a file change.
        event pre=6 post=10 code=1 size=720x480 fps=30 audio=tone sync=2000
        normal files=2 seconds=8 size=720x480 fps=30 audio=tone sync=2000
        logs auto
    )");
}

void AddSyncMarks(CardDesc& desc, int periodMs) {
    for (RecordingDesc& recording : desc.recordings)
        if (recording.syncMarkPeriodMs == 0)
            recording.syncMarkPeriodMs = periodMs;
}

CardDesc DefaultDesc() {
    return BuiltInDesc("event pre=5 post=5\nnormal files=2\nmemo\n");
}

} // namespace trevix::mkcard
