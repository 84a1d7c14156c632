#include "catalogue/RecordingSummary.h"

#include "catalogue/CardFileCheck.h"
#include "platform/CardPath.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace trevix {
namespace {

constexpr std::array<std::uint8_t, 4> kBlockMarker = {0xFF, 0xD8, 0xFF, 0xFE};
constexpr std::size_t kFrameHeaderOffset = 6;
constexpr std::size_t kHeaderEventCodeOffset = 45;
constexpr std::size_t kRecordTimeOffset = 13;
constexpr std::size_t kRecordVersionOffset = 4;
constexpr std::size_t kMaxLogLineBytes = 256;

std::int64_t RecordTimeMs(const std::uint8_t* record) {
    SYSTEMTIME time = recindex::ReadSystemTime(record + kRecordTimeOffset);
    recindex::FixEpochDay(time);
    return ToRecorderMs(time);
}

// One whole video record at offset, checked by its magic.
bool ReadVideoRecord(const RandomAccessBytes& index, std::uint64_t offset, std::size_t size,
                     std::vector<std::uint8_t>& record) {
    record.resize(size);
    return index.ReadExact(offset, record) &&
           recindex::Le32(record.data()) == recindex::kVideoRecordMagic;
}

// First and last record times straight from a whole index; false when the index is not whole.
bool ReadIndexEnds(const RandomAccessBytes& index, VideoFileSummary& summary) {
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
    summary.firstFrameMs = RecordTimeMs(first.data());
    summary.lastFrameMs = RecordTimeMs(last.data());
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

std::optional<std::uint8_t> ReadVideoHeadEventCode(const std::string& dataPath) {
    const CardFile data(dataPath);
    std::array<std::uint8_t, kFrameHeaderOffset + kHeaderEventCodeOffset + 1> head{};
    if (!data.IsOpen() || !data.ReadExact(0, head) ||
        !std::equal(kBlockMarker.begin(), kBlockMarker.end(), head.begin()))
        return std::nullopt;
    return head[kFrameHeaderOffset + kHeaderEventCodeOffset];
}

VideoFileSummary ReadVideoSummary(const std::string& dataPath) {
    VideoFileSummary summary;
    if (const auto code = ReadVideoHeadEventCode(dataPath)) {
        summary.hasHead = true;
        summary.eventCode = *code;
    }
    const CardFile index(IndexPathForData(dataPath));
    if (!index.IsOpen() || !ReadIndexEnds(index, summary))
        ReadThroughFullIndex(dataPath, summary);
    return summary;
}

std::uint8_t EventTypeOfEventFile(const std::string& path) {
    if (EndsWithNoCase(path, kEventMarkerExt))
        return ReadEventMarkerCode(path);
    return ReadVideoHeadEventCode(path).value_or(0);
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

LogIdentity ReadLogIdentity(const std::string& path) {
    const CardFile file(path);
    std::array<std::uint8_t, kMaxLogLineBytes + 3> buffer{}; // room for a byte-order mark
    const std::size_t count = file.IsOpen() ? file.ReadAt(0, buffer) : 0;
    return ParseLogIdentityLine(
        std::string_view(reinterpret_cast<const char*>(buffer.data()), count));
}

std::optional<int> ReadLogDurationSeconds(const std::string& path) {
    constexpr std::int64_t kMaxSeconds = 3600;
    CInfoLogFile log;
    if (log.Load(path) != 1 || log.m_nSampleCount <= 0)
        return std::nullopt;
    const std::int64_t first = log.GetSample(0)->llTime;
    const std::int64_t last = log.GetSample(log.m_nSampleCount - 1)->llTime;
    return static_cast<int>(std::clamp<std::int64_t>((last - first) / 1000, 0, kMaxSeconds));
}

} // namespace trevix
