#include "windows/robustness/scan_grids.h"

#include "studies/study_catalogue.h"

#include <algorithm>
#include <limits>
#include <utility>

using namespace varkel;

namespace {

// Where a kind stands in a list of the catalogue, or -1 for none.
int placeIn(const std::vector<const StudyInfo*>& studies, std::optional<StudyKind> kind) {
    if (!kind) return -1;
    const auto found = std::find_if(studies.begin(), studies.end(),
                                    [&](const StudyInfo* study) { return study->kind == *kind; });
    return found == studies.end() ? static_cast<int>(studies.size()) : static_cast<int>(found - studies.begin());
}

// The order of the picture's columns: no filter first, then by second filter, its thirds after it.
std::pair<int, int> filterOrder(const ScanCombination& combination) {
    return {placeIn(filterStudies(), combination.second), placeIn(filterStudies(), combination.third)};
}

QString shortName(StudyKind kind) {
    const StudyInfo* study = findStudy(kind);
    return study == nullptr ? QString() : QString::fromLatin1(study->option).toUpper();
}

}  // namespace

QString filterChoiceLabel(const ScanCombination& combination) {
    if (!combination.second) return QStringLiteral("no filter");
    QString label = shortName(*combination.second);
    if (combination.third) label += QLatin1Char('+') + shortName(*combination.third);
    return label;
}

std::vector<AdjustedPGrid> adjustedPGrids(const ScanResult& result) {
    // Each column's place in the order, with its label.
    std::vector<std::pair<std::pair<int, int>, QString>> columns;
    std::vector<int> bases;
    std::vector<std::string> products;
    for (const ScanRow& row : result.rows) {
        const std::pair<int, int> order = filterOrder(row.combination);
        if (std::none_of(columns.begin(), columns.end(), [&](const auto& column) { return column.first == order; }))
            columns.emplace_back(order, filterChoiceLabel(row.combination));
        const int base = placeIn(baseStudies(), row.combination.base);
        if (std::find(bases.begin(), bases.end(), base) == bases.end()) bases.push_back(base);
        if (std::find(products.begin(), products.end(), row.product) == products.end()) products.push_back(row.product);
    }
    std::sort(columns.begin(), columns.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::sort(bases.begin(), bases.end());
    const auto columnOf = [&](const ScanCombination& combination) {
        const std::pair<int, int> order = filterOrder(combination);
        return static_cast<std::size_t>(std::find_if(columns.begin(), columns.end(),
                                                     [&](const auto& column) { return column.first == order; }) -
                                        columns.begin());
    };
    const auto rowOf = [&](const ScanCombination& combination) {
        return static_cast<std::size_t>(std::find(bases.begin(), bases.end(), placeIn(baseStudies(), combination.base)) -
                                        bases.begin());
    };

    std::vector<AdjustedPGrid> grids;
    for (const std::string& product : products) {
        AdjustedPGrid grid;
        grid.product = QString::fromStdString(product);
        for (const int base : bases) grid.bases << QString::fromLatin1(baseStudies()[static_cast<std::size_t>(base)]->name);
        for (const auto& column : columns) grid.filterChoices << column.second;
        grid.adjustedP.assign(bases.size() * columns.size(), std::numeric_limits<double>::quiet_NaN());
        for (const ScanRow& row : result.rows)
            if (row.product == product && row.adjustedPValue)
                grid.adjustedP[rowOf(row.combination) * columns.size() + columnOf(row.combination)] = *row.adjustedPValue;
        grids.push_back(std::move(grid));
    }
    return grids;
}
