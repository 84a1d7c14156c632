// The display-rate manager: how fast this computer is (CPU level), the measured picture rate of
// each channel, and from both the minimum time between two drawn pictures of one pane.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace trevix {

class CMgrDisplayFps {
public:
    static constexpr int kChannels = 4;

    // Detects the CPU level of this computer (DetectCpuLevel).
    CMgrDisplayFps();
    // A fixed level 1-3, for callers that already know it.
    explicit CMgrDisplayFps(int cpuLevel);

    // The level from /proc/cpuinfo and cpufreq; traces "CPU Level : %d MHz, Core:%d, Level:%d".
    static int DetectCpuLevel();
    // The same from other files, for tests: cpuInfoPath in /proc/cpuinfo form, cpuDir in the
    // form of /sys/devices/system/cpu.
    static int DetectCpuLevel(const std::filesystem::path& cpuInfoPath,
                              const std::filesystem::path& cpuDir);

    // The counting rule over the speeds of processors 0, 1, 2, ... (MHz, 0 when unknown):
    // processors 1 to 7 are counted in addition to processor 0 and the speed is that of the
    // last one counted (processor 0 alone gives 0 MHz); total = MHz * count; level 1 from
    // 3800, level 2 from 2800, level 3 below. Traces the line above.
    static int CpuLevelFromProcessors(std::span<const unsigned> megahertz);

    // Processor speeds in processor order from the "cpu MHz" lines of /proc/cpuinfo text.
    static std::vector<unsigned> ParseCpuInfo(std::string_view text);

    // The rate of channel: 0 when intervalMs is 0 or above 15000, else 1000 / interval clamped
    // to 1-30 pictures per second. Channels outside 0-3 are ignored.
    void MeasureFrame(int channel, std::int64_t intervalMs);
    // Rates back to 0 (the layout changed).
    void ResetRates();

    // Minimum milliseconds between two drawn pictures of one pane: 10 except at x1 and x2
    // (states 3, 4, 9, 10), where it is 33 (x2: 66) * level * the number of channels faster
    // than 1 picture per second (at least 1).
    int MinInterval(int playState) const;

    int CpuLevel() const { return cpuLevel_; }
    int ChannelFps(int channel) const;

private:
    int cpuLevel_ = 3;
    std::array<int, kChannels> channelFps_{};
};

} // namespace trevix
