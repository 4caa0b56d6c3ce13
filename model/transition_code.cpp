#include "model/transition_code.h"

namespace varkel {

const char* transitionText(TransitionCode code) {
    switch (code) {
        case TransitionCode::TakeLong: return "Take Long";
        case TransitionCode::LongHold: return "Long Hold";
        case TransitionCode::CloseLong: return "Close Long";
        case TransitionCode::LongToShort: return "Long 2 Short";
        case TransitionCode::TakeShort: return "Take Short";
        case TransitionCode::ShortHold: return "Short Hold";
        case TransitionCode::CloseShort: return "Close Short";
        case TransitionCode::ShortToLong: return "Short 2 Long";
        default: return "No Action";
    }
}

}  // namespace varkel
