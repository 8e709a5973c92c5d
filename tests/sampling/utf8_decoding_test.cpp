#include "network_agent/sampling/utf8_decoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace agent {
namespace {

using namespace std::string_view_literals;

TEST(Utf8DecodingTest, WellFormedSequencesDecodeAtTheirBoundaries) {
  struct Decoded {
    std::string_view bytes;
    char32_t codePoint;
  };
  const Decoded cases[] = {
      {"\x00"sv, 0x0000},
      {"\x7F"sv, 0x007F},
      {"\xC2\x80"sv, 0x0080},
      {"\xDF\xBF"sv, 0x07FF},
      {"\xE0\xA0\x80"sv, 0x0800},
      {"\xED\x9F\xBF"sv, 0xD7FF},
      {"\xEE\x80\x80"sv, 0xE000},
      {"\xEF\xBF\xBF"sv, 0xFFFF},
      {"\xF0\x90\x80\x80"sv, 0x10000},
      {"\xF4\x8F\xBF\xBF"sv, 0x10FFFF},
  };
  for (const Decoded& decoded : cases) {
    std::size_t position = 0;
    EXPECT_EQ(decodeUtf8CodePoint(decoded.bytes, position), decoded.codePoint)
        << std::hex << static_cast<unsigned>(decoded.codePoint);
    EXPECT_EQ(position, decoded.bytes.size());
    EXPECT_TRUE(isValidUtf8(decoded.bytes));
  }
}

TEST(Utf8DecodingTest, MalformedSequencesAreRejectedWithoutMoving) {
  const std::string_view cases[] = {
      "\x80"sv,              // lone continuation byte
      "\xBF"sv,              // lone continuation byte
      "\xC0\x80"sv,          // overlong NUL
      "\xC1\xBF"sv,          // overlong 7F
      "\xE0\x9F\xBF"sv,      // overlong 7FF
      "\xF0\x8F\xBF\xBF"sv,  // overlong FFFF
      "\xED\xA0\x80"sv,      // surrogate D800
      "\xED\xBF\xBF"sv,      // surrogate DFFF
      "\xF4\x90\x80\x80"sv,  // 110000
      "\xF5\x80\x80\x80"sv,  // lead byte beyond F4
      "\xFF"sv,
      "\xFE"sv,
      "\xE2\x82"sv,      // truncated at the end
      "\xF0\x9F\x98"sv,  // truncated at the end
      "\xE2\x28\xA1"sv,  // second byte not a continuation
      "\xC3"sv,          // truncated two-byte sequence
  };
  for (const std::string_view bytes : cases) {
    std::size_t position = 0;
    EXPECT_EQ(decodeUtf8CodePoint(bytes, position), std::nullopt) << testing::PrintToString(bytes);
    EXPECT_EQ(position, 0u);
    EXPECT_FALSE(isValidUtf8(bytes)) << testing::PrintToString(bytes);
  }
}

TEST(Utf8DecodingTest, OneBadByteAnywhereMakesTheWholeTextInvalid) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("plain ASCII, \xE4\xB8\xAD\xE6\x96\x87 and \xF0\x9F\x98\x80"));
  EXPECT_FALSE(isValidUtf8("valid start then \xC3\x28 garbage"));
  EXPECT_FALSE(isValidUtf8("ends mid-sequence \xE4\xB8"));
}

TEST(Utf8DecodingTest, DecodingWalksCodePointByCodePoint) {
  const std::string_view text = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"sv;
  std::size_t position = 0;
  EXPECT_EQ(decodeUtf8CodePoint(text, position), U'a');
  EXPECT_EQ(decodeUtf8CodePoint(text, position), U'\u00E9');
  EXPECT_EQ(decodeUtf8CodePoint(text, position), U'\u4E2D');
  EXPECT_EQ(decodeUtf8CodePoint(text, position), U'\U0001F600');
  EXPECT_EQ(position, text.size());
  EXPECT_EQ(decodeUtf8CodePoint(text, position), std::nullopt);
}

}  // namespace
}  // namespace agent
