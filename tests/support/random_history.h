#pragma once

#include "data/product_registry.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace varkel::test {

// A random walk of daily bars with opens, highs and lows around the closes,
// on the price grid of the price files (hundredths). A coarse tick makes flat
// stretches, where study values repeat and means tie with the value exactly.
inline ProductRegistry randomHistory(const std::string& name, int bars, unsigned seed, double tick = 1.0) {
    ProductRegistry registry;
    Product* product = registry.addProduct(name);
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 60.0);
    std::uniform_real_distribution<double> spread(0.0, 80.0);
    double close = 11000.0;
    for (int i = 0; i < bars; ++i) {
        Bar bar;
        auto onTick = [tick](double price) { return std::round(price / tick) * tick; };
        const double open = onTick(close + step(random) / 4);
        close = onTick(close + step(random));
        bar.open = open * 0.01;
        bar.close = close * 0.01;
        bar.high = onTick(std::max(open, close) + spread(random)) * 0.01;
        bar.low = onTick(std::min(open, close) - spread(random)) * 0.01;
        bar.dateText = std::to_string(20000000 + i);
        product->bars.push_back(bar);
    }
    product->bars.emplace_back();
    return registry;
}

}  // namespace varkel::test
