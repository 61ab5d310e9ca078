#include "base/random.h"

namespace nyamo {

namespace {

// splitmix64's finaliser: spreads every bit of its input over the result.
std::uint64_t Mix(std::uint64_t z) {
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

Random::Random(std::uint64_t seed) : state_(Mix(seed)) {}

void Random::Reseed(std::uint64_t clock_reading) {
    state_ = Mix(state_ ^ Mix(clock_reading));
}

std::uint32_t Random::NextU32() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

// The top 24 bits, scaled: every result is exact in single precision and below 1.
float Random::NextSingle() { return static_cast<float>(NextU32() >> 8) * (1.0f / 16777216.0f); }

}  // namespace nyamo
