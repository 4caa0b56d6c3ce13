#pragma once

#include "base/owned_file.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace varkel {

// The price-file reader's rules for the door (owned_file.h): at most
// maxPriceFileBytes, at least one bar that loads, and no line the loader
// would refuse (a title line above the bars, which begins with no digit, is
// no bar and may stand). A change of a file (append, edit) may keep the refused lines
// the file already had, so that a history with old faults can still be
// corrected bar by bar; a new history (import, download) must load whole.
enum class PriceHistoryWrite { Change, Replace };

const OwnedFileRules& priceHistoryRules(PriceHistoryWrite kind);

// Why `next` is not a price history the loader reads whole (the first line
// it would refuse, named with its text and the reason), nullopt when it is.
// Lines whose text stands refused in `tolerated` too are let through.
std::optional<std::string> priceHistoryWriteFault(std::string_view next,
                                                  const std::optional<std::string>& tolerated = std::nullopt);

// The door for a price history.
OwnedWrite changePriceHistory(const std::filesystem::path& path, PriceHistoryWrite kind,
                              std::function<OwnedFileChange(const std::optional<std::string>& current)> change);

}  // namespace varkel
