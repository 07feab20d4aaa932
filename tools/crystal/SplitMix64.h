#pragma once

#include <cstdint>

// A small seeded generator (SplitMix64). Unlike the standard distributions, its sequence is
// fixed by its own code, so the model comes out byte-identical with every library.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high): the top 53 bits as a fraction of one.
    double uniform(double low, double high)
    {
        const double fraction = static_cast<double>(next() >> 11) * 0x1.0p-53;
        return low + (high - low) * fraction;
    }

private:
    std::uint64_t m_state;
};
