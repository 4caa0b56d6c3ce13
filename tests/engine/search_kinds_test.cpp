// The searches' table of kinds against the study catalogue, and what becomes
// of a kind the table does not know: refused where the choice is validated,
// never searched or applied as another kind.
#include "search/build_validation.h"
#include "search/layer_search.h"
#include "search/saved_model.h"
#include "search/search_kinds.h"
#include "studies/study_catalogue.h"

#include "../support/random_history.h"

#include <gtest/gtest.h>

#include <tuple>
#include <type_traits>
#include <variant>

using namespace varkel;
using namespace varkel::test;

namespace {

// What tells two grids apart: their kind, their spans and, for the one-span
// studies (whose spans may agree), their thresholds.
std::tuple<std::size_t, int, int, double, double, double> gridSignature(const StudyGrid& grid) {
    return std::visit(
        [&grid](const auto& g) {
            if constexpr (std::is_same_v<std::decay_t<decltype(g)>, SpanThresholdGrid>)
                return std::tuple(grid.index(), g.span.first, g.span.last, g.threshold.start, g.threshold.step,
                                  g.threshold.limit);
            else
                return std::tuple(grid.index(), firstSpans(g), longestSpan(g), 0.0, 0.0, 0.0);
        },
        grid);
}

TEST(SearchKinds, EveryBuilderStudyHasItsOwnRowAndGrid) {
    int rows = 0;
    for (const StudyInfo& study : studyCatalogue()) {
        const SearchKind* row = findSearchKind(study.kind);
        SCOPED_TRACE(study.name);
        ASSERT_EQ(row != nullptr, study.builderRole != BuilderRole::none);
        if (row == nullptr) continue;
        ++rows;
        EXPECT_EQ(row->kind, study.kind);
        ASSERT_TRUE(study.builderGrid.has_value());
        EXPECT_EQ(gridSignature(row->grid(BuildGrids{})), gridSignature(*study.builderGrid));
    }
    EXPECT_EQ(rows, 7);
}

TEST(SearchKinds, AKindWithoutARowIsRefusedNotRunAsAnother) {
    ProductRegistry registry = randomHistory("USD/JPY", 200, 7);
    const Product& history = *registry.findProduct("USD/JPY");
    for (const StudyKind kind : {StudyKind::Rsi, StudyKind::MovingAverages, static_cast<StudyKind>(42)}) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(findSearchKind(kind), nullptr);
        const IndexChoice asBase{kind};
        const IndexChoice asFilter{StudyKind::Macd, true, kind};
        EXPECT_TRUE(validateIndexChoice(asBase).has_value());
        EXPECT_TRUE(validateIndexChoice(asFilter).has_value());

        const LayerSearchResult searched = searchLayers(history, asBase, {});
        EXPECT_EQ(searched.outcome, RunOutcome::Refused);
        EXPECT_EQ(searched.refusal, *validateIndexChoice(asBase));
        EXPECT_FALSE(searched.layers[0].has_value());

        EXPECT_FALSE(applyLayer(registry, history.name, Layer{kind, {{14, 3, 3}, 0.5}}, false));
        EXPECT_FALSE(applyLayer(registry, history.name, Layer{kind, {{14, 3, 3}, 0.5}}, true));
    }
}

}  // namespace
