#include "app/SkinFile.h"

#include "app/TraceLog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace trevix {
namespace {

std::int32_t ReadI32(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(std::to_integer<std::uint8_t>(bytes[at + i]))
                 << (8 * i);
    return static_cast<std::int32_t>(value);
}

std::uint32_t ReadU32(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(ReadI32(bytes, at));
}

std::uint16_t ReadU16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<std::uint8_t>(bytes[at]) |
                                      (std::to_integer<std::uint8_t>(bytes[at + 1]) << 8));
}

void PutU32(std::vector<std::byte>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
}

void PutU16(std::vector<std::byte>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::byte>(value & 0xFFu);
    out[at + 1] = static_cast<std::byte>(value >> 8);
}

SkinControl_Info RecordFrom(std::span<const std::byte> record) {
    SkinControl_Info info;
    info.item = ReadI32(record, 0);
    info.left = ReadI32(record, 8);
    info.top = ReadI32(record, 12);
    info.right = ReadI32(record, 16);
    info.bottom = ReadI32(record, 20);
    info.color = ReadU32(record, 24);
    info.pictureOffset = ReadU32(record, 32);
    info.visible = ReadI32(record, 36);
    return info;
}

// What the two bitmap headers say, once checked.
struct BmpLayout {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    std::size_t stride = 0;
    std::uint64_t pixelStart = 0; // from the start of the store
};

std::optional<BmpLayout> CheckHeaders(std::span<const std::byte> headers, std::uint64_t offset,
                                      std::uint64_t storeSize) {
    if (headers.size() < kBmpFileHeaderSize + kBmpInfoHeaderSize)
        return std::nullopt;
    if (std::to_integer<char>(headers[0]) != 'B' || std::to_integer<char>(headers[1]) != 'M')
        return std::nullopt;
    const std::uint32_t fileSize = ReadU32(headers, 2);
    const std::uint32_t pixelOffset = ReadU32(headers, 10);
    const auto info = headers.subspan(kBmpFileHeaderSize);
    const std::uint32_t infoSize = ReadU32(info, 0);
    const std::int32_t width = ReadI32(info, 4);
    const std::int32_t height = ReadI32(info, 8);
    const std::uint16_t bitCount = ReadU16(info, 14);
    const std::uint32_t compression = ReadU32(info, 16);
    if (infoSize < kBmpInfoHeaderSize || bitCount != 24 || compression != 0)
        return std::nullopt;
    if (width <= 0 || width > kMaxSkinPictureSide || height == 0 || height < -kMaxSkinPictureSide ||
        height > kMaxSkinPictureSide)
        return std::nullopt;
    BmpLayout layout;
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.bottomUp = height > 0;
    layout.stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::uint64_t needed = static_cast<std::uint64_t>(layout.stride) * layout.height;
    // The pixels the file header announces must hold every row, and lie inside the store.
    if (pixelOffset < kBmpFileHeaderSize + kBmpInfoHeaderSize || fileSize < pixelOffset ||
        fileSize - pixelOffset < needed)
        return std::nullopt;
    layout.pixelStart = offset + pixelOffset;
    if (layout.pixelStart > storeSize || storeSize - layout.pixelStart < needed)
        return std::nullopt;
    return layout;
}

QImage ImageFromRows(const BmpLayout& layout, std::span<const std::byte> pixels) {
    QImage image(layout.width, layout.height, QImage::Format_BGR888);
    if (image.isNull())
        return {};
    const std::size_t rowBytes = static_cast<std::size_t>(layout.width) * 3;
    for (int row = 0; row < layout.height; ++row) {
        const int source = layout.bottomUp ? layout.height - 1 - row : row;
        std::memcpy(image.scanLine(row), pixels.data() + layout.stride * source, rowBytes);
    }
    return image;
}

} // namespace

bool SkinDescription::Parse(std::span<const std::byte> bytes) {
    items_.clear();
    if (bytes.size() < 4)
        return false;
    // N + 1 records are asked for; the file's length bounds how many there are.
    const std::int64_t wanted = static_cast<std::int64_t>(ReadI32(bytes, 0)) + 1;
    const std::int64_t present = static_cast<std::int64_t>((bytes.size() - 4) / kSkinRecordSize);
    const std::int64_t count = std::clamp<std::int64_t>(wanted, 0, present);
    if (count < wanted)
        TRACE("Skin description short: %lld of %lld records", static_cast<long long>(count),
              static_cast<long long>(wanted));
    for (std::int64_t i = 0; i < count; ++i) {
        const auto record =
            bytes.subspan(4 + static_cast<std::size_t>(i) * kSkinRecordSize, kSkinRecordSize);
        const SkinControl_Info info = RecordFrom(record);
        items_.insert_or_assign(info.item, info);
    }
    return true;
}

bool SkinDescription::Load(const std::filesystem::path& descriptionPath) {
    items_.clear();
    std::ifstream in(descriptionPath, std::ios::binary);
    if (!in)
        return false;
    std::array<std::byte, 4> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()))
        return false;
    const std::int64_t wanted = static_cast<std::int64_t>(ReadI32(head, 0)) + 1;
    std::array<std::byte, kSkinRecordSize> record{};
    for (std::int64_t i = 0; i < wanted; ++i) {
        if (!in.read(reinterpret_cast<char*>(record.data()), record.size())) {
            TRACE("Skin description short: %lld of %lld records", static_cast<long long>(i),
                  static_cast<long long>(wanted));
            break;
        }
        const SkinControl_Info info = RecordFrom(record);
        items_.insert_or_assign(info.item, info);
    }
    return true;
}

const SkinControl_Info* SkinDescription::Lookup(std::int32_t item) const {
    const auto found = items_.find(item);
    return found == items_.end() ? nullptr : &found->second;
}

std::filesystem::path SkinStorePath(const std::filesystem::path& descriptionPath) {
    std::string text = descriptionPath.string();
    const auto at = text.rfind(".dsc");
    if (at == std::string::npos)
        return text + ".chk";
    text.replace(at, 4, ".chk");
    return text;
}

QImage DecodeSkinPicture(std::span<const std::byte> store, std::uint32_t offset) {
    constexpr std::size_t kHeaders = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    if (offset > store.size() || store.size() - offset < kHeaders)
        return {};
    const auto layout = CheckHeaders(store.subspan(offset, kHeaders), offset, store.size());
    if (!layout)
        return {};
    return ImageFromRows(*layout, store.subspan(static_cast<std::size_t>(layout->pixelStart),
                                                layout->stride * layout->height));
}

QImage ReadSkinPicture(const std::filesystem::path& storePath, std::uint32_t offset) {
    std::ifstream in(storePath, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff end = in.tellg();
    if (end < 0)
        return {};
    const auto storeSize = static_cast<std::uint64_t>(end);
    std::array<std::byte, kBmpFileHeaderSize + kBmpInfoHeaderSize> headers{};
    if (offset > storeSize || storeSize - offset < headers.size())
        return {};
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in.read(reinterpret_cast<char*>(headers.data()), headers.size()))
        return {};
    const auto layout = CheckHeaders(headers, offset, storeSize);
    if (!layout) {
        TRACE("Skin picture at %u is not a 24-bit bitmap", offset);
        return {};
    }
    std::vector<std::byte> pixels(layout->stride * layout->height);
    in.seekg(static_cast<std::streamoff>(layout->pixelStart));
    if (!in.read(reinterpret_cast<char*>(pixels.data()),
                 static_cast<std::streamsize>(pixels.size())))
        return {};
    return ImageFromRows(*layout, pixels);
}

std::vector<std::byte> EncodeBmp24(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_BGR888);
    const auto width = static_cast<std::size_t>(image.width());
    const auto height = static_cast<std::size_t>(image.height());
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    const std::size_t pixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    std::vector<std::byte> out(pixelOffset + stride * height);
    out[0] = std::byte{'B'};
    out[1] = std::byte{'M'};
    PutU32(out, 2, static_cast<std::uint32_t>(out.size()));
    PutU32(out, 10, static_cast<std::uint32_t>(pixelOffset));
    PutU32(out, 14, static_cast<std::uint32_t>(kBmpInfoHeaderSize));
    PutU32(out, 18, static_cast<std::uint32_t>(width));
    PutU32(out, 22, static_cast<std::uint32_t>(height));
    PutU16(out, 26, 1);
    PutU16(out, 28, 24);
    PutU32(out, 34, static_cast<std::uint32_t>(stride * height));
    for (std::size_t row = 0; row < height; ++row) {
        const auto* line = image.constScanLine(static_cast<int>(height - 1 - row));
        std::memcpy(out.data() + pixelOffset + row * stride, line, width * 3);
    }
    return out;
}

std::vector<std::byte> EncodeSkinDescription(std::span<const SkinControl_Info> records) {
    std::vector<std::byte> out(4 + records.size() * kSkinRecordSize);
    PutU32(out, 0, static_cast<std::uint32_t>(static_cast<std::int32_t>(records.size()) - 1));
    std::size_t at = 4;
    for (const auto& info : records) {
        PutU32(out, at + 0, static_cast<std::uint32_t>(info.item));
        PutU32(out, at + 8, static_cast<std::uint32_t>(info.left));
        PutU32(out, at + 12, static_cast<std::uint32_t>(info.top));
        PutU32(out, at + 16, static_cast<std::uint32_t>(info.right));
        PutU32(out, at + 20, static_cast<std::uint32_t>(info.bottom));
        PutU32(out, at + 24, info.color);
        PutU32(out, at + 32, info.pictureOffset);
        PutU32(out, at + 36, static_cast<std::uint32_t>(info.visible));
        at += kSkinRecordSize;
    }
    return out;
}

} // namespace trevix
