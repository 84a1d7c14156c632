#include "playback/MgrDisplayFps.h"

#include "app/TraceLog.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

namespace trevix {

namespace {

constexpr int kMaxProcessors = 8; // processor 0 and the keys 1 to 7

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                             text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Leading digits of text as a number; 0 when there are none.
unsigned LeadingNumber(std::string_view text) {
    text = Trim(text);
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

CMgrDisplayFps::CMgrDisplayFps() : cpuLevel_(DetectCpuLevel()) {}

CMgrDisplayFps::CMgrDisplayFps(int cpuLevel) : cpuLevel_(std::clamp(cpuLevel, 1, 3)) {}

std::vector<unsigned> CMgrDisplayFps::ParseCpuInfo(std::string_view text) {
    std::vector<unsigned> speeds;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "cpu MHz")
            continue;
        speeds.push_back(LeadingNumber(line.substr(colon + 1)));
    }
    return speeds;
}

int CMgrDisplayFps::CpuLevelFromProcessors(std::span<const unsigned> megahertz) {
    unsigned cores = 1;
    unsigned mhz = 0;
    for (std::size_t i = 1; i < std::min<std::size_t>(megahertz.size(), kMaxProcessors); ++i) {
        mhz = megahertz[i];
        ++cores;
    }
    const std::uint32_t total = mhz * cores;
    const int level = total >= 3800 ? 1 : total >= 2800 ? 2 : 3;
    TRACE("CPU Level : %d MHz, Core:%d, Level:%d", static_cast<int>(total / cores),
          static_cast<int>(cores), level);
    return level;
}

int CMgrDisplayFps::DetectCpuLevel() {
    return DetectCpuLevel("/proc/cpuinfo", "/sys/devices/system/cpu");
}

int CMgrDisplayFps::DetectCpuLevel(const std::filesystem::path& cpuInfoPath,
                                   const std::filesystem::path& cpuDir) {
    // The nominal (maximum) speed of cpufreq is steadier than the momentary "cpu MHz"; the
    // latter stands in for processors without cpufreq.
    const std::vector<unsigned> reported = ParseCpuInfo(ReadText(cpuInfoPath));
    std::vector<unsigned> speeds;
    for (int i = 0; i < kMaxProcessors; ++i) {
        const auto processor = cpuDir / ("cpu" + std::to_string(i));
        std::error_code error;
        const bool listed = std::filesystem::is_directory(processor, error);
        const bool reportedHere = static_cast<std::size_t>(i) < reported.size();
        if (!listed && !reportedHere)
            break;
        const unsigned kilohertz = LeadingNumber(ReadText(processor / "cpufreq/cpuinfo_max_freq"));
        speeds.push_back(kilohertz != 0 ? kilohertz / 1000 : reportedHere ? reported[i] : 0);
    }
    return CpuLevelFromProcessors(speeds);
}

void CMgrDisplayFps::MeasureFrame(int channel, std::int64_t intervalMs) {
    if (channel < 0 || channel >= kChannels)
        return;
    const std::int64_t interval = intervalMs < 0 ? -intervalMs : intervalMs;
    int& rate = channelFps_[static_cast<std::size_t>(channel)];
    if (interval == 0 || interval > 15000)
        rate = 0;
    else
        rate = static_cast<int>(std::clamp<std::int64_t>(1000 / interval, 1, 30));
}

void CMgrDisplayFps::ResetRates() {
    channelFps_.fill(0);
}

int CMgrDisplayFps::MinInterval(int playState) const {
    if (playState != 3 && playState != 4 && playState != 9 && playState != 10)
        return 10;
    const int base = (playState == 4 || playState == 10 ? 66 : 33) * cpuLevel_;
    const auto active =
        std::count_if(channelFps_.begin(), channelFps_.end(), [](int rate) { return rate > 1; });
    return base * static_cast<int>(std::max<std::ptrdiff_t>(active, 1));
}

int CMgrDisplayFps::ChannelFps(int channel) const {
    if (channel < 0 || channel >= kChannels)
        return 0;
    return channelFps_[static_cast<std::size_t>(channel)];
}

} // namespace trevix
