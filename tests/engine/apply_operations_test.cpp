#include "model/apply_operations.h"
#include "search/saved_model.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varkel;

namespace {

// Closes 100, 101, 102, 103, 90: a three-bar regression slope of 1, 1 and then -6.
Product& risingThenFalling(ProductRegistry& registry) {
    Product& product = *registry.addProduct("USD/JPY");
    const double opens[] = {100.0, 100.0, 101.0, 102.5, 103.0};
    const double closes[] = {100.0, 101.0, 102.0, 103.0, 90.0};
    for (int i = 0; i < 5; ++i) {
        Bar& bar = product.bars.emplace_back();
        bar.open = opens[i];
        bar.close = closes[i];
        bar.high = std::max(opens[i], closes[i]) + 0.5;
        bar.low = std::min(opens[i], closes[i]) - 0.5;
    }
    product.bars.emplace_back();
    return product;
}

std::vector<int> positionsOf(const Product& product) {
    std::vector<int> positions;
    for (const Bar& bar : product.bars) positions.push_back(bar.position);
    return positions;
}

void setPositions(Product& product, const std::vector<int>& positions) {
    for (std::size_t i = 0; i < positions.size(); ++i) product.bars[i].position = positions[i];
}

using V = std::vector<int>;

}  // namespace

TEST(ApplyOperations, BaseRuleWritesEveryBarIncludingTheNextDay) {
    ProductRegistry registry;
    Product& product = risingThenFalling(registry);
    setPositions(product, {1, 1, 1, 1, 1, 1});
    applyLreg(registry, "USD/JPY", 3, 0.0, false);
    EXPECT_EQ(positionsOf(product), (V{0, 0, 0, 1, 1, -1}));
    EXPECT_DOUBLE_EQ(product.bars[4].lregSlope, -6.0);
}

TEST(ApplyOperations, FiltersStartFromThePositionsTheBarsHeld) {
    ProductRegistry registry;
    Product& product = risingThenFalling(registry);
    // The correlation is 1 on bars 2 and 3 and about -0.83 on bar 4.
    setPositions(product, {0, 1, -1, 1, -1, 1});
    applyTsc(registry, "USD/JPY", 3, 0.9, true);
    EXPECT_EQ(positionsOf(product), (V{0, 0, 0, 1, -1, 0}));

    // ROC with span 1 on bar 4 is -14.4 %: it closes a long but never a short.
    setPositions(product, {0, 1, -1, 1, -1, 1});
    applyRoc(registry, "USD/JPY", 1, 5.0);
    EXPECT_EQ(positionsOf(product), (V{0, 1, -1, 1, -1, 0}));
    setPositions(product, {0, 1, -1, 1, -1, -1});
    applyRoc(registry, "USD/JPY", 1, 5.0);
    EXPECT_EQ(positionsOf(product), (V{0, 1, -1, 1, -1, -1}));
}

TEST(ApplyOperations, GuardsLeaveThePositionsAlone) {
    ProductRegistry registry;
    Product& product = risingThenFalling(registry);
    const V held = {1, -1, 1, -1, 1, -1};
    setPositions(product, held);
    applyMacd(registry, "USD/JPY", 1, 3, 2, 0.0);
    applyMacd(registry, "USD/JPY", 2, 2, 2, 0.0);
    applyMacd(registry, "USD/JPY", 2, 3, 1, 0.0);
    applyStochastics(registry, "USD/JPY", 3, 2, 3, 0.0);
    applyKeltner(registry, "USD/JPY", 1, 3, 1.0);
    applyKeltner(registry, "USD/JPY", 2, 2, 1.0);
    applyKeltner(registry, "USD/JPY", 2, 3, -0.01);
    applyLreg(registry, "EUR/JPY", 3, 0.0, false);
    EXPECT_EQ(positionsOf(product), held);
}

TEST(ApplySavedModel, OnlyBaseStudiesCanCarryAModel) {
    for (int kind : {-999, 0, 6, 7, 9, 11, 14}) {
        ProductRegistry registry;
        Product& product = risingThenFalling(registry);
        setPositions(product, {1, 1, 1, 1, 1, 1});
        TradeModel model;
        model.layers[0].kind = static_cast<StudyKind>(kind);
        model.layers[0].p.spans[0] = 3;
        model.layers[1].kind = StudyKind::LinearRegression;  // not reached without a base
        model.layers[1].p.spans[0] = 3;
        model.layers[1].p.setting = 5.0;
        EXPECT_FALSE(applySavedModel(registry, "USD/JPY", model)) << kind;
        EXPECT_EQ(positionsOf(product), (V{1, 1, 1, 1, 1, 1})) << kind;
    }
    for (StudyKind kind : {StudyKind::Macd, StudyKind::TimeSeriesCorrelation, StudyKind::LinearRegression,
                           StudyKind::Stochastics, StudyKind::KeltnerChannels}) {
        ProductRegistry registry;
        risingThenFalling(registry);
        TradeModel model;
        model.layers[0].kind = kind;
        EXPECT_TRUE(applySavedModel(registry, "USD/JPY", model)) << static_cast<int>(kind);
    }
}

TEST(ApplySavedModel, BaseThenSecondThenThirdIndex) {
    ProductRegistry registry;
    Product& product = risingThenFalling(registry);
    TradeModel model;
    model.layers[0].kind = StudyKind::LinearRegression;
    model.layers[0].p.spans[0] = 3;
    model.layers[0].p.setting = 0.0;
    model.layers[1].kind = StudyKind::TimeSeriesCorrelation;
    model.layers[1].p.spans[0] = 3;
    model.layers[1].p.setting = 0.9;
    model.layers[2].kind = StudyKind::Macd;  // not a filter: skipped
    model.layers[2].p.spans[0] = 3;
    ASSERT_TRUE(applySavedModel(registry, "USD/JPY", model));
    EXPECT_EQ(positionsOf(product), (V{0, 0, 0, 1, 1, 0}));

    model.layers[2].kind = StudyKind::NormalDistribution;  // variance of 102, 103, 90 is large
    model.layers[2].p.spans[0] = 3;
    model.layers[2].p.setting = 1.0;  // variance of 100, 101, 102 is exactly 1: kept
    ASSERT_TRUE(applySavedModel(registry, "USD/JPY", model));
    EXPECT_EQ(positionsOf(product), (V{0, 0, 0, 1, 1, 0}));
    model.layers[2].p.setting = 1.5;
    ASSERT_TRUE(applySavedModel(registry, "USD/JPY", model));
    EXPECT_EQ(positionsOf(product), (V{0, 0, 0, 0, 0, 0}));
}
