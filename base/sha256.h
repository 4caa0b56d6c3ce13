#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varkel {

// SHA-256 (FIPS 180-4), written out here so that the engine needs no
// library: names an input file in the header of a permutation test's part
// files, so that parts of runs on different data are never merged.
class Sha256 {
public:
    Sha256();
    void update(std::string_view bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string hexDigest();

private:
    void compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes hashed so far
};

std::string sha256Hex(std::string_view bytes);

}  // namespace varkel
