#include "recorder/DriveRecAudio.h"

#include "app/TraceLog.h"
#include "recorder/CardLayout.h"
#include "recorder/DriveRecChannel.h"
#include "recorder/InfoIndexFile.h"
#include "recorder/InfoVdxFile.h"

#include <algorithm>
#include <cstring>

namespace trevix {

using namespace recindex;

namespace {

bool ReadAudioIndexTimes(const std::string& indexPath, SYSTEMTIME& first, SYSTEMTIME& last) {
    ReadOnlyFile index;
    if (!index.Open(indexPath))
        return false;
    std::array<std::uint8_t, kAudioRecordSize> record{};
    if (!index.ReadExact(0, record))
        return false;
    const std::uint32_t magic = Le32(record.data());
    if (magic != kAudioRecordMagic && magic != kVideoRecordMagic)
        return false;
    first = ReadSystemTime(record.data() + 13);
    const std::uint64_t size = index.Size();
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kTrailerSize + 3 * 35);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailSize));
    if (!index.ReadExact(size - tailSize, tail) || tail.size() < 29)
        return false;
    for (std::size_t at = tail.size() - 29 + 1; at-- > 0;)
        if (Le32(tail.data() + at) == magic) {
            last = ReadSystemTime(tail.data() + at + 13);
            return true;
        }
    return false;
}

bool IsSeparatorAt(std::span<const std::uint8_t> data, std::size_t at) {
    return at + kAudioBlockSeparator.size() <= data.size() &&
           std::equal(kAudioBlockSeparator.begin(), kAudioBlockSeparator.end(),
                      data.begin() + static_cast<std::ptrdiff_t>(at));
}

// The time of the block that starts at the FF D8 of a separator, if the file holds a valid one.
bool BlockTimeAfterSeparator(std::span<const std::uint8_t> data, std::size_t separator,
                             SYSTEMTIME& time) {
    const std::size_t start = separator + 2;
    if (start + kAudioBlockSamplesOffset > data.size())
        return false;
    time = ReadSystemTime(data.data() + start + kAudioBlockTimeOffset);
    return IsAudioBlockTimeValid(time);
}

struct AudioDataTimes {
    std::span<const std::uint8_t> data;
    SYSTEMTIME first, last;
    bool hasFirst = false, hasLast = false;
};

void FindAudioDataTimes(AudioDataTimes& times) {
    const auto data = times.data;
    if (data.size() >= kAudioBlockSamplesOffset && data[0] == 0xFF && data[1] == 0xD8) {
        times.first = ReadSystemTime(data.data() + kAudioBlockTimeOffset);
        times.hasFirst = IsAudioBlockTimeValid(times.first);
    }
    for (std::size_t at = 0; !times.hasFirst && at + 4 <= data.size(); ++at)
        if (IsSeparatorAt(data, at))
            times.hasFirst = BlockTimeAfterSeparator(data, at, times.first);
    const std::size_t from = data.size() > 1600 ? data.size() - 1600 : 0;
    for (std::size_t at = from + 1; !times.hasLast && at-- > 0;)
        if (IsSeparatorAt(data, at))
            times.hasLast = BlockTimeAfterSeparator(data, at, times.last);
}

} // namespace

bool ReadAudioFileTimes(const std::string& dataPath, SYSTEMTIME& first, SYSTEMTIME& last) {
    if (ReadAudioIndexTimes(IndexPathForData(dataPath), first, last))
        return true;
    MappedFile mapping;
    if (!mapping.Open(dataPath)) {
        TraceMappingFailure(mapping.LastError());
        return false;
    }
    AudioDataTimes times;
    times.data = mapping.Bytes();
    auto find = [&times] { FindAudioDataTimes(times); };
    if (!ReadMappingGuarded(find) || !times.hasFirst || !times.hasLast)
        return false;
    first = times.first;
    last = times.last;
    return true;
}

bool CDriveRecAudio::AddFile(const std::string& dataPath) {
    CInfoAdxFile file;
    if (!file.Load(dataPath))
        return false;
    m_arrFiles.push_back(std::move(file));
    return true;
}

bool CDriveRecAudio::LoadFilesInRange(const std::string& folder, const SYSTEMTIME& begin,
                                      const SYSTEMTIME& end) {
    std::vector<CInfoAdxFile> found;
    for (const std::string& path :
         FilesInTimeRange(folder, kAudioDataExt, begin, end, ReadAudioFileTimes)) {
        CInfoAdxFile file;
        if (file.Load(path))
            found.push_back(std::move(file));
    }
    m_arrFiles.insert(m_arrFiles.begin(), std::make_move_iterator(found.begin()),
                      std::make_move_iterator(found.end()));
    return !m_arrFiles.empty();
}

bool CDriveRecAudio::LoadFilesByName(const std::string& folder, std::string_view firstTitle,
                                     std::string_view lastTitle) {
    for (const std::string& path : FilesInSerialRange(folder, kAudioDataExt, firstTitle, lastTitle))
        AddFile(path);
    return !m_arrFiles.empty();
}

void CDriveRecAudio::Clear() {
    m_arrFiles.clear();
    m_fileData.Close();
    m_nCurFile = -1;
}

bool CDriveRecAudio::OpenFile(int index) {
    m_fileData.Close();
    if (index < 0 || index >= static_cast<int>(m_arrFiles.size()) ||
        !m_fileData.Open(m_arrFiles[static_cast<std::size_t>(index)].GetDataPath())) {
        m_nCurFile = -1;
        return false;
    }
    m_nCurFile = index;
    return true;
}

std::span<const std::uint8_t> CDriveRecAudio::ReadSecond(int fileIndex, int frameIndex) {
    if (fileIndex < 0 || fileIndex >= static_cast<int>(m_arrFiles.size()))
        return {};
    if (fileIndex != m_nCurFile || !m_fileData.IsOpen()) {
        if (!OpenFile(fileIndex))
            return {};
    }
    if (frameIndex == -1)
        frameIndex = m_arrFiles[static_cast<std::size_t>(fileIndex)].m_nCurFrame;
    if (frameIndex < 0)
        return {};
    m_buffer.fill(0);
    int frame = frameIndex;
    for (int slot = 0; slot < kAudioBlocksPerSecond;) {
        CInfoAdxFile& file = m_arrFiles[static_cast<std::size_t>(m_nCurFile)];
        if (frame >= file.m_nFrameCount) {
            const int next = m_nCurFile + 1;
            if (next >= static_cast<int>(m_arrFiles.size())) {
                file.m_nCurFrame = -1; // the rest of the second stays silent
                break;
            }
            if (!OpenFile(next))
                return {};
            frame = 0;
            continue;
        }
        const FRAMEINFOAUDIO& block = file.m_pFrames[static_cast<std::size_t>(frame)];
        std::array<std::uint8_t, kAudioBlockSamplesOffset> head{};
        if (!m_fileData.ReadExact(block.dwOffset, head))
            return {};
        // A slot holds 800 samples whatever the record's size says.
        const std::size_t samples = std::min<std::size_t>(block.dwSize, kAudioBlockSamples);
        const std::span<std::uint8_t> slotBytes(
            m_buffer.data() + static_cast<std::size_t>(slot) * kAudioBlockSamples, samples);
        if (!m_fileData.ReadExact(block.dwOffset + std::uint64_t{kAudioBlockSamplesOffset},
                                  slotBytes)) {
            TRACE("Fail to fread Audio FrameData");
            return {};
        }
        std::array<std::uint8_t, 2> end{};
        if (!m_fileData.ReadExact(
                block.dwOffset + std::uint64_t{kAudioBlockSamplesOffset} + block.dwSize, end))
            return {};
        ++frame;
        file.m_nCurFrame = frame;
        ++slot;
    }
    return m_buffer;
}

bool CDriveRecAudio::SeekTo(std::int64_t timeMs) {
    for (int f = static_cast<int>(m_arrFiles.size()) - 1; f >= 0; --f) {
        const CInfoAdxFile& file = m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = file.m_nFrameCount - 1; i >= 0; --i)
            if (ToRecorderMs(file.m_pFrames[static_cast<std::size_t>(i)].stTime) <= timeMs) {
                if (f != m_nCurFile && !OpenFile(f))
                    return false;
                m_arrFiles[static_cast<std::size_t>(f)].m_nCurFrame = i;
                return true;
            }
    }
    return false;
}

} // namespace trevix
