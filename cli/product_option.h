#pragma once

#include <optional>
#include <string>

namespace varkel::cli {

// Why --product cannot name this product: empty, or not one of the four
// currency pairs the program knows (with the nearest of them when the text
// looks like a slip, "usdjpy" for USD/JPY). Nullopt for a known product.
std::optional<std::string> productFault(const std::string& product);

// Warns on stderr when the price file's name names another known product
// than `product` (USD/JPY with EUR_JPY.txt): the bars would be built and
// saved under the wrong pair without a word otherwise.
void warnWhenFileNamesAnotherProduct(const std::string& product, const std::string& priceFile);

}  // namespace varkel::cli
