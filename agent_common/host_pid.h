#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/environment.h"

namespace agent {

// The host's process id from the text of QORVN_PARENT_PID: an optional single
// sign and at least one ASCII digit, nothing else (no white space anywhere),
// within the signed 32-bit range. Anything else, and no text, gives 0. A
// negative result is returned as is; every reader treats below 1 as no host.
std::int32_t parseParentPID(std::optional<std::string_view> text);

// The rule above applied to the process environment.
std::int32_t readParentPID(const platform::Environment& environment);

}  // namespace agent
