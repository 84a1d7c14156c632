#include "tools/mkcard/Damage.h"

#include "tools/mkcard/FileOutput.h"

#include <fstream>
#include <iterator>

namespace trevix::mkcard {
namespace {

namespace fs = std::filesystem;

bool Applies(const DamageDesc& d, DamageTarget target, int item, int channel) {
    return d.target == target && d.item == item &&
           (target != DamageTarget::Video || d.channel == channel);
}

bool IsIndexKind(DamageKind kind) {
    return kind == DamageKind::IndexMissing || kind == DamageKind::IndexCutShort ||
           kind == DamageKind::TrailerDamaged || kind == DamageKind::OldTrailer ||
           kind == DamageKind::ShortRecords || kind == DamageKind::ShortIndex ||
           kind == DamageKind::UnreadableIndex;
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Truncate(const fs::path& path, std::uintmax_t size) {
    std::error_code error;
    fs::resize_file(path, size, error);
    return !error;
}

bool KeepFirstBytes(const fs::path& path, int bytes) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error)
        return false;
    return Truncate(path, std::min<std::uintmax_t>(size, static_cast<std::uintmax_t>(bytes)));
}

bool MakeUnreadable(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    if (error)
        return false;
    // A relative target that does not exist next to the link.
    fs::create_symlink(fs::path(".unreadable") / path.filename(), path, error);
    return !error;
}

// The files a damage entry names: data and index (index empty for kinds without one), and for
// cutting the data inside a block, where its last block starts and how long it is.
struct Target {
    fs::path data;
    fs::path index;
    std::uint64_t lastBlockOffset = 0;
    std::uint64_t lastBlockSize = 0;
};

std::optional<Target> FindTarget(const DamageDesc& d, const WrittenCard& card) {
    Target target;
    const auto item = static_cast<std::size_t>(d.item);
    if (d.item < 0)
        return std::nullopt;
    switch (d.target) {
    case DamageTarget::Video: {
        if (item >= card.recordings.size())
            return std::nullopt;
        const WrittenChannel* channel = card.recordings[item].Channel(d.channel);
        if (channel == nullptr)
            return std::nullopt;
        target.data = channel->data;
        target.index = channel->index;
        if (!channel->frames.empty()) {
            target.lastBlockOffset = channel->frames.back().offset;
            target.lastBlockSize = channel->frames.back().size;
        }
        return target;
    }
    case DamageTarget::Audio: {
        if (item >= card.recordings.size() || !card.recordings[item].audio)
            return std::nullopt;
        const WrittenAudio& audio = *card.recordings[item].audio;
        target.data = audio.data;
        target.index = audio.index;
        if (!audio.blockTimes.empty()) {
            target.lastBlockOffset = (audio.blockTimes.size() - 1) * kAudioBlockSize;
            target.lastBlockSize = kAudioBlockSize;
        }
        return target;
    }
    case DamageTarget::Log:
        if (item >= card.logs.size())
            return std::nullopt;
        target.data = card.logs[item].path;
        return target;
    case DamageTarget::MemoAudio:
        if (item >= card.memos.size())
            return std::nullopt;
        target.data = card.memos[item].audio;
        return target;
    case DamageTarget::MemoPicture:
        if (item >= card.memos.size() || d.channel < 0 || d.channel > 3 ||
            card.memos[item].pictures[d.channel].empty())
            return std::nullopt;
        target.data = card.memos[item].pictures[d.channel];
        return target;
    }
    return std::nullopt;
}

} // namespace

IndexForm IndexFormFor(const std::vector<DamageDesc>& damage, DamageTarget target, int item,
                       int channel) {
    IndexForm form;
    for (const DamageDesc& d : damage) {
        if (!Applies(d, target, item, channel))
            continue;
        switch (d.kind) {
        case DamageKind::IndexCutShort:
            form.cutShort = true;
            break;
        case DamageKind::TrailerDamaged:
            form.trailer = TrailerForm::Damaged;
            break;
        case DamageKind::OldTrailer:
            form.trailer = TrailerForm::Old;
            break;
        case DamageKind::ShortRecords:
            if (target == DamageTarget::Video)
                form.records = RecordForm::Short66;
            break;
        default:
            break;
        }
    }
    return form;
}

Bytes MakeIndexFile(const std::vector<Bytes>& records, const TrailerFields& trailer,
                    const IndexForm& form) {
    Bytes file;
    const std::size_t kept = form.cutShort ? records.size() / 2 : records.size();
    for (std::size_t i = 0; i < kept; ++i)
        Append(file, records[i]);
    switch (form.trailer) {
    case TrailerForm::Current:
        Append(file, MakeTrailer(trailer));
        break;
    case TrailerForm::Old:
        Append(file, MakeOldTrailer(trailer));
        break;
    case TrailerForm::Damaged: {
        auto damaged = MakeTrailer(trailer);
        FieldWriter(damaged).U32(0, 0x00000000);
        Append(file, damaged);
        break;
    }
    }
    return file;
}

bool WriteIndexFile(const fs::path& path, const std::vector<Bytes>& records,
                    const TrailerFields& trailer, const IndexForm& form) {
    return WriteFileBytes(path, MakeIndexFile(records, trailer, form));
}

std::string ApplyDamage(const std::vector<DamageDesc>& damage, WrittenCard& card) {
    for (const DamageDesc& d : damage) {
        const std::optional<Target> target = FindTarget(d, card);
        if (!target)
            return "a damage entry names no written file";
        if (IsIndexKind(d.kind) && target->index.empty())
            return "index damage needs a video or audio recording";
        if (d.kind == DamageKind::ShortRecords && d.target != DamageTarget::Video)
            return "66-byte records exist only in video indexes";
        bool done = true;
        fs::path changed = IsIndexKind(d.kind) ? target->index : target->data;
        switch (d.kind) {
        case DamageKind::IndexCutShort:
        case DamageKind::TrailerDamaged:
        case DamageKind::OldTrailer:
        case DamageKind::ShortRecords:
            break; // chosen when the index was written
        case DamageKind::IndexMissing: {
            std::error_code error;
            done = fs::remove(target->index, error);
            break;
        }
        case DamageKind::DataCutMidBlock:
            if (target->lastBlockSize > 0) {
                done = Truncate(target->data, target->lastBlockOffset + target->lastBlockSize / 2);
            } else {
                // A text or memo file: cut inside its last 16 bytes.
                const Bytes bytes = ReadAll(target->data);
                done = bytes.size() > 16 && Truncate(target->data, bytes.size() - 9);
            }
            break;
        case DamageKind::ShortData:
            done = KeepFirstBytes(target->data, d.bytes >= 0 ? std::min(d.bytes, 29) : 20);
            break;
        case DamageKind::ShortIndex:
            done = KeepFirstBytes(target->index, d.bytes >= 0 ? std::min(d.bytes, 9) : 5);
            break;
        case DamageKind::UnreadableData:
        case DamageKind::UnreadableIndex:
            done = MakeUnreadable(changed);
            break;
        }
        if (!done)
            return "cannot damage " + changed.string();
        card.damaged.push_back(changed);
    }
    return {};
}

} // namespace trevix::mkcard
