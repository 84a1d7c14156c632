// Log parser over arbitrary text; the scan's quick reader of the first and last sample times
// must agree with what the parser completes.
#include "recorder/InfoLogFile.h"
#include "recorder/RecorderTime.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevix;
    CInfoLogFile log;
    log.SetMapType(size > 0 ? data[0] % 4 : 4);
    const bool loaded = log.LoadFromBytes(std::span<const std::uint8_t>(data, size)) == 1;
    if (log.m_nSampleCount < 0 || log.m_nSampleCount > kMaxLogSamples ||
        static_cast<std::size_t>(log.m_nSampleCount) != log.m_pSamples.size())
        std::abort();
    for (const LogSample& sample : log.m_pSamples)
        if (sample.llTime <= 0 || sample.llTime - log.m_pSamples.front().llTime > kLogWindowMs)
            std::abort();
    RecorderTimeCache hours;
    const std::optional<LogSampleTimes> times =
        ReadLogSampleTimes(std::span<const std::uint8_t>(data, size), hours);
    if (times.has_value() != (loaded && !log.m_pSamples.empty()))
        std::abort();
    if (times && (times->first != log.m_pSamples.front().llTime ||
                  times->last != log.m_pSamples.back().llTime))
        std::abort();
    return 0;
}
