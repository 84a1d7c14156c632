#include "catalogue/RecordingSummary.h"

#include "catalogue/CardFileCheck.h"
#include "codec/PictureBlock.h"
#include "platform/CardPath.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <vector>

namespace trevix {
namespace {

constexpr std::size_t kHeaderEventCodeOffset = 45;
constexpr std::size_t kRecordTimeOffset = 13;
constexpr std::size_t kRecordVersionOffset = 4;
constexpr std::size_t kMaxLogLineBytes = 256;

std::int64_t RecordTimeMs(const std::uint8_t* record, RecorderTimeCache& times) {
    SYSTEMTIME time = recindex::ReadSystemTime(record + kRecordTimeOffset);
    recindex::FixEpochDay(time);
    return times.ToMs(time);
}

// One whole video record at offset, checked by its magic.
bool ReadVideoRecord(const RandomAccessBytes& index, std::uint64_t offset, std::size_t size,
                     std::vector<std::uint8_t>& record) {
    record.resize(size);
    return index.ReadExact(offset, record) &&
           recindex::Le32(record.data()) == recindex::kVideoRecordMagic;
}

// First and last record times straight from a whole index; false when the index is not whole.
bool ReadIndexEnds(const RandomAccessBytes& index, VideoFileSummary& summary,
                   RecorderTimeCache& times) {
    recindex::Trailer trailer{};
    if (recindex::ReadTrailer(index, trailer) != recindex::TrailerState::Found)
        return false;
    const recindex::TrailerFields fields = recindex::ParseTrailer(trailer);
    const std::uint64_t size = index.Size();
    std::array<std::uint8_t, 4> magic{};
    const bool currentForm = index.ReadExact(size - recindex::kTrailerSize, magic) &&
                             recindex::Le32(magic.data()) == recindex::kTrailerMagic;
    const std::uint64_t recordBytes =
        size - (currentForm ? recindex::kTrailerSize : recindex::kOldTrailerSize);

    std::array<std::uint8_t, recindex::kVideoRecordSizeV1> first{};
    if (fields.count == 0 || recordBytes < first.size() || !index.ReadExact(0, first) ||
        recindex::Le32(first.data()) != recindex::kVideoRecordMagic)
        return false;
    const std::size_t recordSize = first[kRecordVersionOffset] >= 2 ? recindex::kVideoRecordSizeV2
                                                                    : recindex::kVideoRecordSizeV1;
    // An index cut short counts more records than it holds: the full reader decides what it
    // can still use.
    const std::uint64_t records = fields.count;
    std::vector<std::uint8_t> last;
    if (records > recordBytes / recordSize ||
        !ReadVideoRecord(index, (records - 1) * recordSize, recordSize, last))
        return false;

    summary.eventCodeEx = fields.eventCodeEx;
    if (fields.hasIdentifiers) {
        summary.drid = fields.drid;
        summary.sdid = fields.sdid;
    }
    if (!summary.hasHead)
        summary.eventCode = fields.eventCode;
    summary.firstFrameMs = RecordTimeMs(first.data(), times);
    summary.lastFrameMs = RecordTimeMs(last.data(), times);
    return true;
}

void ReadThroughFullIndex(const std::string& dataPath, VideoFileSummary& summary) {
    CInfoVdxFile file;
    if (!file.Load(dataPath))
        return;
    summary.eventCodeEx = file.m_nEventCodeEx;
    summary.drid = file.m_strDRID;
    summary.sdid = file.m_strSDID;
    if (!summary.hasHead)
        summary.eventCode = file.m_nEventCode;
    if (const FRAMEINFOVIDEO* first = file.GetFrameInfo(0)) {
        summary.firstFrameMs = ToRecorderMs(first->stTime);
        summary.lastFrameMs = ToRecorderMs(file.GetFrameInfo(file.m_nFrameCount - 1)->stTime);
    }
}

} // namespace

std::optional<std::uint8_t> VideoHeadEventCode(const RandomAccessBytes& data) {
    std::array<std::uint8_t, kFrameHeaderOffset + kHeaderEventCodeOffset + 1> head{};
    if (!data.ReadExact(0, head) || !StartsWithBlockMarker(head))
        return std::nullopt;
    return head[kFrameHeaderOffset + kHeaderEventCodeOffset];
}

std::optional<std::uint8_t> ReadVideoHeadEventCode(const std::string& dataPath) {
    return VideoHeadEventCode(CardFile(dataPath));
}

VideoFileSummary SummariseVideo(const RandomAccessBytes& data, const RandomAccessBytes* index,
                                const std::string& dataPath, RecorderTimeCache& times) {
    VideoFileSummary summary;
    if (const auto code = VideoHeadEventCode(data)) {
        summary.hasHead = true;
        summary.eventCode = *code;
    }
    if (!index || !ReadIndexEnds(*index, summary, times))
        ReadThroughFullIndex(dataPath, summary);
    return summary;
}

VideoFileSummary ReadVideoSummary(const std::string& dataPath) {
    const CardFile data(dataPath);
    const CardFile index(IndexPathForData(dataPath));
    RecorderTimeCache times;
    return SummariseVideo(data, index.IsOpen() ? &index : nullptr, dataPath, times);
}

std::uint8_t EventTypeOfEventFile(const std::string& path) {
    if (EndsWithNoCase(path, kEventMarkerExt))
        return ReadEventMarkerCode(path);
    return ReadVideoHeadEventCode(path).value_or(0);
}

VideoFileSummary ReadEventFileSummary(const std::string& path) {
    if (!EndsWithNoCase(path, kEventMarkerExt))
        return ReadVideoSummary(path);
    VideoFileSummary marker;
    marker.eventCode = ReadEventMarkerCode(path);
    return marker;
}

LogIdentity ParseLogIdentityLine(std::string_view line) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    constexpr std::string_view kHeader = "$MVDRL3";
    constexpr std::size_t kMaxFieldBytes = 30;
    if (line.starts_with(kBom))
        line.remove_prefix(kBom.size());
    line = line.substr(0, kMaxLogLineBytes);
    line = line.substr(0, line.find_first_of(std::string_view("\r\n\0", 3)));
    LogIdentity identity;
    if (!line.starts_with(kHeader))
        return identity;

    // Fields begin after every ',' and '*' past the first character.
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ',' || line[i] == '*') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    const auto identifier = [&](std::size_t field) -> std::string {
        if (field >= fields.size())
            return {};
        const std::string_view text = fields[field].substr(0, kMaxFieldBytes);
        return recindex::IdentifierText(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    identity.recorderId = identifier(2);
    identity.cardId = identifier(3);
    return identity;
}

namespace {

constexpr std::size_t kLogIdentityBytes = kMaxLogLineBytes + 3; // room for a byte-order mark

LogIdentity LogIdentityOf(std::span<const std::uint8_t> head) {
    head = head.first(std::min(head.size(), kLogIdentityBytes));
    return ParseLogIdentityLine(
        std::string_view(reinterpret_cast<const char*>(head.data()), head.size()));
}

LogIdentity LogIdentityOf(const RandomAccessBytes& log) {
    std::array<std::uint8_t, kLogIdentityBytes> buffer{};
    return LogIdentityOf(std::span(buffer).first(log.ReadAt(0, buffer)));
}

// Seconds from the first to the last sample of a log, at most 3600.
std::optional<int> DurationOf(const std::optional<LogSampleTimes>& times) {
    constexpr std::int64_t kMaxSeconds = 3600;
    if (!times)
        return std::nullopt;
    return static_cast<int>(
        std::clamp<std::int64_t>((times->last - times->first) / 1000, 0, kMaxSeconds));
}

} // namespace

LogIdentity ReadLogIdentity(const std::string& path) {
    return LogIdentityOf(CardFile(path));
}

LogFileSummary SummariseLog(const RandomAccessBytes& log, RecorderTimeCache& times) {
    // Read whole, as far as the log loader reads it; a log that cannot be read so far has no
    // duration, and its identity is read from its head alone.
    // Not zeroed first: every byte is read over.
    const auto size = static_cast<std::size_t>(std::min(log.Size(), kMaxLogFileBytes));
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    const std::span<std::uint8_t> text(buffer.get(), size);
    if (text.empty() || !log.ReadExact(0, text)) {
        LogFileSummary summary;
        summary.identity = LogIdentityOf(log);
        return summary;
    }
    return SummariseLogText(text, times);
}

LogFileSummary SummariseLogText(std::span<const std::uint8_t> text, RecorderTimeCache& times) {
    LogFileSummary summary;
    summary.identity = LogIdentityOf(text);
    summary.durationSeconds = DurationOf(ReadLogSampleTimes(text, times));
    return summary;
}

LogFileSummary ReadLogSummary(const std::string& path) {
    RecorderTimeCache times;
    return SummariseLog(CardFile(path), times);
}

} // namespace trevix
