#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace varkel {

// SplitMix64 (Steele, Lea and Flood 2014): a 64-bit counter stepped by the
// golden ratio and mixed. Used here only to spread a seed over the state of
// the generator below, as its authors recommend.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t state) : state_(state) {}
    std::uint64_t next();

private:
    std::uint64_t state_;
};

// xoshiro256** 1.0 (Blackman and Vigna 2018). Written out here rather than
// taken from <random>, so that the same seed gives the same numbers with every
// compiler and standard library.
class Xoshiro256StarStar {
public:
    // The four state words, not all zero.
    Xoshiro256StarStar(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3) : s_{s0, s1, s2, s3} {}
    std::uint64_t next();
    // A whole number in [0, n), every value equally likely (n > 0): the
    // remainder of a draw, drawn again while the draw falls below 2^64 mod n.
    std::uint64_t below(std::uint64_t n);

private:
    std::uint64_t s_[4];
};

// The random stream of permutation k in a run with seed s: xoshiro256** with
// its four state words the first four outputs of SplitMix64 started from
// s XOR (k * 0xD1B54A32D192ED03). The multiplier is odd, so every k of one run
// starts from its own state.
Xoshiro256StarStar permutationStream(std::uint64_t seed, std::uint64_t k);

// Fisher-Yates: for i from the last position down to 1, swaps element i with
// element stream.below(i + 1).
template <typename T>
void shuffleInPlace(std::vector<T>& items, Xoshiro256StarStar& stream) {
    for (std::size_t i = items.size(); i > 1; --i) {
        const auto j = static_cast<std::size_t>(stream.below(i));
        std::swap(items[i - 1], items[j]);
    }
}

}  // namespace varkel
