// Price fields are read with std::from_chars where that reads them plainly and
// with strtod otherwise; every field must keep the value and the refusal that
// strtod alone gave it.
#include "data/price_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

using namespace varkel;

namespace {

// The straightforward reading: strtod on a copy, a field without a number or
// with a non-finite one refused.
std::optional<double> strtodReading(const std::string& field) {
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (end == field.c_str() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The field as the loader reads it, in each of the four price places.
std::optional<double> loaderReading(const std::string& field) {
    std::optional<double> reading;
    for (int place = 0; place < 4; ++place) {
        std::string line = "20240102";
        for (int f = 0; f < 4; ++f) line += "," + (f == place ? field : std::string("1.5"));
        Bar bar;
        const bool read = parsePriceLine(4, bar, line, 1.0);
        const double prices[4] = {bar.open, bar.high, bar.low, bar.close};
        const std::optional<double> here = read ? std::optional<double>(prices[place]) : std::nullopt;
        if (place > 0 && here.has_value() != reading.has_value()) ADD_FAILURE() << "place " << place << ": " << field;
        reading = here;
    }
    return reading;
}

bool sameBits(std::optional<double> a, std::optional<double> b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || std::memcmp(&*a, &*b, sizeof(double)) == 0;
}

void expectSameAsStrtod(const std::string& field) {
    const std::optional<double> expected = strtodReading(field);
    const std::optional<double> actual = loaderReading(field);
    EXPECT_TRUE(sameBits(actual, expected))
        << "field \"" << field << "\": strtod " << (expected ? std::to_string(*expected) : "refused") << ", loader "
        << (actual ? std::to_string(*actual) : "refused");
}

}  // namespace

TEST(PriceField, EdgeTextsReadAsStrtodReadsThem) {
    const std::string overlong(800, '7');
    const char* const fields[] = {
        "1.5", "+1.5", " 1.5", "\t 2", " \v\f+3", "1e3", "1E-3", "1.5e+2x", "-0", "+0", "-1.25",
        // signs strtod refuses
        "+-1", "++1", "-+1", "--1", "+", "-", "+ 1", "- 1",
        // no number at all
        "", "  ", ".", "e5", "+.", "-.e1", "abc", ",",
        // decimals cut anywhere
        ".5", "5.", "1e", "1e+", "1e-", "1.5abc", "1_5", "12 34", "0012.50", "00x1",
        // hexadecimal
        "0x1p3", "0X1.8P1", "-0x10", "+0x1", "0x", "0xg", " 0x.8", "0x1p-1080", "0x1p2000",
        // infinities and NaNs: refused
        "inf", "-inf", "INF", "infinity", "+Infinity", "nan", "-nan", "NAN(12)", "in", "na",
        // beyond the range of a double, subnormals, the boundary between them
        "1e400", "-1e400", "1e-400", "-1e-400", "1e-4000", "4.9e-324", "2.4703282292062327e-324",
        "2.2250738585072011e-308", "2.2250738585072014e-308", "1.7976931348623157e308", "1.7976931348623159e308",
        // more digits than a double holds, halfway cases
        "0.1000000000000000055511151231257827021181583404541015625",
        "1.00000000000000011102230246251565404236316680908203125",
        "1.00000000000000011102230246251565404236316680908203126", "9007199254740993",
        "123456789012345678901234567890", "0.30000000000000004441"};
    for (const char* field : fields) expectSameAsStrtod(field);
    expectSameAsStrtod(overlong);
    expectSameAsStrtod("0." + overlong + "e-5");
}

TEST(PriceField, RandomNumberLikeTextsReadAsStrtodReadsThem) {
    std::mt19937 random(37);
    const std::string alphabet = "0123456789012345678901234567890123456789..eE+-x ";
    std::uniform_int_distribution<std::size_t> length(1, 24), pick(0, alphabet.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string field;
        for (std::size_t n = length(random); n > 0; --n) field += alphabet[pick(random)];
        expectSameAsStrtod(field);
    }
}

TEST(PriceField, EveryFieldOfTheSampleAndFaultyHistoriesReadsAsStrtodReadsIt) {
    int fieldsSeen = 0;
    for (const char* dir : {VARKEL_SAMPLES_DIR, VARKEL_FAULTY_HISTORIES_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() != ".txt") continue;
            const std::string text = test::readFile(entry.path());
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find_first_of("\r\n", start);
                if (end == std::string::npos) end = text.size();
                const std::string line = text.substr(start, end - start);
                start = end + 1;
                std::size_t fieldStart = line.find(',');
                while (fieldStart != std::string::npos) {
                    const std::size_t comma = line.find(',', fieldStart + 1);
                    expectSameAsStrtod(line.substr(fieldStart + 1, comma == std::string::npos ? std::string::npos
                                                                                             : comma - fieldStart - 1));
                    ++fieldsSeen;
                    fieldStart = comma;
                }
            }
        }
    }
    EXPECT_GT(fieldsSeen, 100000);
}
