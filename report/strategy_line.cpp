#include "report/strategy_line.h"

#include "base/formatted_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace varkel {

namespace {

constexpr std::uint64_t powersOfFive[] = {1, 5, 25, 125, 625};
constexpr std::uint64_t largestUnits = 1'000'000'000'000'000'000;  // 18 digits: std::to_chars of an integer

// |value| in units of 10^-precision (1 to 4), rounded half to even
// from its exact binary value as printf rounds it: value = mantissa * 2^exponent
// exactly, and 10^precision = 5^precision * 2^precision, so the units are
// mantissa * 5^precision / 2^(-exponent - precision), whose numerator stays
// below 2^63 (2^53 * 625) and is exact in 64 bits. False for a value at or
// beyond 2^53 or with more units than 18 digits: std::to_chars writes those.
bool exactUnits(double value, int precision, std::uint64_t& units) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biasedExponent - 1075;
    }
    if (exponent > 0) return false;
    const std::uint64_t scaled = mantissa * powersOfFive[precision];
    const int shift = -exponent - precision;
    std::uint64_t whole = 0;  // from shift 64 on, below half a unit (scaled < 2^63)
    if (shift <= 0) {
        if (scaled > (~std::uint64_t{0} >> -shift)) return false;  // far beyond 18 digits
        whole = scaled << -shift;
    } else if (shift < 64) {
        whole = scaled >> shift;
        const std::uint64_t rest = scaled - (whole << shift);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
    }
    if (whole >= largestUnits) return false;
    units = whole;
    return true;
}

// The longest field: the 309 integer digits of the largest double, the sign,
// the point and four decimals.
constexpr std::size_t longestField = 320;

// "00" "01" ... "99": two digits per division by 100.
constexpr auto digitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the two digits of `pair` (below 100) just before `end`.
char* writePairBefore(char* end, unsigned pair) {
    end -= 2;
    std::memcpy(end, &digitPairs[2 * pair], 2);
    return end;
}

// Units of 10^-Precision (fewer than 19 digits) as "%<width>.<Precision>f"
// writes them at `out`; returns the end. The digits are set from the right
// into a field of spaces, which then goes out as one block.
template <int Precision>
char* writeUnits(char* out, std::uint64_t units, bool negative, int width) {
    static_assert(Precision == 2 || Precision == 4);
    constexpr int fieldEnd = 32;  // a field of at most 21 characters ends here...
    char field[2 * fieldEnd];      // ...and the block copied out may run past it
    std::memset(field, ' ', sizeof field);
    char* begin = field + fieldEnd;
    for (int pair = 0; pair < Precision / 2; ++pair) {
        begin = writePairBefore(begin, static_cast<unsigned>(units % 100));
        units /= 100;
    }
    *--begin = '.';
    while (units >= 100) {
        begin = writePairBefore(begin, static_cast<unsigned>(units % 100));
        units /= 100;
    }
    if (units >= 10) begin = writePairBefore(begin, static_cast<unsigned>(units));
    else *--begin = static_cast<char>('0' + units);
    if (negative) *--begin = '-';
    begin = std::min(begin, field + fieldEnd - width);
    std::memcpy(out, begin, fieldEnd);
    return out + (field + fieldEnd - begin);
}

// printf's "%<width>.<Precision>f" at `out`, right-aligned, every digit kept
// (at most longestField characters, and room for a block of 32 there);
// returns the end.
template <int Precision>
char* writeFixed(char* out, double value, int width) {
    std::uint64_t units = 0;
    if (std::isfinite(value) && exactUnits(value, Precision, units))
        return writeUnits<Precision>(out, units, std::signbit(value), width);
    char digits[longestField];
    char* end = digits;
    if (!std::isfinite(value)) {
        // printf's own spelling of nan and inf, sign included.
        end += formatInto(digits, sizeof digits, "%.*f", Precision, value);
    } else {
        end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, Precision).ptr;
    }
    for (auto length = end - digits; length < width; ++length) *out++ = ' ';
    return std::copy(digits, end, out);
}

}  // namespace

void appendStrategyLine(std::string& text, const Bar& bar) {
    // Everything after the date: six numbers, a position of at most 11
    // characters, seven commas and the line end.
    char line[6 * longestField + 32];
    char* end = line;
    for (const double price : {bar.open, bar.high, bar.low, bar.close}) {
        *end++ = ',';
        end = writeFixed<2>(end, price, 10);
    }
    *end++ = ',';
    end = std::to_chars(end, end + 16, bar.position).ptr;
    for (const double pnl : {bar.dailyPnl, bar.cumulativePnl}) {
        *end++ = ',';
        end = writeFixed<4>(end, pnl, 10);
    }
    *end++ = '\n';
    text += bar.dateText;
    text.append(line, static_cast<std::size_t>(end - line));
}

}  // namespace varkel
