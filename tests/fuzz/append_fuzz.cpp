// The checks of a hand-typed bar and the append itself: the first five lines
// of the input are the entries, the rest the price file already there.
#include "data/append_bar.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace varkel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = fuzz::scratchDirectory("append");
    std::string_view text = fuzz::asText(data, size);
    AppendRequest request;
    for (std::string* entry : {&request.date, &request.open, &request.high, &request.low, &request.close}) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        *entry = std::string(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }

    const AppendCheck check = checkAppendRequest(request);
    if (check) {
        const PriceLineValues& v = *check.values;
        fuzz::require(v.low <= v.open && v.open <= v.high && v.low <= v.close && v.close <= v.high);
        // Each value is what its entry means: hundredths as typed, or a
        // decimal price with at most two decimals converted to hundredths.
        const auto hundredths = [](const std::string& entry) {
            return entry.find('.') == std::string::npos ? std::strtoll(entry.c_str(), nullptr, 10)
                                                        : std::llround(std::strtod(entry.c_str(), nullptr) * 100.0);
        };
        const auto hasPoint = [](const std::string& entry) { return entry.find('.') != std::string::npos; };
        fuzz::require(hasPoint(request.high) == hasPoint(request.open) && hasPoint(request.low) == hasPoint(request.open) &&
                      hasPoint(request.close) == hasPoint(request.open));
        fuzz::require(v.date == std::strtoll(request.date.c_str(), nullptr, 10));
        fuzz::require(v.open == hundredths(request.open) && v.high == hundredths(request.high) &&
                      v.low == hundredths(request.low) && v.close == hundredths(request.close));
        fuzz::require(formatPriceLine(v) == std::to_string(v.date) + "," + std::to_string(v.open) + "," +
                                                std::to_string(v.high) + "," + std::to_string(v.low) + "," +
                                                std::to_string(v.close));
    } else {
        fuzz::require(!check.message.empty() && check.field != AppendField::None);
    }

    const std::filesystem::path file = dir / "prices.txt";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
    const AppendResult result = appendPriceLine(file.string(), request);
    fuzz::require((result.status == AppendStatus::Appended) == (result.message.empty()));
    return 0;
}
