// Deterministic pseudo-random numbers that give the same values on every build for one seed.
#pragma once

#include <cstdint>

namespace trevix::mkcard {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return Mix(state_);
    }
    // Uniform in [low, high).
    double Uniform(double low, double high) { return low + (high - low) * ToUnit(Next()); }
    // Uniform integer in [low, high].
    int Between(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }

    // A value in [0, 1) that depends only on its three inputs.
    static double Hash(std::uint64_t seed, std::uint64_t stream, std::uint64_t index) {
        return ToUnit(Mix(seed ^ Mix(stream + 0x632BE59BD9B4E019ULL) ^ Mix(Mix(index))));
    }

private:
    static std::uint64_t Mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    static double ToUnit(std::uint64_t value) {
        return static_cast<double>(value >> 11) * (1.0 / 9007199254740992.0);
    }

    std::uint64_t state_;
};

} // namespace trevix::mkcard
