#include "report/strategy_line.h"

#include "base/formatted_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace varkel {

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t powersOfTen[] = {1, 10, 100, 1000, 10000};
constexpr std::uint64_t largestUnits = 1'000'000'000'000'000'000;  // 18 digits: std::to_chars of an integer

// |value| in units of 10^-precision (precision at most 4), rounded half to even
// from its exact binary value as printf rounds it: value = mantissa * 2^exponent
// exactly, so mantissa * 10^precision / 2^-exponent is exact in 128 bits. False
// for a value at or beyond 2^53 or with more units than 18 digits: std::to_chars
// writes those.
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
    const Wide scaled = static_cast<Wide>(mantissa) * powersOfTen[precision];
    const int shift = -exponent;
    Wide whole = scaled;
    if (shift >= 128) {
        whole = 0;  // below 2^-75: far under half a unit
    } else if (shift > 0) {
        whole = scaled >> shift;
        const Wide rest = scaled - (whole << shift);
        const Wide half = Wide{1} << (shift - 1);
        if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
    }
    if (whole >= largestUnits) return false;
    units = static_cast<std::uint64_t>(whole);
    return true;
}

// The longest field: the 309 integer digits of the largest double, the sign,
// the point and four decimals.
constexpr std::size_t longestField = 320;

// printf's "%<width>.<precision>f" at `out`, right-aligned, every digit kept
// (at most longestField characters); returns the end.
char* writeFixed(char* out, double value, int width, int precision) {
    char digits[longestField];
    char* end = digits;
    std::uint64_t units = 0;
    if (!std::isfinite(value)) {
        // printf's own spelling of nan and inf, sign included.
        end += formatInto(digits, sizeof digits, "%.*f", precision, value);
    } else if (exactUnits(value, precision, units)) {
        // The units' digits with zeros before them up to one digit before the
        // point, the point before the last `precision`.
        char unitDigits[32];
        char* unitsBegin = unitDigits + 8;  // room for the zeros
        char* const unitsEnd = std::to_chars(unitsBegin, unitDigits + sizeof unitDigits, units).ptr;
        while (unitsEnd - unitsBegin <= precision) *--unitsBegin = '0';
        if (std::signbit(value)) *end++ = '-';
        end = std::copy(unitsBegin, unitsEnd - precision, end);
        if (precision > 0) {
            *end++ = '.';
            end = std::copy(unitsEnd - precision, unitsEnd, end);
        }
    } else {
        end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision).ptr;
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
        end = writeFixed(end, price, 10, 2);
    }
    *end++ = ',';
    end = std::to_chars(end, end + 16, bar.position).ptr;
    for (const double pnl : {bar.dailyPnl, bar.cumulativePnl}) {
        *end++ = ',';
        end = writeFixed(end, pnl, 10, 4);
    }
    *end++ = '\n';
    text += bar.dateText;
    text.append(line, static_cast<std::size_t>(end - line));
}

}  // namespace varkel
