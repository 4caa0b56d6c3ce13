#pragma once

#include "data/product.h"

#include <memory>
#include <string_view>
#include <vector>

namespace varkel {

// The products loaded into one chart workspace. Products are appended only and
// live as long as the registry; pointers to them stay valid.
class ProductRegistry {
public:
    ProductRegistry() = default;
    // A copy holds copies of every product and bar (tests and searches work on copies).
    ProductRegistry(const ProductRegistry& other);
    ProductRegistry& operator=(const ProductRegistry& other);
    ProductRegistry(ProductRegistry&&) noexcept = default;
    ProductRegistry& operator=(ProductRegistry&&) noexcept = default;

    // The price scale of the product whose bar was added last.
    double currentPriceScale = 0.0;

    // First product whose name begins with `name` (the comparison covers exactly
    // the length of `name`): "USD" finds "USD/JPY", "USD/JPY" does not find "USD".
    // The empty name finds nothing.
    Product* findProduct(std::string_view name);
    const Product* findProduct(std::string_view name) const;

    // Null when a product is already found for the name or the name is empty or too long.
    Product* addProduct(std::string_view name);

    // Appends a zeroed bar for a price-file line with at least 4 commas; null
    // otherwise or when the product is unknown. The caller fills the bar.
    Bar* addBar(std::string_view productName, std::string_view line);
    // The same for a line the caller has already seen to hold a bar of `product`
    // (one of this registry's): no second count of its commas, no name search.
    Bar& addBar(Product& product);

    // Appends the zeroed bar for the next trading day.
    void appendEmptyBar(std::string_view productName);

    int productCount() const { return static_cast<int>(products_.size()); }

private:
    std::vector<std::unique_ptr<Product>> products_;
};

}  // namespace varkel
