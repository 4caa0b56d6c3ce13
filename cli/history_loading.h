#pragma once

#include "data/product_registry.h"

#include <string>

namespace varkel::cli {

// Adds the product and loads its price file, telling stderr about a file that
// cannot be opened or is too large (false) and, with the number of lines read,
// about refused lines or a file without bars (still true).
bool loadHistory(ProductRegistry& registry, const std::string& productName,
                 const std::string& priceFile);

}  // namespace varkel::cli
