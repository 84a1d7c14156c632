// One camera of a loaded recording: its video files in time order, a cursor (current file and
// the current frame of that file) and the open data file pictures are read from.
#pragma once

#include "platform/MappedFile.h"
#include "recorder/InfoVdxFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace trevix {

// The key channel of a normal recording moved to another index file (message 1423).
inline constexpr int kMsgKeyChannelFileChanged = 1423;

// Told when the channel it is attached to makes another file current by a cursor move. The
// recording attaches it only to the key channel of a normal recording.
class IChannelFileNotice {
public:
    virtual ~IChannelFileNotice() = default;
    virtual void OnKeyChannelFileChanged(int channel) = 0;
};

// First and last recorder time of a file pair from its index, or from its data file when the
// index is missing or empty. False when neither gives both times.
bool ReadVideoFileTimes(const std::string& dataPath, SYSTEMTIME& first, SYSTEMTIME& last);

// Whether [first, last] and [begin, end] overlap, compared in recorder milliseconds.
bool TimesOverlap(const SYSTEMTIME& first, const SYSTEMTIME& last, const SYSTEMTIME& begin,
                  const SYSTEMTIME& end);

// The serial part of a title (before the first comma).
std::string_view SerialOfTitle(std::string_view title);

// Files ending with extension in folder, by name, whose serial lies between the serials of the
// two titles: files of one recording are matched by serial, as time stamps differ by camera.
std::vector<std::string> FilesInSerialRange(const std::string& folder, std::string_view extension,
                                            std::string_view firstTitle,
                                            std::string_view lastTitle);

// Reads a data file's first and last recorder time (ReadVideoFileTimes, ReadAudioFileTimes).
using FileTimesReader = bool (*)(const std::string& dataPath, SYSTEMTIME& first, SYSTEMTIME& last);

// Files ending with extension in folder, by name, whose times overlap [begin, end]: the newest
// run of consecutive such files, as a marker's window lies in one stretch of recording.
std::vector<std::string> FilesInTimeRange(const std::string& folder, std::string_view extension,
                                          const SYSTEMTIME& begin, const SYSTEMTIME& end,
                                          FileTimesReader readTimes);

inline constexpr int kInitialFrameBufferSize = 500000;

class CDriveRecChannel {
public:
    CDriveRecChannel() = default;
    explicit CDriveRecChannel(int channel) : m_nChannel(channel) {}

    void SetMapType(int mapType) { m_nMapType = mapType; }
    // Attach (or with nullptr detach) the file-change notice.
    void SetFileNotice(IChannelFileNotice* notice) { m_pNotice = notice; }

    bool AddFile(const std::string& dataPath);
    bool LoadFilesInRange(const std::string& folder, const SYSTEMTIME& begin,
                          const SYSTEMTIME& end);
    bool LoadFilesByName(const std::string& folder, std::string_view firstTitle,
                         std::string_view lastTitle);
    // Files freed, data file closed, no current file; the buffer is kept.
    void Clear();

    std::pair<SYSTEMTIME, SYSTEMTIME> GetTimeSpan() const;
    std::pair<std::string, std::string> GetFileTitles() const;

    bool OpenFile(int index);
    // The block at offset in the current file, in the channel's buffer; empty on failure.
    std::span<const std::uint8_t> ReadFrameData(std::uint32_t offset, std::uint32_t size);
    // A block read through a file of its own (the open data file is not disturbed).
    std::vector<std::uint8_t> ReadFrameAt(int fileIndex, int frameIndex = -1) const;

    bool NextFrame();
    bool PrevFrame();
    bool NextKeyFrameAfter(std::int64_t timeMs);
    bool PrevKeyFrame();
    bool NextFrameAfter(std::int64_t timeMs);
    bool PrevFrameBefore(std::int64_t timeMs);

    CInfoVdxFile* CurrentFile();
    const CInfoVdxFile* CurrentFile() const;
    const FRAMEINFOVIDEO* CurrentFrame() const;
    int CurrentFrameIndex() const;

    std::vector<CInfoVdxFile> m_arrFiles;
    int m_nChannel = 0;
    int m_nCurFile = -1;
    ReadOnlyFile m_fileData;
    int m_nLastSize = 0;
    int m_nBufSize = kInitialFrameBufferSize;

private:
    bool IsFrameAfter(const FRAMEINFOVIDEO& frame, std::int64_t timeMs, bool keyOnly) const;
    // Makes file current for a cursor move and tells the notice when the file changed.
    bool MoveToFile(int index);
    bool MoveTo(int fileIndex, int frameIndex);
    bool LoadFile(const std::string& dataPath, CInfoVdxFile& file) const;

    std::vector<std::uint8_t> m_buffer;
    IChannelFileNotice* m_pNotice = nullptr;
    int m_nMapType = 4;
};

} // namespace trevix
