#include "data/data_quality_rules.h"

#include <cstddef>
#include <iterator>

namespace varkel {

namespace {

constexpr bool oneRulePerKindInOrder() {
    for (std::size_t i = 0; i < std::size(findingRules); ++i)
        if (static_cast<std::size_t>(findingRules[i].kind) != i) return false;
    return std::size(findingRules) == static_cast<std::size_t>(FindingKind::AbsurdOpen) + 1;
}
static_assert(oneRulePerKindInOrder(), "findingRules holds one rule per FindingKind, in the enum's order");

}  // namespace

const FindingRule& findingRule(FindingKind kind) {
    return findingRules[static_cast<std::size_t>(kind)];
}

}  // namespace varkel
