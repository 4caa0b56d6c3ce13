#pragma once

// Which vector code the searches run: every target compiled into this binary
// that the processor supports, the best of them chosen when a search first runs.

#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// The target the searches dispatch to now ("AVX3" is AVX-512, then "AVX2",
// "SSE4", and the portable fallback "SCALAR" or "EMU128"; "NEON" on 64-bit Arm).
std::string vectorTargetName();

// The targets of this binary the processor supports, best first.
std::vector<std::string> supportedVectorTargets();

// Makes the searches use `name` (one of supportedVectorTargets()) instead of
// the best target, so that slower processors can be measured on a fast one.
// False for a name that is not supported here; the best target is used then.
bool useVectorTarget(std::string_view name);

// Undoes useVectorTarget: the best supported target again.
void useBestVectorTarget();

}  // namespace varkel
