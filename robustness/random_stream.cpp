#include "robustness/random_stream.h"

namespace varkel {

namespace {

std::uint64_t rotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

std::uint64_t SplitMix64::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

std::uint64_t Xoshiro256StarStar::next() {
    const std::uint64_t result = rotateLeft(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotateLeft(s_[3], 45);
    return result;
}

std::uint64_t Xoshiro256StarStar::below(std::uint64_t n) {
    // 2^64 mod n, computed in 64 bits: (2^64 - n) mod n.
    const std::uint64_t threshold = (0 - n) % n;
    for (;;) {
        const std::uint64_t draw = next();
        if (draw >= threshold) return draw % n;
    }
}

Xoshiro256StarStar permutationStream(std::uint64_t seed, std::uint64_t k) {
    SplitMix64 seeder(seed ^ (k * 0xD1B54A32D192ED03u));
    // Four calls in order (argument evaluation order is unspecified).
    const std::uint64_t s0 = seeder.next();
    const std::uint64_t s1 = seeder.next();
    const std::uint64_t s2 = seeder.next();
    const std::uint64_t s3 = seeder.next();
    return Xoshiro256StarStar(s0, s1, s2, s3);
}

}  // namespace varkel
