// Video index reader over arbitrary index bytes (with and without the key-picture filter), and
// the salvage path; the records must keep the reader's invariants.
#include "recorder/InfoVdxFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevix;
    const std::span<const std::uint8_t> bytes(data, size);
    for (const int filter : {0, 1000}) {
        CInfoVdxFile file;
        file.SetMapType(size > 0 ? data[0] % 5 : 4);
        file.LoadFromBytes(bytes, {}, "/card/ch1/event/0000000001,x.vdd", filter);
        if (file.m_nFrameCount < 0 ||
            static_cast<std::size_t>(file.m_nFrameCount) > file.m_pFrames.size())
            std::abort();
        for (const FRAMEINFOVIDEO& frame : file.m_pFrames)
            if (frame.dwSize > recindex::kMaxBlockSize)
                std::abort();
        file.GetFrameRate();
        file.FindLastKeyFrame();
        file.GetFrameInfo(file.m_nCurFrame);
    }
    return 0;
}
