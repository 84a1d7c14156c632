// A plausible drive, as a smooth closed-form path so that every file of a card (frame records,
// logs) sees the same car at the same moment: position, speed, heading, altitude, G-sensor
// values and car signals, with shocks and signals around the card's event triggers.
#pragma once

#include <cstdint>
#include <vector>

namespace trevix::mkcard {

struct DriveState {
    double latitude = 0;  // decimal degrees, north positive
    double longitude = 0; // decimal degrees, east positive
    double speedKmh = 0;
    double courseDeg = 0;          // 0 north, clockwise, [0, 360)
    double altitude = 0;           // metres
    double gx = 0, gy = 0, gz = 1; // g: forward, right, up
    std::uint8_t carSignal = 0;
    bool gpsValid = true;
    int satellitesUsed = 8;
    int satellitesInView = 11;
    double hdop = 1.0;
};

// Lat/lon ddmm.mmmm numbers as the recorder stores them, rounded to four decimals of minutes.
double ToNmea(double degrees);

class DriveModel {
public:
    // seed picks the start position (inside 33-42 N, 119-134 E, where every plausibility rule
    // holds), the loop's size and phase; originWallMs is the card's start.
    DriveModel(std::uint64_t seed, std::int64_t originWallMs);

    // An event trigger: G-sensor events shake the car, switches raise an external input, and
    // the hazard lights go on for a while after any event.
    void AddEvent(std::int64_t wallMs, std::uint8_t eventCode, std::uint8_t eventCodeEx);
    // GPS reception lost from fromMs (inclusive) to toMs (exclusive).
    void AddGpsOutage(std::int64_t fromMs, std::int64_t toMs);

    DriveState At(std::int64_t wallMs) const;

private:
    struct Event {
        std::int64_t wallMs;
        std::uint8_t code;
        std::uint8_t codeEx;
    };
    struct Outage {
        std::int64_t fromMs;
        std::int64_t toMs;
    };

    double Noise(std::int64_t slot, std::uint64_t stream) const;

    std::uint64_t seed_;
    std::int64_t originMs_;
    double centreLat_, centreLon_;
    double northAmplitude_, eastAmplitude_; // metres
    double omega_;                          // radians per second
    double phase_;
    std::vector<Event> events_;
    std::vector<Outage> outages_;
};

} // namespace trevix::mkcard
