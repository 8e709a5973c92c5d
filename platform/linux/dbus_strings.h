#pragma once

#include <string>
#include <string_view>

namespace platform::linuxdesktop {

// D-Bus strings must be UTF-8 without NUL characters: a malformed sequence
// becomes U+FFFD, and the text ends at the first NUL, so that no text the
// agents give can get a message rejected.
std::string validUtf8(std::string_view text);

}  // namespace platform::linuxdesktop
