#include "recorder/DriveRecChannel.h"

#include "app/TraceLog.h"
#include "platform/CardPath.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoIndexFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace trevix {

using namespace recindex;

namespace {

bool IsCalendarTime(const SYSTEMTIME& time) {
    return time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 && time.wDay <= 31 &&
           time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59;
}

// Times from the index: its first record and the last record found in its tail.
bool ReadIndexTimes(const std::string& indexPath, SYSTEMTIME& first, SYSTEMTIME& last) {
    ReadOnlyFile index;
    if (!index.Open(indexPath))
        return false;
    std::array<std::uint8_t, 29> head{};
    if (!index.ReadExact(0, head) ||
        !(Le32(head.data()) == kVideoRecordMagic || Le32(head.data()) == kAudioRecordMagic))
        return false;
    first = ReadSystemTime(head.data() + 13);
    const std::uint32_t magic = Le32(head.data());
    // The trailer and two records are enough to hold the last record's start.
    const std::uint64_t size = index.Size();
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kTrailerSize + 3 * 69);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailSize));
    if (!index.ReadExact(size - tailSize, tail) || tail.size() < 29)
        return false;
    for (std::size_t at = tail.size() - 29 + 1; at-- > 0;) {
        if (Le32(tail.data() + at) != magic)
            continue;
        const SYSTEMTIME time = ReadSystemTime(tail.data() + at + 13);
        if (IsCalendarTime(time)) {
            last = time;
            return IsCalendarTime(first);
        }
    }
    return false;
}

SYSTEMTIME BlockHeaderTime(std::span<const std::uint8_t> data, std::size_t marker) {
    SYSTEMTIME time;
    const std::size_t header = marker + 6;
    if (header + 8 > data.size())
        return time;
    time.wYear = static_cast<std::uint16_t>(2000 + data[header]);
    time.wMonth = data[header + 1];
    time.wDay = data[header + 2];
    time.wHour = data[header + 3];
    time.wMinute = data[header + 4];
    time.wSecond = data[header + 5];
    time.wMilliseconds = Le16(data.data() + header + 6);
    return time;
}

bool IsMarkerAt(std::span<const std::uint8_t> data, std::size_t at) {
    return at + 4 <= data.size() && data[at] == 0xFF && data[at + 1] == 0xD8 &&
           data[at + 2] == 0xFF && data[at + 3] == 0xFE;
}

struct DataTimes {
    std::span<const std::uint8_t> data;
    SYSTEMTIME first, last;
    bool hasFirst = false, hasLast = false;
};

void FindDataTimes(DataTimes& times) {
    const auto data = times.data;
    for (std::size_t at = 0; at + 4 <= data.size(); ++at) {
        const void* hit = std::memchr(data.data() + at, 0xFF, data.size() - at);
        if (hit == nullptr)
            break;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data.data());
        if (IsMarkerAt(data, at) && IsCalendarTime(BlockHeaderTime(data, at))) {
            times.first = BlockHeaderTime(data, at);
            times.hasFirst = true;
            break;
        }
    }
    for (std::size_t at = data.size(); at-- > 0;)
        if (IsMarkerAt(data, at) && IsCalendarTime(BlockHeaderTime(data, at))) {
            times.last = BlockHeaderTime(data, at);
            times.hasLast = true;
            break;
        }
}

} // namespace

bool ReadVideoFileTimes(const std::string& dataPath, SYSTEMTIME& first, SYSTEMTIME& last) {
    if (ReadIndexTimes(IndexPathForData(dataPath), first, last))
        return true;
    MappedFile mapping;
    if (!mapping.Open(dataPath)) {
        TraceMappingFailure(mapping.LastError());
        return false;
    }
    DataTimes times;
    times.data = mapping.Bytes();
    auto find = [&times] { FindDataTimes(times); };
    if (!ReadMappingGuarded(find) || !times.hasFirst || !times.hasLast)
        return false;
    first = times.first;
    last = times.last;
    return true;
}

bool TimesOverlap(const SYSTEMTIME& first, const SYSTEMTIME& last, const SYSTEMTIME& begin,
                  const SYSTEMTIME& end) {
    return ToRecorderMs(last) >= ToRecorderMs(begin) && ToRecorderMs(first) <= ToRecorderMs(end);
}

std::string_view SerialOfTitle(std::string_view title) {
    return title.substr(0, title.find(','));
}

std::vector<std::string> FilesInSerialRange(const std::string& folder, std::string_view extension,
                                            std::string_view firstTitle,
                                            std::string_view lastTitle) {
    auto entries = FindCardEntries(CardPattern{folder, "", std::string(extension)});
    SortByName(entries);
    const std::string_view low = SerialOfTitle(firstTitle);
    const std::string_view high = SerialOfTitle(lastTitle);
    std::vector<std::string> paths;
    for (const auto& entry : entries) {
        if (entry.isDirectory)
            continue;
        const std::string_view serial = SerialOfTitle(TitleOfPath(entry.path));
        if (serial >= low && serial <= high)
            paths.push_back(entry.path);
    }
    return paths;
}

std::vector<std::string> FilesInTimeRange(const std::string& folder, std::string_view extension,
                                          const SYSTEMTIME& begin, const SYSTEMTIME& end,
                                          FileTimesReader readTimes) {
    auto entries = FindCardEntries(CardPattern{folder, "", std::string(extension)});
    SortByName(entries);
    std::vector<std::string> paths;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->isDirectory)
            continue;
        SYSTEMTIME first, last;
        if (readTimes(entry->path, first, last) && TimesOverlap(first, last, begin, end))
            paths.push_back(entry->path);
        else if (!paths.empty())
            break;
    }
    // Walked newest first; callers keep files oldest first.
    std::reverse(paths.begin(), paths.end());
    return paths;
}

bool CDriveRecChannel::LoadFile(const std::string& dataPath, CInfoVdxFile& file) const {
    file.SetMapType(m_nMapType);
    return file.Load(dataPath, 0);
}

bool CDriveRecChannel::AddFile(const std::string& dataPath) {
    CInfoVdxFile file;
    if (!LoadFile(dataPath, file))
        return false;
    m_arrFiles.push_back(std::move(file));
    return true;
}

bool CDriveRecChannel::LoadFilesInRange(const std::string& folder, const SYSTEMTIME& begin,
                                        const SYSTEMTIME& end) {
    std::vector<CInfoVdxFile> found;
    for (const std::string& path :
         FilesInTimeRange(folder, kVideoDataExt, begin, end, ReadVideoFileTimes)) {
        CInfoVdxFile file;
        if (LoadFile(path, file))
            found.push_back(std::move(file));
    }
    m_arrFiles.insert(m_arrFiles.begin(), std::make_move_iterator(found.begin()),
                      std::make_move_iterator(found.end()));
    return !m_arrFiles.empty();
}

bool CDriveRecChannel::LoadFilesByName(const std::string& folder, std::string_view firstTitle,
                                       std::string_view lastTitle) {
    for (const std::string& path : FilesInSerialRange(folder, kVideoDataExt, firstTitle, lastTitle))
        AddFile(path);
    return !m_arrFiles.empty();
}

void CDriveRecChannel::Clear() {
    m_arrFiles.clear();
    m_fileData.Close();
    m_nCurFile = -1;
    m_nLastSize = 0;
}

std::pair<SYSTEMTIME, SYSTEMTIME> CDriveRecChannel::GetTimeSpan() const {
    std::pair<SYSTEMTIME, SYSTEMTIME> span{};
    if (m_arrFiles.empty())
        return span;
    if (const FRAMEINFOVIDEO* first = m_arrFiles.front().GetFrameInfo(0))
        span.first = first->stTime;
    for (auto file = m_arrFiles.rbegin(); file != m_arrFiles.rend(); ++file) {
        const FRAMEINFOVIDEO* last = file->GetFrameInfo(file->m_nFrameCount - 1);
        if (last != nullptr && last->stTime.wYear != 0) {
            span.second = last->stTime;
            break;
        }
    }
    return span;
}

std::pair<std::string, std::string> CDriveRecChannel::GetFileTitles() const {
    if (m_arrFiles.empty())
        return {"0000000000", "0000000000"};
    return {std::string(TitleOfPath(m_arrFiles.front().m_strName)),
            std::string(TitleOfPath(m_arrFiles.back().m_strName))};
}

bool CDriveRecChannel::OpenFile(int index) {
    m_fileData.Close();
    if (index < 0 || index >= static_cast<int>(m_arrFiles.size())) {
        m_nCurFile = -1;
        return false;
    }
    if (!m_fileData.Open(m_arrFiles[static_cast<std::size_t>(index)].GetDataPath())) {
        m_nCurFile = -1;
        return false;
    }
    m_nCurFile = index;
    return true;
}

std::span<const std::uint8_t> CDriveRecChannel::ReadFrameData(std::uint32_t offset,
                                                              std::uint32_t size) {
    if (!m_fileData.IsOpen() && !OpenFile(m_nCurFile))
        return {};
    // The file bounds what can be read, so a wrong size never grows the buffer needlessly.
    if (size == 0 || static_cast<std::uint64_t>(offset) + size > m_fileData.Size()) {
        TRACE("Fail to fread FrameData");
        return {};
    }
    try {
        if (m_buffer.size() < static_cast<std::size_t>(std::max(m_nBufSize, 0)))
            m_buffer.resize(static_cast<std::size_t>(m_nBufSize));
        if (size > m_buffer.size()) {
            m_buffer.resize(size);
            m_nBufSize = static_cast<int>(size);
        }
    } catch (const std::bad_alloc&) {
        m_nLastSize = 0;
        return {};
    }
    const std::span<std::uint8_t> target(m_buffer.data(), size);
    if (!m_fileData.ReadExact(offset, target)) {
        TRACE("Fail to fread FrameData");
        return {};
    }
    m_nLastSize = static_cast<int>(size);
    return target;
}

std::vector<std::uint8_t> CDriveRecChannel::ReadFrameAt(int fileIndex, int frameIndex) const {
    if (fileIndex < 0 || fileIndex >= static_cast<int>(m_arrFiles.size()))
        return {};
    const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(fileIndex)];
    const FRAMEINFOVIDEO* frame = file.GetFrameInfo(frameIndex);
    if (frame == nullptr || frame->dwSize == 0)
        return {};
    ReadOnlyFile data;
    if (!data.Open(file.GetDataPath()) ||
        static_cast<std::uint64_t>(frame->dwOffset) + frame->dwSize > data.Size())
        return {};
    std::vector<std::uint8_t> block(frame->dwSize);
    if (!data.ReadExact(frame->dwOffset, block))
        return {};
    return block;
}

CInfoVdxFile* CDriveRecChannel::CurrentFile() {
    if (m_nCurFile < 0 || m_nCurFile >= static_cast<int>(m_arrFiles.size()))
        return nullptr;
    return &m_arrFiles[static_cast<std::size_t>(m_nCurFile)];
}

const CInfoVdxFile* CDriveRecChannel::CurrentFile() const {
    return const_cast<CDriveRecChannel*>(this)->CurrentFile();
}

const FRAMEINFOVIDEO* CDriveRecChannel::CurrentFrame() const {
    const CInfoVdxFile* file = CurrentFile();
    return file != nullptr ? file->GetFrameInfo(-1) : nullptr;
}

int CDriveRecChannel::CurrentFrameIndex() const {
    const CInfoVdxFile* file = CurrentFile();
    return file != nullptr ? file->m_nCurFrame : -1;
}

bool CDriveRecChannel::MoveToFile(int index) {
    const int previous = m_nCurFile;
    if (!OpenFile(index))
        return false;
    if (index != previous && m_pNotice != nullptr)
        m_pNotice->OnKeyChannelFileChanged(m_nChannel);
    return true;
}

bool CDriveRecChannel::MoveTo(int fileIndex, int frameIndex) {
    if (fileIndex != m_nCurFile && !MoveToFile(fileIndex))
        return false;
    m_arrFiles[static_cast<std::size_t>(fileIndex)].m_nCurFrame = frameIndex;
    return true;
}

bool CDriveRecChannel::NextFrame() {
    CInfoVdxFile* file = CurrentFile();
    if (file == nullptr)
        return false;
    if (file->m_nCurFrame + 1 < file->m_nFrameCount) {
        ++file->m_nCurFrame;
        return true;
    }
    const int next = m_nCurFile + 1;
    if (next >= static_cast<int>(m_arrFiles.size()) || !MoveToFile(next))
        return false;
    CInfoVdxFile& opened = m_arrFiles[static_cast<std::size_t>(next)];
    if (opened.m_nFrameCount == 0)
        return false;
    opened.m_nCurFrame = 0;
    return true;
}

bool CDriveRecChannel::PrevFrame() {
    CInfoVdxFile* file = CurrentFile();
    if (file == nullptr)
        return false;
    if (file->m_nCurFrame - 1 >= 0) {
        --file->m_nCurFrame;
        return true;
    }
    const int previous = m_nCurFile - 1;
    if (previous < 0 || !MoveToFile(previous))
        return false;
    CInfoVdxFile& opened = m_arrFiles[static_cast<std::size_t>(previous)];
    opened.m_nCurFrame = opened.m_nFrameCount - 1;
    return opened.m_nFrameCount > 0;
}

bool CDriveRecChannel::IsFrameAfter(const FRAMEINFOVIDEO& frame, std::int64_t timeMs,
                                    bool keyOnly) const {
    if (keyOnly && !IsKeyFrameType(frame.byType))
        return false;
    return timeMs == 0 || ToRecorderMs(frame.stTime) > timeMs;
}

bool CDriveRecChannel::NextKeyFrameAfter(std::int64_t timeMs) {
    const CInfoVdxFile* current = CurrentFile();
    if (current == nullptr)
        return false;
    int frame = current->m_nCurFrame + 1;
    for (int f = m_nCurFile; f < static_cast<int>(m_arrFiles.size()); ++f, frame = 0) {
        const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = std::max(frame, 0); i < file.m_nFrameCount; ++i)
            if (IsFrameAfter(file.m_pFrames[static_cast<std::size_t>(i)], timeMs, true))
                return MoveTo(f, i);
    }
    return false;
}

bool CDriveRecChannel::NextFrameAfter(std::int64_t timeMs) {
    const CInfoVdxFile* current = CurrentFile();
    if (current == nullptr)
        return false;
    int frame = current->m_nCurFrame + 1;
    for (int f = m_nCurFile; f < static_cast<int>(m_arrFiles.size()); ++f, frame = 0) {
        const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = std::max(frame, 0); i < file.m_nFrameCount; ++i)
            if (ToRecorderMs(file.m_pFrames[static_cast<std::size_t>(i)].stTime) > timeMs)
                return MoveTo(f, i);
    }
    return false;
}

bool CDriveRecChannel::PrevFrameBefore(std::int64_t timeMs) {
    const CInfoVdxFile* current = CurrentFile();
    if (current == nullptr)
        return false;
    int frame = current->m_nCurFrame - 1;
    for (int f = m_nCurFile; f >= 0; --f) {
        const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = std::min(frame, file.m_nFrameCount - 1); i >= 0; --i)
            if (ToRecorderMs(file.m_pFrames[static_cast<std::size_t>(i)].stTime) < timeMs)
                return MoveTo(f, i);
        if (f > 0)
            frame = m_arrFiles[static_cast<std::size_t>(f - 1)].m_nFrameCount - 1;
    }
    return false;
}

bool CDriveRecChannel::PrevKeyFrame() {
    CInfoVdxFile* current = CurrentFile();
    if (current == nullptr)
        return false;
    if (current->m_nCodec != kCodecJpeg && current->m_nCodec != kCodecMpeg4)
        return true;
    int frame = current->m_nCurFrame - 1;
    for (int f = m_nCurFile; f >= 0; --f) {
        const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = std::min(frame, file.m_nFrameCount - 1); i >= 0; --i) {
            const bool key =
                file.m_nCodec == kCodecJpeg ||
                (file.m_nCodec == kCodecMpeg4 &&
                 file.m_pFrames[static_cast<std::size_t>(i)].byType == kFrameTypeIntra);
            if (key)
                return MoveTo(f, i);
        }
        if (f > 0)
            frame = m_arrFiles[static_cast<std::size_t>(f - 1)].m_nFrameCount - 1;
    }
    current->m_nCurFrame = -1;
    return false;
}

} // namespace trevix
