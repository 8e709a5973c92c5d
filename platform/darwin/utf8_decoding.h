#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform::darwin {

// Decodes the code point that starts at position and moves position past it.
// None, with position left where it was, when the bytes there are not a
// well-formed UTF-8 sequence: a stray continuation byte, a truncated
// sequence, an overlong form, a surrogate or a value above U+10FFFF.
std::optional<char32_t> decodeUtf8CodePoint(std::string_view text, std::size_t& position);

// Whether every byte of the text belongs to a well-formed UTF-8 sequence.
bool isValidUtf8(std::string_view text);

}  // namespace platform::darwin
