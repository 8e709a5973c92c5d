#pragma once

namespace platform::darwin {

// Whether the code point is a number character (general category Nd, Nl or
// No): ASCII and other decimal digits, fullwidth digits, superscripts and
// subscripts, vulgar fractions, Roman numerals, circled numbers and the like.
bool isNumberCodePoint(char32_t codePoint);

// Whether the code point continues the user-perceived character before it
// instead of starting a new one: combining marks (Mn, Mc, Me), variation
// selectors, the zero-width joiner and non-joiner, emoji skin-tone modifiers,
// tag characters and the halfwidth kana voicing marks.
bool isGraphemeExtender(char32_t codePoint);

}  // namespace platform::darwin
