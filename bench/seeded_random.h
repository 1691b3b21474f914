#pragma once

#include <cstdint>
#include <random>

namespace zelto::bench {

// The raw mt19937 sequence is the same everywhere; the standard distributions are not, so
// every draw below is made here from raw 32-bit outputs.
class SeededRandom {
  public:
    explicit SeededRandom(std::uint64_t seed) : engine_(mix(seed)) {}

    // An independent stream for a numbered part of the same scenario.
    SeededRandom child(std::uint64_t index) {
        return SeededRandom(static_cast<std::uint64_t>(next()) << 32 ^ mix(index));
    }

    std::uint32_t next() { return static_cast<std::uint32_t>(engine_()); }

    // Uniform in [low, high], both included; rejection keeps it unbiased.
    int between(int low, int high) {
        const std::uint64_t range = static_cast<std::uint64_t>(high - low) + 1;
        const std::uint64_t limit = (std::uint64_t{1} << 32) / range * range;
        std::uint64_t draw;
        do
            draw = next();
        while (draw >= limit);
        return low + static_cast<int>(draw % range);
    }

    // True with the given chance in a thousand.
    bool perMille(int chance) { return between(0, 999) < chance; }

    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 24); }

  private:
    // splitmix64 finaliser: nearby seeds give unrelated streams.
    static std::uint32_t mix(std::uint64_t x) {
        x += 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((x ^ (x >> 31)) >> 16);
    }

    std::mt19937 engine_;
};

} // namespace zelto::bench
