// Video data-file scan (no index) over arbitrary bytes.
#include "recorder/InfoVdxFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevix;
    const std::span<const std::uint8_t> bytes(data, size);
    for (const int filter : {0, 1000}) {
        CInfoVdxFile file;
        file.LoadFromBytes({}, bytes, "/card/ch2/normal/0000000001,x.vdd", filter);
        std::uint64_t previousEnd = 0;
        for (const FRAMEINFOVIDEO& frame : file.m_pFrames) {
            if (frame.dwOffset < previousEnd || frame.dwSize > recindex::kMaxBlockSize ||
                static_cast<std::uint64_t>(frame.dwOffset) + frame.dwSize > size)
                std::abort();
            previousEnd = static_cast<std::uint64_t>(frame.dwOffset) + frame.dwSize;
        }
        if (file.m_nEventCode != 0) // a normal folder always has event code 0
            std::abort();
    }
    return 0;
}
