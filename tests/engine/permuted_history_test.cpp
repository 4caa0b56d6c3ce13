// Permuted histories against what they mean: the same moves in another
// order, from a random stream that every machine reproduces, loaded exactly
// as the price file written for them loads.
#include "../support/files.h"
#include "../support/random_history.h"
#include "../support/sample_history.h"

#include "data/price_file.h"
#include "base/sha256.h"
#include "robustness/permuted_history.h"
#include "robustness/random_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

std::vector<double> sortedShapePart(const HistoryMoves& moves, double DayShape::*part) {
    std::vector<double> values;
    for (const DayShape& shape : moves.shapes) values.push_back(shape.*part);
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<double> sorted(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values;
}

bool samePrices(const Product& a, const Product& b) {
    if (a.barCount() != b.barCount()) return false;
    for (int i = 0; i < a.barCount(); ++i) {
        const Bar& x = a.bars[i];
        const Bar& y = b.bars[i];
        if (x.dateText != y.dateText || std::memcmp(&x.open, &y.open, sizeof(double)) != 0 ||
            std::memcmp(&x.high, &y.high, sizeof(double)) != 0 || std::memcmp(&x.low, &y.low, sizeof(double)) != 0 ||
            std::memcmp(&x.close, &y.close, sizeof(double)) != 0)
            return false;
    }
    return true;
}

// The generators' published first outputs: SplitMix64 from 1234567, and
// xoshiro256** from the state {1, 2, 3, 4}.
TEST(RandomStream, GivesThePublishedOutputs) {
    SplitMix64 splitMix(1234567);
    for (const std::uint64_t expected : std::initializer_list<std::uint64_t>{6457827717110365317u, 3203168211198807973u, 9817491932198370423u,
                                         4593380528125082431u, 16408922859458223821u})
        EXPECT_EQ(splitMix.next(), expected);
    Xoshiro256StarStar xoshiro(1, 2, 3, 4);
    for (const std::uint64_t expected : std::initializer_list<std::uint64_t>{11520, 0, 1509978240, 1215971899390074240})
        EXPECT_EQ(xoshiro.next(), expected);
}

// below(n) stays below n and reaches every value; a shuffle is a permutation.
TEST(RandomStream, BoundedDrawsAndShufflesCoverTheirRange) {
    Xoshiro256StarStar stream = permutationStream(42, 1);
    for (const std::uint64_t n : std::initializer_list<std::uint64_t>{1, 2, 3, 7, 1000}) {
        std::set<std::uint64_t> seen;
        for (int i = 0; i < 20000; ++i) {
            const std::uint64_t draw = stream.below(n);
            ASSERT_LT(draw, n);
            seen.insert(draw);
        }
        EXPECT_EQ(seen.size(), n);
    }
    std::vector<int> items(50);
    for (int i = 0; i < 50; ++i) items[i] = i;
    shuffleInPlace(items, stream);
    std::vector<int> back = items;
    std::sort(back.begin(), back.end());
    for (int i = 0; i < 50; ++i) EXPECT_EQ(back[i], i);
    EXPECT_FALSE(std::is_sorted(items.begin(), items.end()));
}

struct HistoryCase {
    const char* what;
    ProductRegistry registry;
};

std::vector<HistoryCase> histories() {
    std::vector<HistoryCase> cases;
    cases.push_back({"the USD/JPY sample", test::samplePrefix("USD_JPY.txt", name, 1500)});
    cases.push_back({"a random walk", test::randomHistory(name, 700, 5)});
    return cases;
}

TEST(PermutedHistory, KeepsTheMovesInAnotherOrderAndBarZeroAndTheDates) {
    for (const HistoryCase& each : histories()) {
        SCOPED_TRACE(each.what);
        const Product& original = *each.registry.findProduct(name);
        const std::optional<HistoryMoves> moves = historyMoves(original);
        ASSERT_TRUE(moves);
        const ProductRegistry permutedRegistry = permutedHistory(original, *moves, 11, 3);
        const Product& permuted = *permutedRegistry.findProduct(name);
        ASSERT_EQ(permuted.barCount(), original.barCount());
        EXPECT_EQ(permuted.bars.back().dateText, "");
        EXPECT_EQ(permuted.bars[0].open, original.bars[0].open);
        EXPECT_EQ(permuted.bars[0].high, original.bars[0].high);
        EXPECT_EQ(permuted.bars[0].low, original.bars[0].low);
        EXPECT_EQ(permuted.bars[0].close, original.bars[0].close);
        double lowest = original.bars[0].low;
        for (int i = 0; i < original.historyLength(); ++i) {
            const Bar& bar = permuted.bars[i];
            EXPECT_EQ(bar.dateText, original.bars[i].dateText);
            EXPECT_GE(bar.high, std::max(bar.open, bar.close));
            EXPECT_LE(bar.low, std::min(bar.open, bar.close));
            lowest = std::min({lowest, bar.low, original.bars[i].low});
        }
        // Each price is rounded by at most half a hundredth; a log move of two
        // rounded prices is off by at most about one hundredth over the price.
        const double tolerance = 1.01 * original.priceScale / lowest;
        const std::optional<HistoryMoves> after = historyMoves(permuted);
        ASSERT_TRUE(after);
        const std::vector<double> before = sorted(moves->overnight);
        const std::vector<double> now = sorted(after->overnight);
        for (std::size_t i = 0; i < before.size(); ++i) ASSERT_NEAR(now[i], before[i], tolerance) << i;
        for (double DayShape::*part : {&DayShape::high, &DayShape::low, &DayShape::close}) {
            const std::vector<double> a = sortedShapePart(*moves, part);
            const std::vector<double> b = sortedShapePart(*after, part);
            for (std::size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(b[i], a[i], tolerance) << i;
        }
        // Another order: most days have another overnight move and shape than before.
        int moved = 0;
        for (std::size_t i = 0; i < moves->overnight.size(); ++i)
            moved += std::abs(after->overnight[i] - moves->overnight[i]) > tolerance &&
                     std::abs(after->shapes[i].close - moves->shapes[i].close) > tolerance;
        EXPECT_GT(moved, static_cast<int>(moves->overnight.size()) / 2);
        // The moves' sum is kept: the last close is the original's within rounding.
        EXPECT_NEAR(std::log(permuted.bars[original.historyLength() - 1].close),
                    std::log(original.bars[original.historyLength() - 1].close), tolerance);
    }
}

TEST(PermutedHistory, IsAFunctionOfSeedAndIndexAlone) {
    const ProductRegistry registry = test::randomHistory(name, 400, 9);
    const Product& original = *registry.findProduct(name);
    const HistoryMoves moves = *historyMoves(original);
    const auto permuted = [&](std::uint64_t seed, std::uint64_t k) {
        return permutedHistory(original, moves, seed, k);
    };
    EXPECT_TRUE(samePrices(*permuted(5, 2).findProduct(name), *permuted(5, 2).findProduct(name)));
    const std::pair<std::uint64_t, std::uint64_t> others[] = {{5, 1}, {5, 3}, {6, 2}, {0, 2}};
    for (const auto& [seed, k] : others)
        EXPECT_FALSE(samePrices(*permuted(5, 2).findProduct(name), *permuted(seed, k).findProduct(name)))
            << seed << "/" << k;
}

// The price file written for a permuted history loads to the same bars, bit for bit.
TEST(PermutedHistory, LoadsFromItsWrittenFileBitForBit) {
    const test::TempDirectory dir;
    for (const HistoryCase& each : histories()) {
        SCOPED_TRACE(each.what);
        const Product& original = *each.registry.findProduct(name);
        const ProductRegistry permuted = permutedHistory(original, *historyMoves(original), 3, 8);
        const auto file = dir / "permuted.txt";
        test::writeFile(file, permutedHistoryText(*permuted.findProduct(name)));
        ProductRegistry loaded;
        loaded.addProduct(name);
        ASSERT_TRUE(loadPriceFile(loaded, name, file.string()));
        EXPECT_TRUE(samePrices(*loaded.findProduct(name), *permuted.findProduct(name)));
    }
}

TEST(PermutedHistory, RefusesPricesNotAboveZero) {
    ProductRegistry registry = test::randomHistory(name, 50, 1);
    registry.findProduct(name)->bars[20].low = 0.0;
    EXPECT_FALSE(historyMoves(*registry.findProduct(name)));
}

// What users rely on: permuted history k of a seed is the same file on any
// machine and in any later version, so a run can be checked by rebuilding one
// of its histories. A changed shuffle, random stream or rounding changes the
// text; the digests below are those of the histories handed out so far.
TEST(PermutedHistory, SeedAndIndexGiveTheKnownHistory) {
    const ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 120);
    const Product& original = *registry.findProduct(name);
    const HistoryMoves moves = *historyMoves(original);
    const auto digest = [&](std::uint64_t seed, std::uint64_t k) {
        return sha256Hex(permutedHistoryText(*permutedHistory(original, moves, seed, k).findProduct(name)));
    };
    EXPECT_EQ(digest(3, 5), "016d1e886527fce5791674ed360ad26d6ec422be76900286644068771506fb0a");
    EXPECT_EQ(digest(20240715, 1), "6f1c1b4dc75b8384f97fa2126969c5375341d4d6a30b2094bd123abd95127dc7");
}

// FIPS 180-4's examples (one block, two blocks of 448 and 896 bits) and a
// million letters fed in pieces.
TEST(Sha256, GivesTheStandardsDigests) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
                        "mnopqrstnopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    Sha256 pieces;
    for (int i = 0; i < 1000; ++i) pieces.update(std::string(1000, 'a'));
    EXPECT_EQ(pieces.hexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
