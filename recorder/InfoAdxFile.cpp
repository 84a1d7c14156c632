#include "recorder/InfoAdxFile.h"

#include "app/TraceLog.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoVdxFile.h"

#include <algorithm>

namespace trevix {

using namespace recindex;

bool IsAudioBlockTimeValid(const SYSTEMTIME& time) {
    return time.wYear >= 2000 && time.wYear <= 2050 && time.wMonth <= 12 && time.wDay <= 31 &&
           time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

namespace {

// Walks the blocks; the last block (no separator after it) is not taken.
void ScanAudioBlocks(std::span<const std::uint8_t> data, std::vector<FRAMEINFOAUDIO>& records) {
    if (data.size() > 0xFFFFFFFFull)
        data = data.first(0xFFFFFFFFull);
    std::size_t start = 0;
    if (data.size() < 2 || data[0] != 0xFF || data[1] != 0xD8) {
        const std::size_t separator = FindMarker(data, 0, kAudioBlockSeparator);
        if (separator == kNotFound)
            return;
        start = separator + 2;
    }
    for (;;) {
        const std::size_t separator = FindMarker(data, start + 4, kAudioBlockSeparator);
        if (separator == kNotFound)
            break;
        // The separator lies at least 4 bytes after start, so the time may still run past it;
        // it is read only where the file holds it.
        if (start + kAudioBlockSamplesOffset <= data.size()) {
            const SYSTEMTIME time = ReadSystemTime(data.data() + start + kAudioBlockTimeOffset);
            if (IsAudioBlockTimeValid(time)) {
                FRAMEINFOAUDIO frame;
                frame.dwOffset = static_cast<std::uint32_t>(start);
                frame.dwSize = kAudioBlockSamples;
                frame.stTime = time;
                records.push_back(frame);
            }
        }
        start = separator + 2;
    }
}

} // namespace

bool CInfoAdxFile::Load(const std::string& dataPath) {
    Clear();
    const std::string indexPath = IndexPathForData(dataPath);
    ReadOnlyFile index;
    if (!index.Open(indexPath))
        return ScanFile(dataPath);
    return LoadIndex(index, indexPath, dataPath);
}

bool CInfoAdxFile::LoadFromBytes(std::span<const std::uint8_t> index,
                                 std::span<const std::uint8_t> data, const std::string& dataPath) {
    Clear();
    if (index.empty())
        return ScanBytes(data, dataPath);
    const MemoryBytes indexBytes(index);
    Trailer trailer;
    if (ReadTrailer(indexBytes, trailer) == TrailerState::Missing)
        return ScanBytes(data, dataPath);
    return LoadIndex(indexBytes, IndexPathForData(dataPath), dataPath);
}

bool CInfoAdxFile::LoadIndex(const RandomAccessBytes& index, const std::string& indexPath,
                             const std::string& dataPath) {
    Trailer trailer;
    switch (ReadTrailer(index, trailer)) {
    case TrailerState::Missing:
        return ScanFile(dataPath);
    case TrailerState::Damaged:
        return Recover(index, indexPath);
    case TrailerState::Found:
        break;
    }
    const TrailerFields fields = ParseTrailer(trailer);
    TakeTrailer(fields, fields.eventCode);
    const std::uint32_t expectedMagic =
        m_nStreamType == kStreamVideo ? kVideoRecordMagic : kAudioRecordMagic;
    const std::uint64_t fileRecords = index.Size() / kAudioRecordSize;
    std::vector<FRAMEINFOAUDIO> records;
    records.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(fields.count, fileRecords)));
    std::array<std::uint8_t, kAudioRecordSize> record{};
    BufferedReader reader(index);
    for (std::uint64_t i = 0; i < fields.count; ++i) {
        if (!reader.ReadExact(i * kAudioRecordSize, record))
            break;
        if (Le32(record.data()) != expectedMagic)
            continue;
        FRAMEINFOAUDIO frame;
        frame.dwOffset = Le32(record.data() + 5);
        frame.dwSize = Le32(record.data() + 9);
        frame.stTime = ReadSystemTime(record.data() + 13);
        FixEpochDay(frame.stTime);
        records.push_back(frame);
    }
    TakeRecords(std::move(records));
    m_strName = indexPath;
    TRACE("%s", m_strName.c_str());
    return true;
}

bool CInfoAdxFile::Recover(const RandomAccessBytes& index, const std::string& indexPath) {
    Clear();
    m_nCodec = kCodecG711;
    m_nEventCode = 0;
    const std::uint64_t count = index.Size() / kAudioRecordSize;
    std::vector<FRAMEINFOAUDIO> records;
    records.reserve(static_cast<std::size_t>(count));
    std::uint32_t expectedMagic = 0;
    std::uint8_t lastVersion = m_nIndexVer;
    std::array<std::uint8_t, kAudioRecordSize> record{};
    BufferedReader reader(index);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!reader.ReadExact(i * kAudioRecordSize, record))
            break;
        lastVersion = record[4];
        const std::uint32_t magic = Le32(record.data());
        if (expectedMagic == 0 && (magic == kVideoRecordMagic || magic == kAudioRecordMagic))
            expectedMagic = magic;
        if (expectedMagic == 0 || magic != expectedMagic)
            continue;
        if (Le32(record.data() + 9) > kMaxBlockSize)
            continue;
        SYSTEMTIME time = ReadSystemTime(record.data() + 13);
        if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 || time.wDay > 31 ||
            time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59)
            continue;
        FixEpochDay(time);
        FRAMEINFOAUDIO frame;
        frame.dwOffset = Le32(record.data() + 5);
        frame.dwSize = Le32(record.data() + 9);
        frame.stTime = time;
        records.push_back(frame);
    }
    TakeRecords(std::move(records));
    m_nIndexVer = lastVersion;
    m_nChannel = 0;
    m_nStreamType = kStreamAudio;
    m_strName = indexPath;
    TRACE("%s - Idx Header crashed", m_strName.c_str());
    return true;
}

bool CInfoAdxFile::ScanFile(const std::string& dataPath) {
    Clear();
    MappedFile mapping;
    if (!mapping.Open(dataPath)) {
        TraceMappingFailure(mapping.LastError());
        return false;
    }
    return ScanBytes(mapping.Bytes(), dataPath);
}

bool CInfoAdxFile::ScanBytes(std::span<const std::uint8_t> data, const std::string& dataPath) {
    Clear();
    if (data.empty())
        return false;
    m_nIndexVer = 0;
    m_nChannel = 0;
    m_nEventCode = 0;
    m_nStreamType = kStreamAudio;
    m_nCodec = kCodecG711;
    std::vector<FRAMEINFOAUDIO> records;
    auto walk = [&] { ScanAudioBlocks(data, records); };
    if (!ReadMappingGuarded(walk))
        TRACE("Fail to MapViewOfFile");
    TakeRecords(std::move(records));
    TRACE("ADD parsing total frame:%d", m_nFrameCount);
    TRACE("%s", dataPath.c_str());
    m_strName = IndexPathForData(dataPath);
    return true;
}

} // namespace trevix
