// trevix-tool alaw IN OUT: expands A-law bytes to 16-bit little-endian PCM.
#include "codec/G711.h"
#include "tools/trevix-tool/Command.h"

#include <array>
#include <cstdio>
#include <fstream>

namespace trevix::tool {
namespace {

int RunALaw(std::span<const std::string> args) {
    const std::vector<std::string> files = Positionals(args);
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: trevix-tool alaw IN OUT\n");
        return 2;
    }
    std::ifstream in(files[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", files[0].c_str());
        return 1;
    }
    std::ofstream out(files[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", files[1].c_str());
        return 1;
    }
    std::array<char, kG711SamplesPerSecond> codes{};
    std::array<char, kG711SamplesPerSecond * 2> bytes{};
    while (in) {
        in.read(codes.data(), static_cast<std::streamsize>(codes.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < count; ++i) {
            const auto sample =
                static_cast<std::uint16_t>(ALawToLinear(static_cast<std::uint8_t>(codes[i])));
            bytes[2 * i] = static_cast<char>(sample & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(sample >> 8);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(count * 2));
    }
    if (in.bad() || !out.flush()) {
        std::fprintf(stderr, "conversion of %s failed\n", files[0].c_str());
        return 1;
    }
    return 0;
}

const CommandRegistration registration("alaw", "alaw IN OUT   (A-law bytes to 16-bit LE PCM)",
                                       RunALaw);

} // namespace
} // namespace trevix::tool
