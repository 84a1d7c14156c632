// One audio file pair of a recording: the .add data file of 100 ms A-law blocks and its .adx
// index, read into an array of block records.
#pragma once

#include "platform/MappedFile.h"
#include "recorder/FrameInfo.h"
#include "recorder/InfoIndexFile.h"

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

// Between two audio blocks: the FF D9 of one and the FF D8 of the next.
inline constexpr std::array<std::uint8_t, 4> kAudioBlockSeparator{0xFF, 0xD9, 0xFF, 0xD8};

// The time check of a scanned audio block (a month or day of 0 passes).
bool IsAudioBlockTimeValid(const SYSTEMTIME& time);

class CInfoAdxFile : public CInfoIndexFile<FRAMEINFOAUDIO> {
public:
    CInfoAdxFile() : CInfoIndexFile({1, kStreamAudio, kCodecG711}) {}

    // Loads the pair of dataPath (.add). True when the array was built (possibly empty).
    bool Load(const std::string& dataPath);
    // The same from bytes in memory: the index (empty when there is none) and the data file.
    bool LoadFromBytes(std::span<const std::uint8_t> index, std::span<const std::uint8_t> data,
                       const std::string& dataPath);

private:
    bool LoadIndex(const RandomAccessBytes& index, const std::string& indexPath,
                   const std::string& dataPath);
    bool Recover(const RandomAccessBytes& index, const std::string& indexPath);
    bool ScanFile(const std::string& dataPath);
    bool ScanBytes(std::span<const std::uint8_t> data, const std::string& dataPath);
};

} // namespace trevix
