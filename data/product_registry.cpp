#include "data/product_registry.h"

#include <algorithm>

namespace varkel {

std::string fileStem(std::string_view productName) {
    std::string stem(productName);
    std::replace(stem.begin(), stem.end(), '/', '_');
    return stem;
}

ProductRegistry::ProductRegistry(const ProductRegistry& other) : currentPriceScale(other.currentPriceScale) {
    for (const auto& product : other.products_) products_.push_back(std::make_unique<Product>(*product));
}

ProductRegistry& ProductRegistry::operator=(const ProductRegistry& other) {
    if (this != &other) *this = ProductRegistry(other);
    return *this;
}

Product* ProductRegistry::findProduct(std::string_view name) {
    // The empty name would begin every name; it names no product.
    if (name.empty()) return nullptr;
    for (auto& product : products_) {
        if (std::string_view(product->name).substr(0, name.size()) == name) return product.get();
    }
    return nullptr;
}

const Product* ProductRegistry::findProduct(std::string_view name) const {
    return const_cast<ProductRegistry*>(this)->findProduct(name);
}

Product* ProductRegistry::addProduct(std::string_view name) {
    if (name.empty() || name.size() > Product::maxNameLength || findProduct(name) != nullptr) return nullptr;
    auto product = std::make_unique<Product>();
    product->name = std::string(name);
    products_.push_back(std::move(product));
    return products_.back().get();
}

Bar* ProductRegistry::addBar(std::string_view productName, std::string_view line) {
    if (std::count(line.begin(), line.end(), ',') < 4) return nullptr;
    Product* product = findProduct(productName);
    if (product == nullptr) return nullptr;
    return &addBar(*product);
}

Bar& ProductRegistry::addBar(Product& product) {
    currentPriceScale = product.priceScale;
    return product.bars.emplace_back();
}

void ProductRegistry::appendEmptyBar(std::string_view productName) {
    if (Product* product = findProduct(productName)) product->bars.emplace_back();
}

}  // namespace varkel
