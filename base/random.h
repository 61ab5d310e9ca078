// The program's uniform random source: PCG32 (O'Neill's permuted congruential
// generator, XSH-RR output) with single-precision draws in [0, 1).
//
// Reseed mixes a clock reading into the running state rather than replacing
// it: cats placed within one clock tick re-seed with the same reading, and a
// generator restarted from that reading would hand each of them the same
// lane, direction and distance.
#pragma once

#include <cstdint>

namespace nyamo {

class Random {
public:
    explicit Random(std::uint64_t seed = 0x853c49e6748fea9bULL);

    void Reseed(std::uint64_t clock_reading);
    // r with 0 <= r < 1, exactly representable in single precision.
    float NextSingle();
    std::uint32_t NextU32();

private:
    std::uint64_t state_ = 0;
    static constexpr std::uint64_t kIncrement = 0xda3e39cb94b95bdbULL;
};

}  // namespace nyamo
