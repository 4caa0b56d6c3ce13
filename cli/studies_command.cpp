#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/history_loading.h"
#include "cli/study_options.h"
#include "base/atomic_file.h"
#include "base/formatted_text.h"
#include "data/history_length.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace varkel::cli {

namespace {

constexpr const char* usage =
    "usage: varkel-cli studies --product NAME --file PATH [--out FILE] [study options]\n"
    "\n"
    "Loads a price file as the named product, runs the studies asked for and prints\n"
    "one CSV line per bar: dateText,open,high,low,close and the studies' fields.\n"
    "\n"
    "study options (studies not named are not run):\n"
    "  --ma SPAN1,SPAN2                    moving averages: maShort,maLong\n"
    "  --keltner EMA_SPAN,ATR_SPAN,MULT    ema,trueRange,atr,keltnerUpper,keltnerLower\n"
    "  --rsi SPAN                          rsi\n"
    "  --roc SPAN                          roc (span from 1)\n"
    "  --stoch K_SPAN,D_SPAN,SLOW_D_SPAN   stochK,stochD,stochSlowD\n"
    "  --macd MA1,MA2,SIGNAL               macdFast,macdSlow,macdLine,macdSignal\n"
    "  --tsc SPAN                          tsc\n"
    "  --lreg SPAN                         lregSlope\n"
    "  --ndist SPAN                        ndist\n"
    "Spans are whole numbers of at least 3 unless noted.\n";

struct Request {
    const StudyOption* study;
    std::vector<double> values;
};

// Parses one study option's values; false (with a message) on a usage error.
bool parseValues(const StudyOption& study, const std::string& text, std::vector<double>& values) {
    const auto numbers = parseNumberList(text);
    if (!numbers) {
        std::fprintf(stderr, "--%s: not a comma-separated list of numbers: %s\n", study.name(), text.c_str());
        return false;
    }
    if (static_cast<int>(numbers->size()) != study.valueCount()) {
        std::fprintf(stderr, "--%s takes %d value%s (%s), got %zu: %s\n", study.name(), study.valueCount(),
                     study.valueCount() == 1 ? "" : "s", study.valueHelp, numbers->size(), text.c_str());
        return false;
    }
    // A span is written whole ("20"): "2e1" or "20.0" is a number that happens to be whole.
    std::vector<std::string> written;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        written.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    for (int i = 0; i < study.valueCount(); ++i) {
        const double value = (*numbers)[static_cast<std::size_t>(i)];
        if (i < study.spanCount() && !parseWholeNumber(written[static_cast<std::size_t>(i)])) {
            std::fprintf(stderr, "--%s: spans must be whole numbers (%s): %s\n", study.name(), study.valueHelp,
                         text.c_str());
            return false;
        }
        // The same rule as a saved model's setting: a band multiplier below zero swaps the bands.
        if (i >= study.spanCount() && (!std::isfinite(value) || value < 0.0)) {
            std::fprintf(stderr, "--%s: settings must be finite numbers of at least 0 (%s): %s\n", study.name(),
                         study.valueHelp, text.c_str());
            return false;
        }
    }
    values = *numbers;
    return true;
}

// The spans as whole numbers; parseValues checked that they are.
std::vector<int> spansOf(const Request& request) {
    std::vector<int> spans;
    for (int i = 0; i < request.study->spanCount(); ++i)
        spans.push_back(static_cast<int>(request.values[static_cast<std::size_t>(i)]));
    return spans;
}

bool spansAccepted(const Request& request) {
    const StudyInfo& study = request.study->study;
    const std::vector<int> spans = spansOf(request);
    if (study.acceptsSpans(spans)) return true;
    std::size_t refused = 0;
    while (spans[refused] >= study.spans[refused].smallest) ++refused;
    std::fprintf(stderr, "--%s: span %.0f is below %d, the smallest this study accepts\n", request.study->name(),
                 request.values[refused], study.spans[refused].smallest);
    return false;
}

std::string csvText(const Product& product, const std::vector<Request>& requests) {
    std::string text = "dateText,open,high,low,close";
    for (const Request& request : requests)
        for (const StudyColumn& column : request.study->study.columns) text += std::string(",") + column.name;
    text += '\n';
    for (int i = 0; i < product.historyLength(); ++i) {
        const Bar& bar = product.bars[static_cast<std::size_t>(i)];
        text += bar.dateText;
        // Prices at the file's precision (111.24 for 11124, not the 111.24000000000001
        // that hundredths times 0.01 holds); the studies' figures exact.
        for (const double price : {bar.open, bar.high, bar.low, bar.close})
            text += "," + formattedText("%.*f", product.priceDecimals(), price);
        for (const Request& request : requests)
            for (const StudyColumn& column : request.study->study.columns)
                text += "," + shortestText(bar.*column.field);
        text += '\n';
    }
    return text;
}

}  // namespace

int runStudiesCommand(int argc, char** argv) {
    std::set<std::string> valueOptions{"product", "file", "out"};
    for (const StudyOption& study : studyOptions()) valueOptions.insert(study.name());
    CliArgs args(valueOptions, {});
    if (const auto code = args.parseOrExit(argc, argv, usage)) return *code;
    const std::string productName = args.valueOr("product", "");
    const std::string path = args.valueOr("file", "");
    if (!args.has("product") || path.empty()) return usageError("studies needs --product and --file", usage);
    if (const auto fault = productFault(productName)) return usageError(*fault, usage);

    std::vector<Request> requests;
    for (const StudyOption& study : studyOptions()) {
        const auto text = args.value(study.name());
        if (!text) continue;
        Request request{&study, {}};
        if (!parseValues(study, *text, request.values) || !spansAccepted(request)) return usageError("", usage);
        requests.push_back(std::move(request));
    }
    const std::string outPath = args.valueOr("out", "");
    if (!outPath.empty() && sameFile(outPath, path))
        return usageError("--out " + outPath + " is the price file the studies read", usage);

    ProductRegistry registry;
    if (!loadHistory(registry, productName, path)) return exitFailed;

    const Product& product = *registry.findProduct(productName);
    if (const auto refusal = refuseShortHistory(productName, product.historyLength(), 1, "a study")) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }
    for (const Request& request : requests) {
        request.study->study.compute(registry, productName, request.values);
        const auto needed = request.study->study.warmUp(spansOf(request));
        if (product.historyLength() < needed)
            std::fprintf(stderr, "warning: --%s needs %lld bars for every value, the history has %d\n",
                         request.study->name(), static_cast<long long>(needed), product.historyLength());
    }

    const std::string csv = csvText(product, requests);
    if (outPath.empty()) {
        if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0) {
            std::fputs("writing the output failed\n", stderr);
            return exitFailed;
        }
        return exitOk;
    }
    std::string error;
    if (!writeFileAtomically(outPath, csv, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exitFailed;
    }
    return exitOk;
}

}  // namespace varkel::cli
