// The checks of a hand-typed bar and the append itself: the first five lines
// of the input are the entries, the rest the price file already there.
#include "data/append_bar.h"
#include "fuzz_support.h"

#include <fstream>

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
        fuzz::require(formatPriceLine(v) == request.date + "," + request.open + "," + request.high + "," +
                                                request.low + "," + request.close ||
                      request.date.front() == '0' || request.open.front() == '0' ||
                      request.high.front() == '0' || request.low.front() == '0' || request.close.front() == '0');
    } else {
        fuzz::require(!check.message.empty() && check.field != AppendField::None);
    }

    const std::filesystem::path file = dir / "prices.txt";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
    const AppendResult result = appendPriceLine(file.string(), request);
    fuzz::require((result.status == AppendStatus::Appended) == (result.message.empty()));
    return 0;
}
