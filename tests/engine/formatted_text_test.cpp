#include "base/formatted_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>

using namespace varkel;

namespace {

std::string fixedSix(double value) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

}  // namespace

// Texts that fit the small buffer and texts just past it, up to a number of
// hundreds of digits, come back whole and as printf writes them.
TEST(FormattedText, TextsOfEveryLengthComeBackWhole) {
    for (const std::size_t length : {0u, 1u, 126u, 127u, 128u, 129u, 300u}) {
        const std::string text(length, 'x');
        EXPECT_EQ(formattedText("%s", text.c_str()), text) << length;
        EXPECT_EQ(formattedText("%s;%d", text.c_str(), 7), text + ";7") << length;
    }
    for (const double value : {0.5, -1234.125, 1e100, -1e200, 1.7976931348623157e308})
        EXPECT_EQ(formattedText("%.6f", value), fixedSix(value)) << value;
    EXPECT_EQ(formattedText("%10.2f", 1.5), "      1.50");
    EXPECT_EQ(formattedText("%10.6f", 1e100), fixedSix(1e100));
}
