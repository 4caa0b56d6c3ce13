#pragma once

#include <cstdint>

namespace varkel {

// What to do on the next trading day, from the last real day's position to the
// next day's position.
enum class TransitionCode : std::int32_t {
    Unavailable = -999,  // no product or no bars
    NoAction = 0,
    TakeLong = 1,
    LongHold = 2,
    CloseLong = 3,
    LongToShort = 4,
    TakeShort = 5,
    ShortHold = 6,
    CloseShort = 7,
    ShortToLong = 8,
};

// "Take Long" .. "Short 2 Long" for codes 1 to 8, "No Action" for every other code.
const char* transitionText(TransitionCode code);

}  // namespace varkel
