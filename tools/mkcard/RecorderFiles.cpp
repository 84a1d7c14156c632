#include "tools/mkcard/RecorderFiles.h"

#include "tools/mkcard/WallClock.h"

#include <algorithm>

namespace trevix::mkcard {
namespace {

void PutSystemTime(FieldWriter& out, std::size_t offset, std::int64_t wallMs) {
    const SYSTEMTIME time = ToSystemTime(wallMs);
    out.U16(offset + 0, time.wYear);
    out.U16(offset + 2, time.wMonth);
    out.U16(offset + 4, time.wDayOfWeek);
    out.U16(offset + 6, time.wDay);
    out.U16(offset + 8, time.wHour);
    out.U16(offset + 10, time.wMinute);
    out.U16(offset + 12, time.wSecond);
    out.U16(offset + 14, time.wMilliseconds);
}

Bytes BlockStart(const FrameFields& fields) {
    Bytes block = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, static_cast<std::uint8_t>(kFrameHeaderSize + 2)};
    Append(block, MakeFrameHeader(fields));
    return block;
}

} // namespace

std::uint8_t PictureSizeCode(int width, int height) {
    if (width == 360 && height == 240)
        return 2;
    if (width == 720 && height == 240)
        return 3;
    if (width == 360 && height == 288)
        return 0x82;
    if (width == 720 && height == 288)
        return 0x83;
    if (width == 720 && height == 576)
        return 0x84;
    return 4;
}

std::array<std::uint8_t, kFrameHeaderSize> MakeFrameHeader(const FrameFields& fields) {
    std::array<std::uint8_t, kFrameHeaderSize> header{};
    FieldWriter out(header);
    const WallTime t = WallFields(fields.wallMs);
    out.U8(0, static_cast<std::uint8_t>(t.year - 2000));
    out.U8(1, static_cast<std::uint8_t>(t.month));
    out.U8(2, static_cast<std::uint8_t>(t.day));
    out.U8(3, static_cast<std::uint8_t>(t.hour));
    out.U8(4, static_cast<std::uint8_t>(t.minute));
    out.U8(5, static_cast<std::uint8_t>(t.second));
    out.U16(6, static_cast<std::uint16_t>(t.millisecond));
    out.U16(10, fields.speedRaw);
    out.U8(12, static_cast<std::uint8_t>(fields.phase));
    out.U8(13, fields.gpsValid ? 1 : 0);
    out.U8(14, fields.sizeCode);
    out.F64(22, fields.latitude);
    out.F64(30, fields.longitude);
    out.U16(38, fields.gpsB);
    out.U8(40, static_cast<std::uint8_t>(fields.gpsA));
    out.U16(41, fields.gpsC);
    out.U8(43, fields.carSignal);
    out.U8(44, fields.flags);
    out.U8(45, fields.eventCode);
    out.I16(46, fields.gx);
    out.I16(48, fields.gy);
    out.I16(50, fields.gz);
    out.U8(52, static_cast<std::uint8_t>(fields.type));
    return header;
}

Bytes MakeMpeg4Block(const FrameFields& fields, std::span<const std::uint8_t> stream) {
    Bytes block = BlockStart(fields);
    Append(block, stream);
    return block;
}

Bytes MakeJpegBlock(const FrameFields& fields, std::span<const std::uint8_t> jpegFile) {
    Bytes block = BlockStart(fields);
    std::size_t position = 0;
    if (jpegFile.size() >= 2 && jpegFile[0] == 0xFF && jpegFile[1] == 0xD8)
        position = 2;
    // Drop the encoder's own leading application and comment segments.
    while (position + 4 <= jpegFile.size() && jpegFile[position] == 0xFF &&
           (jpegFile[position + 1] == 0xE0 || jpegFile[position + 1] == 0xE1 ||
            jpegFile[position + 1] == 0xFE)) {
        const std::size_t length =
            (std::size_t{jpegFile[position + 2]} << 8) | jpegFile[position + 3];
        if (length < 2 || position + 2 + length > jpegFile.size())
            break;
        position += 2 + length;
    }
    Append(block, jpegFile.subspan(position));
    return block;
}

Bytes MakeVideoRecord(const FrameFields& fields, std::uint32_t offset, std::uint32_t size,
                      RecordForm form) {
    Bytes record(static_cast<std::size_t>(form), 0);
    FieldWriter out(record);
    out.U32(0, kVideoRecordMagic);
    out.U8(4, form == RecordForm::Long69 ? 2 : 1);
    out.U32(5, offset);
    out.U32(9, size);
    PutSystemTime(out, 13, fields.wallMs);
    out.U8(29, static_cast<std::uint8_t>(fields.type));
    out.U8(30, static_cast<std::uint8_t>(fields.phase));
    out.I16(31, fields.gx);
    out.I16(33, fields.gy);
    out.I16(35, fields.gz);
    out.U8(37, fields.gpsValid ? 1 : 0);
    out.F64(38, fields.latitude);
    out.F64(46, fields.longitude);
    out.U16(54, fields.gpsA);
    out.U16(56, fields.gpsB);
    out.U16(58, fields.gpsC);
    out.U8(60, fields.carSignal);
    out.U8(61, fields.flags);
    out.U8(62, fields.eventCode);
    out.U16(64, fields.speedRaw);
    out.U8(66, fields.eventCodeEx); // dropped with the 66-byte form
    return record;
}

std::array<std::uint8_t, kTrailerSize> MakeTrailer(const TrailerFields& fields) {
    std::array<std::uint8_t, kTrailerSize> trailer{};
    FieldWriter out(trailer);
    out.U32(0, kTrailerMagic);
    out.U8(5, fields.indexVersion);
    out.U8(6, fields.channel);
    out.U8(7, fields.eventCode);
    out.U8(8, fields.streamType);
    out.U8(9, fields.codec);
    out.U32(10, fields.recordCount);
    if (fields.indexVersion != 0) {
        out.Text(26, fields.drid, 29); // zero-terminated within the 30 bytes
        out.Text(56, fields.sdid, 29);
    }
    out.U8(86, fields.eventCodeEx);
    out.U16(87, fields.reserved);
    return trailer;
}

std::array<std::uint8_t, kOldTrailerSize> MakeOldTrailer(const TrailerFields& fields) {
    TrailerFields old = fields;
    old.indexVersion = 0;
    const auto full = MakeTrailer(old);
    std::array<std::uint8_t, kOldTrailerSize> trailer{};
    std::copy_n(full.begin(), kOldTrailerSize, trailer.begin());
    return trailer;
}

std::array<std::uint8_t, kAudioBlockSize>
MakeAudioBlock(std::int64_t wallMs, std::span<const std::uint8_t, kAudioSamplesPerBlock> alaw) {
    std::array<std::uint8_t, kAudioBlockSize> block{};
    FieldWriter out(block);
    out.U8(0, 0xFF);
    out.U8(1, 0xD8);
    PutSystemTime(out, 2, wallMs);
    std::copy(alaw.begin(), alaw.end(), block.begin() + 18);
    out.U8(818, 0xFF);
    out.U8(819, 0xD9);
    return block;
}

std::array<std::uint8_t, kAudioRecordSize> MakeAudioRecord(std::uint32_t offset,
                                                           std::int64_t wallMs) {
    std::array<std::uint8_t, kAudioRecordSize> record{};
    FieldWriter out(record);
    out.U32(0, kAudioRecordMagic);
    out.U8(4, 1);
    out.U32(5, offset);
    out.U32(9, kAudioSamplesPerBlock);
    PutSystemTime(out, 13, wallMs);
    return record;
}

Bytes MakeMemoAudio(std::span<const std::uint8_t> alaw) {
    Bytes file(2 + alaw.size());
    file[0] = 0xFF;
    file[1] = 0xD8;
    std::copy(alaw.begin(), alaw.end(), file.begin() + 2);
    return file;
}

std::array<std::uint8_t, kEdxSize> MakeEdx(std::uint8_t channel, std::uint8_t eventCode,
                                           std::uint8_t codec) {
    TrailerFields fields;
    fields.channel = channel;
    fields.eventCode = eventCode;
    fields.codec = codec;
    return MakeOldTrailer(fields);
}

} // namespace trevix::mkcard
