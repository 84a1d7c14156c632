// What the camera and sound index readers share: the records with the current one, and the
// fields of the index's trailer, with each kind's values before a load.
#pragma once

#include "platform/MappedFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trevix {

namespace recindex {
struct TrailerFields;
}

// The trace line of a data file that could not be mapped for reading.
void TraceMappingFailure(MappedFile::Error error);

template <typename Frame>
class CInfoIndexFile {
public:
    // The record at index (-1: the current frame), or nullptr outside the records.
    const Frame* GetFrameInfo(int index = -1) const;
    std::string GetDataPath() const;

    void Clear();

    std::string m_strName; // index path; empty until a load finishes
    int m_nFrameCount = 0;
    int m_nCurFrame = -1;
    std::vector<Frame> m_pFrames;
    std::uint8_t m_nIndexVer;
    std::uint8_t m_nChannel = 0;
    std::uint8_t m_nEventCode = 0;
    std::uint8_t m_nStreamType;
    std::uint8_t m_nCodec;
    std::string m_strDRID;
    std::string m_strSDID;
    std::uint8_t m_nEventCodeEx = 0;                // trailer byte 86
    std::array<std::uint8_t, 2> m_byTrailerExtra{}; // trailer bytes 87-88, carried

protected:
    // The values of an index before a load.
    struct Unloaded {
        std::uint8_t indexVer;
        std::uint8_t streamType;
        std::uint8_t codec;
    };
    explicit CInfoIndexFile(Unloaded unloaded);

    void TakeRecords(std::vector<Frame>&& records);
    // The trailer's fields, with the event code as the reader takes it.
    void TakeTrailer(const recindex::TrailerFields& fields, std::uint8_t eventCode);

private:
    Unloaded unloaded_;
};

} // namespace trevix
