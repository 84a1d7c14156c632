#include "tools/mkcard/DriveModel.h"

#include "tools/mkcard/Random.h"

#include <cmath>
#include <numbers>

namespace trevix::mkcard {
namespace {

constexpr double kMetresPerDegree = 111320.0;
constexpr double kGravity = 9.81;

} // namespace

double ToNmea(double degrees) {
    const double magnitude = std::fabs(degrees);
    double whole = std::floor(magnitude);
    double minutes = std::round((magnitude - whole) * 60.0 * 10000.0) / 10000.0;
    if (minutes >= 60.0) {
        whole += 1;
        minutes -= 60.0;
    }
    const double value = whole * 100.0 + minutes;
    return degrees < 0 ? -value : value;
}

DriveModel::DriveModel(std::uint64_t seed, std::int64_t originWallMs)
    : seed_(seed), originMs_(originWallMs) {
    Random random(seed ^ 0x9E3779B97F4A7C15ULL);
    centreLat_ = random.Uniform(34.0, 41.0);
    centreLon_ = random.Uniform(121.0, 132.0);
    northAmplitude_ = random.Uniform(1600.0, 2600.0);
    eastAmplitude_ = random.Uniform(1400.0, 2200.0);
    omega_ = 2.0 * std::numbers::pi / random.Uniform(1500.0, 2400.0);
    phase_ = random.Uniform(0.0, 2.0 * std::numbers::pi);
}

void DriveModel::AddEvent(std::int64_t wallMs, std::uint8_t eventCode, std::uint8_t eventCodeEx) {
    events_.push_back({wallMs, eventCode, eventCodeEx});
}

void DriveModel::AddGpsOutage(std::int64_t fromMs, std::int64_t toMs) {
    outages_.push_back({fromMs, toMs});
}

double DriveModel::Noise(std::int64_t slot, std::uint64_t stream) const {
    return Random::Hash(seed_, stream, static_cast<std::uint64_t>(slot)) * 2.0 - 1.0;
}

DriveState DriveModel::At(std::int64_t wallMs) const {
    const double t = static_cast<double>(wallMs - originMs_) / 1000.0;
    // A figure-eight loop: north = A sin(wt + p), east = B sin(2wt + 2p). Its velocity never
    // vanishes, so the car keeps moving between about 15 and 55 km/h.
    const double a = northAmplitude_, b = eastAmplitude_, w = omega_;
    const double u = w * t + phase_;
    const double north = a * std::sin(u), east = b * std::sin(2 * u);
    const double vn = a * w * std::cos(u), ve = 2 * b * w * std::cos(2 * u);
    const double an = -a * w * w * std::sin(u), ae = -4 * b * w * w * std::sin(2 * u);
    const double speed = std::hypot(vn, ve);

    DriveState state;
    state.latitude = centreLat_ + north / kMetresPerDegree;
    state.longitude =
        centreLon_ + east / (kMetresPerDegree * std::cos(centreLat_ * std::numbers::pi / 180.0));
    state.speedKmh = speed * 3.6;
    double course = std::atan2(ve, vn) * 180.0 / std::numbers::pi;
    if (course < 0)
        course += 360.0;
    state.courseDeg = course >= 360.0 ? 0.0 : course;
    state.altitude = 45.0 + 18.0 * std::sin(w * 0.7 * t + 1.0);

    const double forward = (an * vn + ae * ve) / speed;   // along the heading
    const double rightward = (ae * vn - an * ve) / speed; // positive turning right
    const std::int64_t slot = (wallMs - originMs_) / 100; // noise changes every 100 ms
    state.gx = forward / kGravity + 0.015 * Noise(slot, 1);
    state.gy = rightward / kGravity + 0.015 * Noise(slot, 2);
    state.gz = 1.0 + 0.02 * Noise(slot, 3);

    std::uint8_t signal = 0;
    if (forward < -0.25)
        signal |= 0x01; // brake
    if (rightward > 0.6)
        signal |= 0x04; // right turn
    else if (rightward < -0.6)
        signal |= 0x08; // left turn

    for (const Event& event : events_) {
        const double dt = static_cast<double>(wallMs - event.wallMs) / 1000.0;
        const bool extended = event.code == 32 || event.code == 64;
        const bool shock = event.code == 1 || (extended && event.codeEx == 1);
        if (shock && dt >= 0 && dt < 2.0) {
            const double ring = std::exp(-dt / 0.3) * std::cos(2 * std::numbers::pi * 5 * dt);
            state.gx += -1.1 * ring;
            state.gy += 0.4 * ring;
            state.gz += 0.5 * ring;
        }
        if (extended && event.codeEx == 2 && dt >= -0.5 && dt < 1.5) {
            state.gx += -0.55 * std::sin(std::numbers::pi * (dt + 0.5) / 2.0);
            signal |= 0x01;
        }
        if (extended && event.codeEx == 3 && dt >= -0.5 && dt < 1.5)
            state.gy += 0.6 * std::sin(std::numbers::pi * (dt + 0.5));
        if ((event.code == 2 || (extended && event.codeEx == 4)) && dt >= -1.0 && dt < 1.0)
            signal |= 0x10; // external input 1
        if (dt >= 2.0 && dt < 8.0)
            signal |= 0x0C; // hazard lights after the event
    }
    state.carSignal = signal;

    const std::int64_t minute = (wallMs - originMs_) / 60000;
    state.satellitesUsed = 7 + static_cast<int>(Random::Hash(seed_, 4, minute) * 4);
    state.satellitesInView = state.satellitesUsed + 3;
    state.hdop = 0.8 + std::floor(Random::Hash(seed_, 5, minute) * 6) / 10.0;
    for (const Outage& outage : outages_)
        if (wallMs >= outage.fromMs && wallMs < outage.toMs) {
            state.gpsValid = false;
            state.satellitesUsed = 0;
        }
    return state;
}

} // namespace trevix::mkcard
