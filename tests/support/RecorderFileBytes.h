// Builds recorder files byte by byte for the tests: video and audio index records, trailers,
// picture and audio blocks.
#pragma once

#include "recorder/RecorderTime.h"

#include <cstdint>
#include <string>

namespace trevix::test {

SYSTEMTIME Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int milliseconds = 0);

// Appends little-endian numbers to a byte string.
void PutU8(std::string& out, std::uint32_t value);
void PutU16(std::string& out, std::uint32_t value);
void PutU32(std::string& out, std::uint32_t value);
void PutDouble(std::string& out, double value);
void PutTime(std::string& out, const SYSTEMTIME& time);

struct VideoRecord {
    std::uint32_t magic = 0xEE0000A1;
    std::uint8_t version = 2; // 2 or more: 69-byte records
    std::uint32_t offset = 0;
    std::uint32_t size = 1000;
    SYSTEMTIME time = Time(2024, 5, 6, 7, 8, 9, 100);
    std::uint8_t type = 2;
    std::uint8_t phase = 1;
    std::int16_t gx = 0, gy = 0, gz = 1000;
    std::uint8_t gpsValid = 1;
    double lat = 3530.1234;
    double lon = 13942.5678;
    std::uint16_t gpsA = 0, gpsB = 0, gpsC = 0;
    std::uint8_t aux = 0, flags = 0, eventCode = 0;
    std::uint16_t speedRaw = 0;
    std::uint8_t eventCodeEx = 0;
};
std::string VideoRecordBytes(const VideoRecord& record);

struct AudioRecord {
    std::uint32_t magic = 0xDD0000A2;
    std::uint8_t version = 1;
    std::uint32_t offset = 0;
    std::uint32_t size = 800;
    SYSTEMTIME time = Time(2024, 5, 6, 7, 8, 9, 0);
};
std::string AudioRecordBytes(const AudioRecord& record);

struct Trailer {
    std::uint32_t magic = 0xFF0000A0;
    std::uint8_t indexVer = 1;
    std::uint8_t channel = 0;
    std::uint8_t eventCode = 0;
    std::uint8_t streamType = 1;
    std::uint8_t codec = 2;
    std::uint32_t count = 0;
    std::string drid = "DR-0001";
    std::string sdid = "SD-0002";
    std::uint8_t eventCodeEx = 0;
};
// The current 92-byte form, or the older 26-byte form.
std::string TrailerBytes(const Trailer& trailer, bool oldForm = false);

// A picture block: FF D8 FF FE, comment length, 60-byte frame header, payload bytes.
struct VideoBlock {
    SYSTEMTIME time = Time(2024, 5, 6, 7, 8, 9, 100); // year 2000-2255
    std::uint16_t speedRaw = 0;
    std::uint8_t phase = 1;
    std::uint8_t gpsValid = 1;
    double lat = 3530.1234;
    double lon = 13942.5678;
    std::uint8_t eventCode = 0;
    std::uint8_t type = 2;
    std::int16_t gx = 0, gy = 0, gz = 1000;
    std::size_t payload = 200; // picture bytes after the header (no FF in them)
};
std::string VideoBlockBytes(const VideoBlock& block);

// An 820-byte audio block with samples of the given value.
std::string AudioBlockBytes(const SYSTEMTIME& time, std::uint8_t sample = 0x55);

} // namespace trevix::test
