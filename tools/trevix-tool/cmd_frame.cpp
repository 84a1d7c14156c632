// trevix-tool frame DATAPATH N --out PICTURE.ppm: decodes picture N of a channel file through
// its index and writes it as a binary PPM. MPEG-4 pictures are decoded from the nearest earlier
// intra picture on.
#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "codec/PictureBlock.h"
#include "recorder/DriveRecChannel.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <cstdio>
#include <fstream>

namespace trevix::tool {
namespace {

bool WritePpm(const std::string& path, const DecodedFrame& picture) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    std::vector<char> row(picture.Stride());
    for (int y = 0; y < picture.height; ++y) {
        const auto bgr = picture.Row(y);
        for (std::size_t x = 0; x + 2 < bgr.size(); x += 3) {
            row[x] = static_cast<char>(bgr[x + 2]);
            row[x + 1] = static_cast<char>(bgr[x + 1]);
            row[x + 2] = static_cast<char>(bgr[x]);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out);
}

int Fail(const char* message) {
    std::fprintf(stderr, "trevix-tool frame: %s\n", message);
    return 1;
}

int RunFrame(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(args, {"--out"});
    const std::string out = OptionValue(args, "--out");
    if (words.size() != 2 || out.empty()) {
        std::fprintf(stderr, "usage: trevix-tool frame DATAPATH N --out PICTURE.ppm\n");
        return 2;
    }
    CDriveRecChannel channel;
    if (!channel.AddFile(words[0]))
        return Fail("the file cannot be read");
    const CInfoVdxFile& file = channel.m_arrFiles.front();
    const int wanted = std::atoi(words[1].c_str());
    const FRAMEINFOVIDEO* frame = file.GetFrameInfo(wanted);
    if (frame == nullptr)
        return Fail("no such picture");

    DecodedFrame picture;
    const PictureOptions options;
    CCodecJpg jpeg;
    CCodecMpeg4 mpeg4;
    if (frame->byType == kFrameTypeJpeg) {
        const auto block = channel.ReadFrameAt(0, wanted);
        if (block.empty() || !jpeg.Decode(block, options))
            return Fail("the picture cannot be decoded");
        picture = jpeg.GetPicture();
    } else {
        int first = wanted;
        while (first > 0 && file.m_pFrames[static_cast<std::size_t>(first)].byType != 2)
            --first;
        bool decoded = false;
        for (int i = first; i <= wanted; ++i) {
            const auto block = channel.ReadFrameAt(0, i);
            const auto size = PictureSizeOfBlock(block);
            decoded = size && mpeg4.Decode(size->width, size->height, block, options);
        }
        if (!decoded)
            return Fail("the picture cannot be decoded");
        picture = mpeg4.GetPicture();
    }
    if (picture.Empty() || !WritePpm(out, picture))
        return Fail("the picture cannot be written");
    JsonWriter json;
    json.BeginObject();
    json.Field("frame", wanted);
    json.Field("type", frame->byType);
    json.Field("width", picture.width);
    json.Field("height", picture.height);
    json.Field("out", out);
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

const CommandRegistration registration("frame", "frame DATAPATH N --out PICTURE.ppm", RunFrame);

} // namespace
} // namespace trevix::tool
