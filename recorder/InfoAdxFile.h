// One audio file pair of a recording: the .add data file of 100 ms A-law blocks and its .adx
// index, read into an array of block records.
#pragma once

#include "platform/MappedFile.h"
#include "recorder/FrameInfo.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trevix {

// An audio block in the data file: FF D8, SYSTEMTIME, 800 samples, FF D9.
inline constexpr std::size_t kAudioBlockTimeOffset = 2;
inline constexpr std::size_t kAudioBlockSamplesOffset = 18;
inline constexpr std::size_t kAudioBlockSize = 820;

// The time check of a scanned audio block (a month or day of 0 passes).
bool IsAudioBlockTimeValid(const SYSTEMTIME& time);

class CInfoAdxFile {
public:
    CInfoAdxFile() = default;

    // Loads the pair of dataPath (.add). True when the array was built (possibly empty).
    bool Load(const std::string& dataPath);
    // The same from bytes in memory: the index (empty when there is none) and the data file.
    bool LoadFromBytes(std::span<const std::uint8_t> index, std::span<const std::uint8_t> data,
                       const std::string& dataPath);

    // The record at index (-1: the current frame), or nullptr outside the records.
    const FRAMEINFOAUDIO* GetFrameInfo(int index = -1) const;
    std::string GetDataPath() const;

    void Clear();

    std::string m_strName;
    int m_nFrameCount = 0;
    int m_nCurFrame = -1;
    std::vector<FRAMEINFOAUDIO> m_pFrames;
    std::uint8_t m_nIndexVer = 1;
    std::uint8_t m_nChannel = 0;
    std::uint8_t m_nEventCode = 0;
    std::uint8_t m_nStreamType = kStreamAudio;
    std::uint8_t m_nCodec = kCodecG711;
    std::string m_strDRID;
    std::string m_strSDID;
    std::uint8_t m_nEventCodeEx = 0;                // trailer byte 86
    std::array<std::uint8_t, 2> m_byTrailerExtra{}; // trailer bytes 87-88, carried

private:
    bool LoadIndex(const RandomAccessBytes& index, const std::string& indexPath,
                   const std::string& dataPath);
    bool Recover(const RandomAccessBytes& index, const std::string& indexPath);
    bool ScanFile(const std::string& dataPath);
    bool ScanBytes(std::span<const std::uint8_t> data, const std::string& dataPath);
    void TakeRecords(std::vector<FRAMEINFOAUDIO>&& records);
};

} // namespace trevix
