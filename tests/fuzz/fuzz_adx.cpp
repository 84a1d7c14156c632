// Audio readers: the first byte chooses index or data file, the rest is the file.
#include "recorder/InfoAdxFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevix;
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    CInfoAdxFile file;
    if (data[0] & 1)
        file.LoadFromBytes(bytes, {}, "/card/audio/event/0000000001,x.add");
    else
        file.LoadFromBytes({}, bytes, "/card/audio/event/0000000001,x.add");
    if (file.m_nFrameCount < 0 ||
        static_cast<std::size_t>(file.m_nFrameCount) != file.m_pFrames.size())
        std::abort();
    if (!(data[0] & 1))
        for (const FRAMEINFOAUDIO& frame : file.m_pFrames)
            if (frame.dwOffset + std::uint64_t{18} > bytes.size())
                std::abort();
    return 0;
}
