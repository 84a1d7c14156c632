// Log parser over arbitrary text.
#include "recorder/InfoLogFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevix;
    CInfoLogFile log;
    log.SetMapType(size > 0 ? data[0] % 4 : 4);
    log.LoadFromBytes(std::span<const std::uint8_t>(data, size));
    if (log.m_nSampleCount < 0 || log.m_nSampleCount > kMaxLogSamples ||
        static_cast<std::size_t>(log.m_nSampleCount) != log.m_pSamples.size())
        std::abort();
    for (const LogSample& sample : log.m_pSamples)
        if (sample.llTime <= 0 || sample.llTime - log.m_pSamples.front().llTime > kLogWindowMs)
            std::abort();
    return 0;
}
