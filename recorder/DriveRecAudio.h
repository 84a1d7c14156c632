// The sound track of a loaded recording: its audio files in time order and the reading of one
// second (ten 100 ms blocks) at a time for the sound output.
#pragma once

#include "platform/MappedFile.h"
#include "recorder/InfoAdxFile.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trevix {

inline constexpr std::size_t kAudioSecondBytes = 8000;
inline constexpr int kAudioBlocksPerSecond = 10;

// First and last block time of an audio pair from its index, or from its data file when the
// index is missing or empty. False when neither gives both times.
bool ReadAudioFileTimes(const std::string& dataPath, SYSTEMTIME& first, SYSTEMTIME& last);

class CDriveRecAudio {
public:
    bool AddFile(const std::string& dataPath);
    bool LoadFilesInRange(const std::string& folder, const SYSTEMTIME& begin,
                          const SYSTEMTIME& end);
    bool LoadFilesByName(const std::string& folder, std::string_view firstTitle,
                         std::string_view lastTitle);
    void Clear();

    bool OpenFile(int index);
    // One second of samples from frameIndex (-1: the file's current frame) of fileIndex on,
    // continuing into the next file; missing blocks at the end are silent. Empty on failure.
    std::span<const std::uint8_t> ReadSecond(int fileIndex, int frameIndex);
    // Makes current the block that holds timeMs (the last block starting at or before it).
    bool SeekTo(std::int64_t timeMs);

    std::vector<CInfoAdxFile> m_arrFiles;
    int m_nCurFile = -1;
    ReadOnlyFile m_fileData;

private:
    std::array<std::uint8_t, kAudioSecondBytes> m_buffer{};
};

} // namespace trevix
