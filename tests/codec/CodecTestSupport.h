// Helpers of the codec tests: synthetic pictures, picture comparison, frame headers, a trace
// listener, and running ffmpeg as a second decoder.
#pragma once

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace trevix::test {

using Bytes = std::vector<std::uint8_t>;

// A smooth BGR picture with a few edges that moves with frame, so predicted pictures have
// something to predict.
inline Bytes SyntheticPicture(int width, int height, int frame = 0) {
    Bytes pixels(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
            const int shifted = x + frame * 4;
            p[0] = static_cast<std::uint8_t>(shifted * 255 / (width + 64) % 256);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            const bool box = (shifted / 40 + y / 40) % 2 == 0;
            p[2] = static_cast<std::uint8_t>(box ? 200 : 60);
        }
    return pixels;
}

inline double Psnr(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    if (sum == 0.0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

inline Bytes FlipVertically(std::span<const std::uint8_t> pixels, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    Bytes out(pixels.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&out[static_cast<std::size_t>(height - 1 - y) * stride], &pixels[y * stride],
                    stride);
    return out;
}

inline Bytes Mirror(std::span<const std::uint8_t> pixels, int width, int height) {
    Bytes out(pixels.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k)
                out[(static_cast<std::size_t>(y) * width + (width - 1 - x)) * 3 + k] =
                    pixels[(static_cast<std::size_t>(y) * width + x) * 3 + k];
    return out;
}

// A frame header with a time, a position and the size code.
inline Bytes FrameHeader(std::uint8_t sizeCode, std::uint8_t second = 7) {
    Bytes header(kFrameHeaderSize, 0);
    header[0] = 24; // 2024
    header[1] = 5;
    header[2] = 17;
    header[3] = 13;
    header[4] = 45;
    header[5] = second;
    header[13] = 1;
    header[kSizeCodeOffset] = sizeCode;
    const double latitude = 3530.1234;
    std::memcpy(&header[22], &latitude, sizeof latitude);
    header[52] = 2;
    return header;
}

inline std::uint8_t SizeCodeFor(int width, int height) {
    for (const std::uint8_t code : {2, 3, 4, 0x82, 0x83, 0x84})
        if (PictureSizeFromCode(code) == PictureSize{width, height})
            return code;
    return 4;
}

inline Bytes Vector(std::span<const std::uint8_t> bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

// Receives the trace lines sent while it lives (its own runtime folder).
class TraceCapture {
public:
    TraceCapture() {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        if (previous != nullptr)
            previous_ = previous;
        hadPrevious_ = previous != nullptr;
        ::setenv("XDG_RUNTIME_DIR", dir_.Str().c_str(), 1);
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = trace::SocketPath();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const timeval timeout{0, 200000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~TraceCapture() {
        ::close(fd_);
        if (hadPrevious_)
            ::setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // Every message received so far.
    std::vector<std::string> Messages() {
        trace::Record record{};
        while (::recv(fd_, record.data(), record.size(), 0) > 0)
            messages_.push_back(trace::DecodeRecord(record).message);
        return messages_;
    }
    bool Has(const std::string& message) {
        const auto all = Messages();
        return std::find(all.begin(), all.end(), message) != all.end();
    }

private:
    TempDir dir_;
    int fd_ = -1;
    std::string previous_;
    bool hadPrevious_ = false;
    std::vector<std::string> messages_;
};

inline bool HaveFfmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// Decodes input with ffmpeg (given input format options) to raw BGR frames.
inline std::optional<Bytes> FfmpegToBgr(const std::string& inputOptions,
                                        const std::filesystem::path& input,
                                        const std::filesystem::path& output) {
    const std::string command = "ffmpeg -v error -y " + inputOptions + " -i '" + input.string() +
                                "' -fps_mode passthrough -f rawvideo -pix_fmt bgr24 '" +
                                output.string() + "'";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    const std::string raw = ReadFile(output);
    return Bytes(raw.begin(), raw.end());
}

} // namespace trevix::test
