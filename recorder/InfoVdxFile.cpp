#include "recorder/InfoVdxFile.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"
#include "recorder/CardLayout.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace trevix {

namespace recindex {

std::uint16_t Le16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

double LeDouble(const std::uint8_t* bytes) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

SYSTEMTIME ReadSystemTime(const std::uint8_t* bytes) {
    SYSTEMTIME time;
    time.wYear = Le16(bytes);
    time.wMonth = Le16(bytes + 2);
    time.wDayOfWeek = Le16(bytes + 4);
    time.wDay = Le16(bytes + 6);
    time.wHour = Le16(bytes + 8);
    time.wMinute = Le16(bytes + 10);
    time.wSecond = Le16(bytes + 12);
    time.wMilliseconds = Le16(bytes + 14);
    return time;
}

TrailerState ReadTrailer(const RandomAccessBytes& index, Trailer& trailer) {
    const std::uint64_t size = index.Size();
    trailer.fill(0);
    if (size < kTrailerSize || !index.ReadExact(size - kTrailerSize, trailer))
        return TrailerState::Missing;
    if (Le32(trailer.data()) == kTrailerMagic)
        return TrailerState::Found;
    // Older recorders end the file with the first 26 bytes of the trailer only.
    std::array<std::uint8_t, kOldTrailerSize> old{};
    std::memcpy(old.data(), trailer.data() + kTrailerSize - kOldTrailerSize, kOldTrailerSize);
    trailer.fill(0);
    std::memcpy(trailer.data(), old.data(), kOldTrailerSize);
    return Le32(trailer.data()) == kTrailerMagic ? TrailerState::Found : TrailerState::Damaged;
}

std::string IdentifierText(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    const auto length = static_cast<qsizetype>(end - field.begin());
    // Plain ASCII (what recorders write) is one character a byte.
    if (std::all_of(field.begin(), end, [](std::uint8_t byte) { return byte < 0x80; }))
        return std::string(reinterpret_cast<const char*>(field.data()),
                           static_cast<std::size_t>(std::min<qsizetype>(length, 10)));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(field.data()), length);
    // Ten characters, never splitting a surrogate pair.
    qsizetype cut = 0;
    for (int characters = 0; cut < text.size() && characters < 10; ++characters)
        cut += (text[cut].isHighSurrogate() && cut + 1 < text.size()) ? 2 : 1;
    return text.left(cut).toStdString();
}

TrailerFields ParseTrailer(const Trailer& trailer) {
    TrailerFields fields;
    fields.indexVer = trailer[5];
    fields.channel = trailer[6];
    fields.eventCode = trailer[7];
    fields.streamType = trailer[8];
    fields.codec = trailer[9];
    fields.count = Le32(trailer.data() + 10);
    fields.hasIdentifiers = fields.indexVer != 0;
    if (fields.hasIdentifiers) {
        fields.drid = IdentifierText(std::span(trailer).subspan(26, 30));
        fields.sdid = IdentifierText(std::span(trailer).subspan(56, 30));
        fields.eventCodeEx = trailer[86];
        fields.extra = {trailer[87], trailer[88]};
    }
    return fields;
}

void FixEpochDay(SYSTEMTIME& time) {
    if (time.wYear == 1970 && time.wMonth == 1 && time.wDay == 1)
        time.wDay = 2;
}

bool IsInNormalFolder(std::string_view path) {
    return FindNoCase(path, "/normal/") != std::string_view::npos;
}

std::size_t FindMarker(std::span<const std::uint8_t> data, std::size_t from,
                       const BlockMarker& marker) {
    if (data.size() < marker.size())
        return kNotFound;
    const std::size_t lastStart = data.size() - marker.size();
    const std::uint8_t* const base = data.data();
    while (from <= lastStart) {
        const void* hit = std::memchr(base + from, marker[0], lastStart - from + 1);
        if (hit == nullptr)
            return kNotFound;
        const auto at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - base);
        if (std::memcmp(base + at + 1, marker.data() + 1, marker.size() - 1) == 0)
            return at;
        from = at + 1;
    }
    return kNotFound;
}

} // namespace recindex

using namespace recindex;

double RoundToFourDecimals(double value) {
    if (!std::isfinite(value))
        return value;
    char text[400];
    const auto written =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 4);
    if (written.ec != std::errc())
        return value;
    double parsed = value;
    std::from_chars(std::begin(text), written.ptr, parsed);
    return parsed;
}

bool IsRecorderPositionPlausible(double lat, double lon, int mapType) {
    if (mapType == 2 || mapType == 3)
        return lat >= 3210 && lat <= 4351 && lon >= 11810 && lon <= 13524;
    return lat >= -9000 && lat <= 9000 && lon >= -18000 && lon <= 18000 && !(lat == 0 && lon == 0);
}

namespace {

// Whole degrees, whole minutes and seconds of |ddmm.mmmm|. Values that no recorder writes (not
// finite, or too large for the 16-bit fields) give zero rather than an undefined conversion.
void SplitDegrees(double value, std::uint16_t& degrees, std::uint16_t& minutes, float& seconds) {
    const double magnitude = std::fabs(value);
    if (!std::isfinite(magnitude) || magnitude >= 6553600.0) {
        degrees = minutes = 0;
        seconds = 0.0f;
        return;
    }
    const double wholeDegrees = std::trunc(magnitude / 100.0);
    const double wholeMinutes = std::trunc(magnitude - 100.0 * wholeDegrees);
    degrees = static_cast<std::uint16_t>(wholeDegrees);
    minutes = static_cast<std::uint16_t>(std::clamp(wholeMinutes, 0.0, 65535.0));
    seconds = static_cast<float>((magnitude - (100.0 * wholeDegrees + wholeMinutes)) * 60.0);
}

} // namespace

GPSINFO ConvertRecorderPosition(std::uint8_t validByte, double lat, double lon, int mapType) {
    lat = RoundToFourDecimals(lat);
    lon = RoundToFourDecimals(lon);
    GPSINFO gps;
    gps.chLatHemi = lat >= 0 ? 'N' : 'S';
    gps.chLonHemi = lon >= 0 ? 'E' : 'W';
    SplitDegrees(lat, gps.wLatDeg, gps.wLatMin, gps.fLatSec);
    SplitDegrees(lon, gps.wLonDeg, gps.wLonMin, gps.fLonSec);
    gps.byGpsValid = IsRecorderPositionPlausible(lat, lon, mapType) ? validByte : 0;
    return gps;
}

namespace {

constexpr std::size_t kBlockHeaderOffset = 6;
constexpr std::size_t kBlockHeaderSize = 60;

bool IsKnownRecordMagic(std::uint32_t magic) {
    return magic == kVideoRecordMagic || magic == kAudioRecordMagic;
}

// The time check of an index record (month 1-12, day 1-31, hh:mm:ss.mmm in range).
bool IsRecordTimeValid(const SYSTEMTIME& time) {
    return time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 && time.wDay <= 31 &&
           time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 &&
           time.wMilliseconds <= 999;
}

bool IsIndexedFrameType(std::uint8_t type) {
    return type == kFrameTypeJpeg || type == kFrameTypeIntra || type == kFrameTypePredicted;
}

FRAMEINFOVIDEO ConvertIndexRecord(const std::uint8_t* record, std::size_t recordSize, int mapType) {
    FRAMEINFOVIDEO frame;
    frame.dwOffset = Le32(record + 5);
    frame.dwSize = Le32(record + 9);
    frame.stTime = ReadSystemTime(record + 13);
    FixEpochDay(frame.stTime);
    frame.byType = record[29];
    frame.byPhase = record[30];
    frame.fGx = static_cast<std::int16_t>(Le16(record + 31)) / 1000.0f;
    frame.fGy = static_cast<std::int16_t>(Le16(record + 33)) / 1000.0f;
    frame.fGz = static_cast<std::int16_t>(Le16(record + 35)) / 1000.0f;
    frame.gps =
        ConvertRecorderPosition(record[37], LeDouble(record + 38), LeDouble(record + 46), mapType);
    frame.gps.wGpsA = Le16(record + 54);
    frame.gps.wGpsB = Le16(record + 56);
    frame.gps.wGpsC = Le16(record + 58);
    frame.byAux = record[60];
    frame.byFlags = record[61];
    frame.byEventCode = record[62];
    frame.wSpeedRaw = Le16(record + 64);
    frame.byEventCodeEx = recordSize >= kVideoRecordSizeV2 ? record[66] : 0;
    return frame;
}

struct ScanResult {
    std::vector<FRAMEINFOVIDEO>* records = nullptr;
    std::uint8_t lastEventCode = 0;
    std::uint8_t codec = kCodecMpeg4;
    bool anyNormalPhase = false;
    std::size_t oversized = 0;
};

// Walks the picture blocks of a data file; the last block (no marker after it) is not taken.
void ScanBlocks(std::span<const std::uint8_t> data, int filter, int mapType, ScanResult& result) {
    // Offsets are 32-bit in the records; a block beyond 4 GiB cannot be described.
    if (data.size() > 0xFFFFFFFFull)
        data = data.first(0xFFFFFFFFull);
    std::size_t at = FindMarker(data, 0, kBlockMarker);
    while (at != kNotFound) {
        const std::size_t next = FindMarker(data, at + 4, kBlockMarker);
        if (next == kNotFound)
            break;
        std::uint8_t header[kBlockHeaderSize] = {};
        const std::size_t headerStart = at + kBlockHeaderOffset;
        if (headerStart < data.size())
            std::memcpy(header, data.data() + headerStart,
                        std::min(kBlockHeaderSize, data.size() - headerStart));
        const std::size_t size = next - at;
        at = next;

        const std::uint8_t type = header[52];
        if (filter >= kKeyFrameFilter && !IsKeyFrameType(type))
            continue;
        SYSTEMTIME time;
        time.wYear = static_cast<std::uint16_t>(2000 + header[0]);
        time.wMonth = header[1];
        time.wDay = header[2];
        time.wHour = header[3];
        time.wMinute = header[4];
        time.wSecond = header[5];
        time.wMilliseconds = Le16(header + 6);
        if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 || time.wDay > 31 ||
            time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59)
            continue;
        if (size > kMaxBlockSize) {
            ++result.oversized;
            continue;
        }
        FRAMEINFOVIDEO frame;
        frame.dwOffset = static_cast<std::uint32_t>(next - size);
        frame.dwSize = static_cast<std::uint32_t>(size);
        frame.stTime = time;
        frame.wSpeedRaw = Le16(header + 10);
        frame.byPhase = header[12];
        frame.gps = ConvertRecorderPosition(header[13], LeDouble(header + 22),
                                            LeDouble(header + 30), mapType);
        frame.gps.wGpsB = Le16(header + 38);
        frame.gps.wGpsA = header[40];
        frame.gps.wGpsC = Le16(header + 41);
        frame.byAux = header[43];
        frame.byFlags = header[44];
        frame.byEventCode = header[45];
        frame.fGx = static_cast<std::int16_t>(Le16(header + 46)) / 1000.0f;
        frame.fGy = static_cast<std::int16_t>(Le16(header + 48)) / 1000.0f;
        frame.fGz = static_cast<std::int16_t>(Le16(header + 50)) / 1000.0f;
        frame.byType = type;
        result.records->push_back(frame);
        result.lastEventCode = frame.byEventCode;
        result.codec = type == kFrameTypeJpeg ? kCodecJpeg : kCodecMpeg4;
        result.anyNormalPhase = result.anyNormalPhase || frame.byPhase == 1;
    }
}

// The event code of the first block, found by walking the JPEG-style segments of the file's
// first 2048 bytes to the comment segment that holds the frame header.
bool FirstBlockEventCode(std::span<const std::uint8_t> data, std::uint8_t& code) {
    const std::size_t limit = std::min<std::size_t>(data.size(), 2048);
    std::size_t at = 0;
    if (limit >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        at = 2;
    while (at + 4 <= limit && data[at] == 0xFF) {
        const std::uint8_t kind = data[at + 1];
        if (kind == 0xE0 || kind == 0xE1) {
            at += 2 + ((static_cast<std::size_t>(data[at + 2]) << 8) | data[at + 3]);
            continue;
        }
        if (kind == 0xFE && at + 49 < limit) {
            code = data[at + 49];
            return true;
        }
        break;
    }
    return false;
}

} // namespace

bool CInfoVdxFile::Load(const std::string& dataPath, int filter) {
    Clear();
    const std::string indexPath = IndexPathForData(dataPath);
    ReadOnlyFile index;
    if (!index.Open(indexPath))
        return ScanFile(dataPath, filter);
    return LoadIndex(index, indexPath, dataPath, filter);
}

bool CInfoVdxFile::LoadFromBytes(std::span<const std::uint8_t> index,
                                 std::span<const std::uint8_t> data, const std::string& dataPath,
                                 int filter) {
    Clear();
    const std::string indexPath = IndexPathForData(dataPath);
    if (index.empty())
        return ScanBytes(data, dataPath, filter);
    const MemoryBytes indexBytes(index);
    Trailer trailer;
    if (ReadTrailer(indexBytes, trailer) == TrailerState::Missing)
        return ScanBytes(data, dataPath, filter);
    return LoadIndex(indexBytes, indexPath, dataPath, filter);
}

bool CInfoVdxFile::LoadIndex(const RandomAccessBytes& index, const std::string& indexPath,
                             const std::string& dataPath, int filter) {
    Trailer trailer;
    switch (ReadTrailer(index, trailer)) {
    case TrailerState::Missing:
        return ScanFile(dataPath, filter);
    case TrailerState::Damaged:
        return Recover(index, indexPath, dataPath, filter);
    case TrailerState::Found:
        break;
    }
    const TrailerFields fields = ParseTrailer(trailer);
    TakeTrailer(fields, IsInNormalFolder(dataPath) ? 0 : fields.eventCode);

    std::array<std::uint8_t, kVideoRecordSizeV2> record{};
    if (!index.ReadExact(0, record)) {
        m_strName = indexPath;
        return true;
    }
    const std::size_t recordSize = record[4] >= 2 ? kVideoRecordSizeV2 : kVideoRecordSizeV1;
    const std::uint32_t expectedMagic =
        m_nStreamType == kStreamAudio ? kAudioRecordMagic : kVideoRecordMagic;

    // The count is the trailer's word; the file itself bounds how many records can be read.
    const std::uint64_t fileRecords = index.Size() / recordSize;
    std::vector<FRAMEINFOVIDEO> records;
    records.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(fields.count, fileRecords)));
    std::uint64_t previousEnd = 0;
    std::uint64_t previousStart = 0;
    const std::span<std::uint8_t> recordBytes(record.data(), recordSize);
    BufferedReader reader(index);
    for (std::uint64_t i = 0; i < fields.count; ++i) {
        if (!reader.ReadExact(i * recordSize, recordBytes))
            break;
        if (Le32(record.data()) != expectedMagic)
            continue;
        const std::uint32_t offset = Le32(record.data() + 5);
        const std::uint32_t size = Le32(record.data() + 9);
        if (offset < previousEnd) {
            TRACE("invalid offset1");
            continue;
        }
        if (offset > previousStart + kMaxBlockSize) {
            TRACE("invalid offset2");
            continue;
        }
        if (size > kMaxBlockSize) {
            TRACE("invalid enc stream size");
            continue;
        }
        const std::uint8_t type = record[29];
        if (filter >= kKeyFrameFilter && !IsKeyFrameType(type)) {
            previousStart = offset;
            continue;
        }
        if (!IsRecordTimeValid(ReadSystemTime(record.data() + 13)) || !IsIndexedFrameType(type))
            continue;
        records.push_back(ConvertIndexRecord(record.data(), recordSize, m_nMapType));
        previousEnd = static_cast<std::uint64_t>(offset) + size;
        previousStart = offset;
    }
    TakeRecords(std::move(records));
    m_strName = indexPath;
    TRACE("%s", m_strName.c_str());
    return true;
}

bool CInfoVdxFile::Recover(const RandomAccessBytes& index, const std::string& indexPath,
                           const std::string& dataPath, int filter) {
    Clear();
    m_nCodec = kCodecMpeg4;
    m_nEventCode = 0;
    std::array<std::uint8_t, kVideoRecordSizeV2> record{};
    if (!index.ReadExact(0, record)) {
        m_strName = indexPath;
        return true;
    }
    const std::size_t recordSize = record[4] >= 2 ? kVideoRecordSizeV2 : kVideoRecordSizeV1;
    const std::uint64_t count = index.Size() / recordSize;
    std::vector<FRAMEINFOVIDEO> records;
    records.reserve(static_cast<std::size_t>(count));
    std::uint32_t expectedMagic = 0;
    std::uint8_t lastVersion = m_nIndexVer;
    const std::span<std::uint8_t> recordBytes(record.data(), recordSize);
    BufferedReader reader(index);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!reader.ReadExact(i * recordSize, recordBytes))
            break;
        lastVersion = record[4];
        const std::uint32_t magic = Le32(record.data());
        if (expectedMagic == 0 && IsKnownRecordMagic(magic))
            expectedMagic = magic;
        if (magic != expectedMagic || expectedMagic == 0)
            continue;
        const std::uint8_t type = record[29];
        if (filter >= kKeyFrameFilter && !IsKeyFrameType(type))
            continue;
        if (Le32(record.data() + 9) > kMaxBlockSize)
            continue;
        if (!IsRecordTimeValid(ReadSystemTime(record.data() + 13)) || !IsIndexedFrameType(type))
            continue;
        records.push_back(ConvertIndexRecord(record.data(), recordSize, m_nMapType));
        if (type == kFrameTypeJpeg)
            m_nCodec = kCodecJpeg;
    }
    TakeRecords(std::move(records));
    m_nIndexVer = lastVersion;
    m_nChannel = 0;
    if (IsInNormalFolder(dataPath))
        m_nEventCode = 0;
    if (expectedMagic == kVideoRecordMagic) {
        m_nStreamType = kStreamVideo;
    } else {
        m_nStreamType = kStreamAudio;
        m_nCodec = kCodecG711;
    }
    m_strName = indexPath;
    TRACE("%s - Idx Header crashed", m_strName.c_str());
    return true;
}

bool CInfoVdxFile::ScanFile(const std::string& dataPath, int filter) {
    Clear();
    MappedFile mapping;
    if (!mapping.Open(dataPath)) {
        TraceMappingFailure(mapping.LastError());
        return false;
    }
    return ScanBytes(mapping.Bytes(), dataPath, filter);
}

bool CInfoVdxFile::ScanBytes(std::span<const std::uint8_t> data, const std::string& dataPath,
                             int filter) {
    Clear();
    if (data.empty())
        return false;
    m_nIndexVer = 0;
    m_nChannel = static_cast<std::uint8_t>(std::max(ChannelFromPath(dataPath), 0));
    m_nEventCode = 0;
    m_nStreamType = kStreamVideo;
    m_nCodec = kCodecMpeg4;

    std::vector<FRAMEINFOVIDEO> records;
    ScanResult result;
    result.records = &records;
    std::uint8_t firstEventCode = 0;
    bool hasFirstEventCode = false;
    auto walk = [&] {
        ScanBlocks(data, filter, m_nMapType, result);
        hasFirstEventCode = FirstBlockEventCode(data, firstEventCode);
    };
    const bool whole = ReadMappingGuarded(walk);
    if (!whole)
        TRACE("Fail to MapViewOfFile");
    if (result.oversized > 0)
        TRACE("invalid enc stream size");
    if (!records.empty()) {
        m_nEventCode = result.lastEventCode;
        m_nCodec = result.codec;
    }
    if (hasFirstEventCode)
        m_nEventCode = firstEventCode;
    if (result.anyNormalPhase || IsInNormalFolder(dataPath))
        m_nEventCode = 0;
    TakeRecords(std::move(records));
    TRACE("VDD parsing total frame:%d", m_nFrameCount);
    TRACE("%s", dataPath.c_str());
    m_strName = IndexPathForData(dataPath);
    return true;
}

int CInfoVdxFile::FindLastKeyFrame() {
    if (m_nCodec == kCodecJpeg) {
        m_nCurFrame = m_nFrameCount - 1;
    } else if (m_nCodec == kCodecMpeg4) {
        m_nCurFrame = -1;
        for (int i = m_nFrameCount - 1; i >= 0; --i)
            if (m_pFrames[static_cast<std::size_t>(i)].byType == kFrameTypeIntra) {
                m_nCurFrame = i;
                break;
            }
    }
    return m_nCurFrame;
}

float CInfoVdxFile::GetFrameRate() const {
    if (m_nFrameCount <= 1)
        return 1.0f;
    const double seconds = static_cast<double>(ToRecorderMs(m_pFrames.back().stTime) -
                                               ToRecorderMs(m_pFrames.front().stTime)) /
                           1000.0;
    if (!(seconds > 0.0))
        return 1.0f;
    return static_cast<float>(m_nFrameCount / seconds);
}

} // namespace trevix
