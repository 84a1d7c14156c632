#include "tools/mkcard/LogFile.h"

#include "tools/mkcard/Random.h"
#include "tools/mkcard/WallClock.h"

#include <cmath>
#include <cstdio>

namespace trevix::mkcard {
namespace {

std::string Format(const char* format, auto... values) {
    char text[256];
    const int length = std::snprintf(text, sizeof text, format, values...);
    return std::string(text, length < 0 ? 0 : std::min<std::size_t>(length, sizeof text - 1));
}

std::string UtcTimeField(std::int64_t utcMs) {
    const WallTime t = WallFields(utcMs);
    return Format("%02d%02d%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
}

int Thousandths(double g) {
    return static_cast<int>(std::lround(g * 1000.0));
}

} // namespace

std::string NmeaLine(std::string_view body) {
    std::uint8_t checksum = 0;
    for (const char c : body)
        checksum ^= static_cast<std::uint8_t>(c);
    return "$" + std::string(body) + Format("*%02X\r\n", checksum);
}

std::string LogHeaderLine(int formatNumber, std::string_view drid, std::string_view sdid) {
    return NmeaLine(Format("MVDRL3,%d,", formatNumber) + std::string(drid) + "," +
                    std::string(sdid));
}

std::string RmcLine(std::int64_t utcMs, const DriveState& state) {
    const WallTime t = WallFields(utcMs);
    const std::string date = Format("%02d%02d%02d", t.day, t.month, t.year % 100);
    if (!state.gpsValid)
        return NmeaLine("GPRMC," + UtcTimeField(utcMs) + ",V,,,,,,," + date + ",,,N");
    const double lat = ToNmea(state.latitude), lon = ToNmea(state.longitude);
    return NmeaLine("GPRMC," + UtcTimeField(utcMs) +
                    Format(",A,%09.4f,%c,%010.4f,%c,%.1f,%.1f,", std::fabs(lat),
                           lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E',
                           state.speedKmh / 1.852, state.courseDeg) +
                    date + ",,,A");
}

std::string GgaLine(std::int64_t utcMs, const DriveState& state) {
    if (!state.gpsValid)
        return NmeaLine("GPGGA," + UtcTimeField(utcMs) + ",,,,,0,00,99.9,,M,,M,,");
    const double lat = ToNmea(state.latitude), lon = ToNmea(state.longitude);
    return NmeaLine("GPGGA," + UtcTimeField(utcMs) +
                    Format(",%09.4f,%c,%010.4f,%c,1,%02d,%.1f,%.1f,M,19.6,M,,", std::fabs(lat),
                           lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E',
                           state.satellitesUsed, state.hdop, state.altitude));
}

std::string GsvLines(const DriveState& state, std::uint64_t seed) {
    const int inView = state.satellitesInView;
    const int sentences = (inView + 3) / 4;
    std::string lines;
    for (int sentence = 0; sentence < sentences; ++sentence) {
        std::string body = Format("GPGSV,%d,%d,%02d", sentences, sentence + 1, inView);
        for (int i = sentence * 4; i < std::min(inView, sentence * 4 + 4); ++i) {
            const auto prn = 1 + static_cast<int>(Random::Hash(seed, 10, i) * 32);
            const auto elevation = 5 + static_cast<int>(Random::Hash(seed, 11, i) * 80);
            const auto azimuth = static_cast<int>(Random::Hash(seed, 12, i) * 360);
            const auto snr = 20 + static_cast<int>(Random::Hash(seed, 13, i) * 25);
            body += Format(",%02d,%02d,%03d,%02d", prn, elevation, azimuth, snr);
        }
        lines += NmeaLine(body);
    }
    return lines;
}

std::string MvdrlLine(int sequence, std::int64_t wallMs, const DriveState& state,
                      std::uint16_t speedRaw, std::uint8_t status) {
    const WallTime t = WallFields(wallMs);
    return NmeaLine(Format("MVDRL,%d,%d,%d,%d,%d,%02d%02d%02d,%02d%02d%02d,%d,%d", sequence,
                           state.carSignal, Thousandths(state.gx), Thousandths(state.gy),
                           Thousandths(state.gz), t.hour, t.minute, t.second, t.day, t.month,
                           t.year % 100, status, speedRaw));
}

} // namespace trevix::mkcard
