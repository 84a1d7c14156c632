#include "tests/support/RecorderFileBytes.h"

#include <cstring>

namespace trevix::test {

SYSTEMTIME Time(int year, int month, int day, int hour, int minute, int second, int milliseconds) {
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(year);
    time.wMonth = static_cast<std::uint16_t>(month);
    time.wDay = static_cast<std::uint16_t>(day);
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    time.wSecond = static_cast<std::uint16_t>(second);
    time.wMilliseconds = static_cast<std::uint16_t>(milliseconds);
    return time;
}

void PutU8(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value));
}

void PutU16(std::string& out, std::uint32_t value) {
    PutU8(out, value & 0xFF);
    PutU8(out, (value >> 8) & 0xFF);
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutDouble(std::string& out, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        PutU8(out, static_cast<std::uint32_t>((bits >> (8 * i)) & 0xFF));
}

void PutTime(std::string& out, const SYSTEMTIME& time) {
    PutU16(out, time.wYear);
    PutU16(out, time.wMonth);
    PutU16(out, time.wDayOfWeek);
    PutU16(out, time.wDay);
    PutU16(out, time.wHour);
    PutU16(out, time.wMinute);
    PutU16(out, time.wSecond);
    PutU16(out, time.wMilliseconds);
}

std::string VideoRecordBytes(const VideoRecord& r) {
    std::string out;
    PutU32(out, r.magic);
    PutU8(out, r.version);
    PutU32(out, r.offset);
    PutU32(out, r.size);
    PutTime(out, r.time);
    PutU8(out, r.type);
    PutU8(out, r.phase);
    PutU16(out, static_cast<std::uint16_t>(r.gx));
    PutU16(out, static_cast<std::uint16_t>(r.gy));
    PutU16(out, static_cast<std::uint16_t>(r.gz));
    PutU8(out, r.gpsValid);
    PutDouble(out, r.lat);
    PutDouble(out, r.lon);
    PutU16(out, r.gpsA);
    PutU16(out, r.gpsB);
    PutU16(out, r.gpsC);
    PutU8(out, r.aux);
    PutU8(out, r.flags);
    PutU8(out, r.eventCode);
    PutU8(out, 0);
    PutU16(out, r.speedRaw);
    if (r.version >= 2) {
        PutU8(out, r.eventCodeEx);
        PutU16(out, 0);
    }
    return out;
}

std::string AudioRecordBytes(const AudioRecord& r) {
    std::string out;
    PutU32(out, r.magic);
    PutU8(out, r.version);
    PutU32(out, r.offset);
    PutU32(out, r.size);
    PutTime(out, r.time);
    out.append(6, '\0');
    return out;
}

std::string TrailerBytes(const Trailer& t, bool oldForm) {
    std::string out;
    PutU32(out, t.magic);
    PutU8(out, 0);
    PutU8(out, t.indexVer);
    PutU8(out, t.channel);
    PutU8(out, t.eventCode);
    PutU8(out, t.streamType);
    PutU8(out, t.codec);
    PutU32(out, t.count);
    out.append(12, '\0');
    if (oldForm)
        return out;
    std::string drid = t.drid.substr(0, 30), sdid = t.sdid.substr(0, 30);
    drid.resize(30, '\0');
    sdid.resize(30, '\0');
    out += drid;
    out += sdid;
    PutU8(out, t.eventCodeEx);
    out.append(5, '\0');
    return out;
}

std::string VideoBlockBytes(const VideoBlock& b) {
    std::string header;
    PutU8(header, b.time.wYear - 2000u);
    PutU8(header, b.time.wMonth);
    PutU8(header, b.time.wDay);
    PutU8(header, b.time.wHour);
    PutU8(header, b.time.wMinute);
    PutU8(header, b.time.wSecond);
    PutU16(header, b.time.wMilliseconds);
    PutU16(header, 0);
    PutU16(header, b.speedRaw);
    PutU8(header, b.phase);
    PutU8(header, b.gpsValid);
    PutU8(header, 4);
    header.append(7, '\0');
    PutDouble(header, b.lat);
    PutDouble(header, b.lon);
    header.append(5, '\0'); // GPS values B, A, C
    PutU8(header, 0);       // car signals
    PutU8(header, 0);       // flags
    PutU8(header, b.eventCode);
    PutU16(header, static_cast<std::uint16_t>(b.gx));
    PutU16(header, static_cast<std::uint16_t>(b.gy));
    PutU16(header, static_cast<std::uint16_t>(b.gz));
    PutU8(header, b.type);
    header.append(7, '\0');
    std::string out = "\xFF\xD8\xFF\xFE";
    PutU8(out, 0);
    PutU8(out, 62);
    out += header;
    for (std::size_t i = 0; i < b.payload; ++i)
        out.push_back(static_cast<char>(i % 200));
    return out;
}

std::string AudioBlockBytes(const SYSTEMTIME& time, std::uint8_t sample) {
    std::string out = "\xFF\xD8";
    PutTime(out, time);
    out.append(800, static_cast<char>(sample));
    out += "\xFF\xD9";
    return out;
}

} // namespace trevix::test
