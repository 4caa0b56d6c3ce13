#include "cli/product_option.h"

#include "cli/nearest_name.h"
#include "data/download.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace varkel::cli {

namespace {

// "usd_jpy.txt" -> "USDJPYTXT": letters only, upper case, so that USD/JPY,
// USD_JPY, usdjpy and USD-JPY read alike.
std::string lettersOnly(const std::string& text) {
    std::string letters;
    for (const char c : text)
        if (std::isalpha(static_cast<unsigned char>(c)) != 0)
            letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return letters;
}

}  // namespace

std::optional<std::string> productFault(const std::string& product) {
    if (product.empty()) return "--product needs a name";
    std::vector<std::string> known, knownLetters;
    for (const DownloadProduct& entry : downloadProducts) {
        if (entry.name == product) return std::nullopt;
        known.emplace_back(entry.name);
        knownLetters.push_back(lettersOnly(known.back()));
    }
    std::string fault = "unknown product: " + product;
    if (const auto nearest = nearestName(lettersOnly(product), knownLetters)) {
        const auto at = std::find(knownLetters.begin(), knownLetters.end(), *nearest) - knownLetters.begin();
        return fault + "; did you mean " + known[static_cast<std::size_t>(at)] + "?";
    }
    fault += " (known:";
    for (const std::string& name : known) fault += " " + name;
    return fault + ")";
}

void warnWhenFileNamesAnotherProduct(const std::string& product, const std::string& priceFile) {
    const std::string name = lettersOnly(std::filesystem::path(priceFile).filename().string());
    if (name.find(lettersOnly(product)) != std::string::npos) return;
    for (const DownloadProduct& entry : downloadProducts)
        if (name.find(lettersOnly(std::string(entry.name))) != std::string::npos) {
            std::fprintf(stderr, "warning: %s is read as %s, but its name names %s\n", priceFile.c_str(),
                         product.c_str(), std::string(entry.name).c_str());
            return;
        }
}

}  // namespace varkel::cli
