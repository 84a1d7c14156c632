// trevix-tool decode BLOCKFILE --out PICTURE.ppm [--camflip N] [--deinterlace M] [--state S]:
// decodes the picture block at the start of BLOCKFILE (MPEG-4 by the frame header's size code,
// or JPEG when the block is a JPEG file) through the viewer's decoders and filters and writes
// the picture as binary PPM.
#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "codec/PictureBlock.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

namespace trevix::tool {
namespace {

std::optional<int> ParseInt(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool WritePpm(const std::string& path, const DecodedFrame& frame) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out << "P6\n" << frame.width << ' ' << frame.height << "\n255\n";
    std::vector<char> row(frame.Stride());
    for (int y = 0; y < frame.height; ++y) {
        const auto bgr = frame.Row(y);
        for (std::size_t x = 0; x + 2 < bgr.size(); x += 3) {
            row[x] = static_cast<char>(bgr[x + 2]);
            row[x + 1] = static_cast<char>(bgr[x + 1]);
            row[x + 2] = static_cast<char>(bgr[x]);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out.flush());
}

void PrintSummary(bool ok, const DecodedFrame& frame, const char* codec) {
    JsonWriter json;
    json.BeginObject()
        .Field("ok", ok)
        .Field("width", frame.width)
        .Field("height", frame.height)
        .Field("codec", codec)
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
}

int RunDecode(std::span<const std::string> args) {
    const auto files = Positionals(args, {"--out", "--camflip", "--deinterlace", "--state"});
    const std::string outPath = OptionValue(args, "--out");
    const auto camFlip = ParseInt(OptionValue(args, "--camflip", "0"));
    const auto deinterlace = ParseInt(OptionValue(args, "--deinterlace", "99"));
    const auto state = ParseInt(OptionValue(args, "--state", "1"));
    if (files.size() != 1 || outPath.empty() || !camFlip || !deinterlace || !state) {
        std::fprintf(stderr, "usage: trevix-tool decode BLOCKFILE --out PICTURE.ppm "
                             "[--camflip N] [--deinterlace M] [--state S]\n");
        return 2;
    }
    std::ifstream in(files[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", files[0].c_str());
        return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    const std::span<const std::uint8_t> block =
        std::span(bytes).first(FirstBlockLength(std::span(bytes)));

    PictureOptions options;
    options.camFlip = *camFlip;
    options.deinterlace = *deinterlace;
    options.playState = *state;

    CCodecJpg jpeg;
    CCodecMpeg4 mpeg4;
    DecodedFrame frame;
    const char* codec = "unknown";
    bool ok = false;
    switch (ClassifyBlock(block)) {
    case BlockCodec::Jpeg:
        codec = "jpeg";
        ok = jpeg.Decode(block, options);
        frame = jpeg.GetPicture();
        break;
    case BlockCodec::Mpeg4: {
        codec = "mpeg4";
        const auto size = PictureSizeOfBlock(block);
        ok = size && mpeg4.Decode(size->width, size->height, block, options);
        frame = mpeg4.GetPicture();
        break;
    }
    case BlockCodec::Unknown:
        break;
    }
    if (ok && !WritePpm(outPath, frame)) {
        std::fprintf(stderr, "cannot write %s\n", outPath.c_str());
        ok = false;
    }
    if (!ok)
        frame = {};
    PrintSummary(ok, frame, codec);
    return ok ? 0 : 1;
}

const CommandRegistration
    registration("decode",
                 "decode BLOCKFILE --out PICTURE.ppm [--camflip N] [--deinterlace M] [--state S]   "
                 "(first picture block to PPM)",
                 RunDecode);

} // namespace
} // namespace trevix::tool
