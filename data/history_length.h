#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// "The history of USD/JPY has 0 bars: a build needs at least 7" when the
// history is shorter than `needed`; nothing when it is long enough. Every
// command that works on a history refuses a short one with this text rather
// than report figures computed from nothing.
std::optional<std::string> refuseShortHistory(std::string_view productName, int historyLength, int needed,
                                              std::string_view purpose);

}  // namespace varkel
