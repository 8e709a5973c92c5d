#include "network_agent/sampling/unicode_properties.h"

#include <gtest/gtest.h>

namespace agent {
namespace {

TEST(UnicodePropertiesTest, NumberCharactersOfEveryKindAreNumbers) {
  const char32_t numbers[] = {
      U'0',          U'9',          U'\u0660',     U'\u0669',    U'\u06F5', U'\u0966', U'\u0E52',
      U'\uFF10',     U'\uFF19',     U'\u00B2',     U'\u00B9',    U'\u2070', U'\u2089', U'\u00BD',
      U'\u2155',     U'\u2160',     U'\u216B',     U'\u2170',    U'\u2460', U'\u2473', U'\u2474',
      U'\u2488',     U'\u24EA',     U'\u3007',     U'\u3021',    U'\u3029', U'\u3038', U'\u3288',
      U'\U0001D7E0', U'\U0001D7FF', U'\U00010107', U'\U0001F100'};
  for (const char32_t codePoint : numbers) {
    EXPECT_TRUE(isNumberCodePoint(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
  }
}

TEST(UnicodePropertiesTest, SignsLettersAndSpacesAreNotNumbers) {
  const char32_t others[] = {U'/',      U':',      U'.',      U',',      U'-',
                             U'+',      U'%',      U'"',      U' ',      U'a',
                             U'e',      U'\u00A0', U'\u00B7', U'\u4E09', U'\u5341',
                             U'\u0301', U'\uFE0F', U'\uFF05', U'\u2212', U'\U0010FFFF'};
  for (const char32_t codePoint : others) {
    EXPECT_FALSE(isNumberCodePoint(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
  }
}

TEST(UnicodePropertiesTest, CombiningMarksSelectorsAndJoinersExtendACharacter) {
  const char32_t extenders[] = {
      U'\u0300',     U'\u0301',     U'\u036F',     U'\u0483',    U'\u0903',     U'\u0E33',
      U'\u1AB0',     U'\u1DC0',     U'\u200C',     U'\u200D',    U'\u20D0',     U'\u20E3',
      U'\uFE00',     U'\uFE0F',     U'\uFE20',     U'\uFF9E',    U'\U0001F3FB', U'\U0001F3FF',
      U'\U000E0020', U'\U000E007F', U'\U000E0100', U'\U000E01EF'};
  for (const char32_t codePoint : extenders) {
    EXPECT_TRUE(isGraphemeExtender(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
  }
}

TEST(UnicodePropertiesTest, BaseCharactersAndSpacesDoNotExtend) {
  const char32_t others[] = {U'0',      U'a',          U' ',          U',',
                             U'\u00A0', U'\u00E9',     U'\u200B',     U'\u2060',
                             U'\u4E2D', U'\U0001F600', U'\U000E01F0', U'\U0010FFFF'};
  for (const char32_t codePoint : others) {
    EXPECT_FALSE(isGraphemeExtender(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
  }
}

}  // namespace
}  // namespace agent
