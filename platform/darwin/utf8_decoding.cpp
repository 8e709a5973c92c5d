#include "platform/darwin/utf8_decoding.h"

namespace platform::darwin {

namespace {

struct LeadByte {
  std::size_t length = 0;
  char32_t bits = 0;
  char32_t minimum = 0;
};

// Lead bytes C0, C1 and F5...FF never start a well-formed sequence; the
// minimum values below reject the overlong forms the other lead bytes allow.
std::optional<LeadByte> classifyLeadByte(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return LeadByte{2, char32_t{byte} & 0x1Fu, 0x80};
  if (byte >= 0xE0 && byte <= 0xEF) return LeadByte{3, char32_t{byte} & 0x0Fu, 0x800};
  if (byte >= 0xF0 && byte <= 0xF4) return LeadByte{4, char32_t{byte} & 0x07u, 0x10000};
  return std::nullopt;
}

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

}  // namespace

std::optional<char32_t> decodeUtf8CodePoint(std::string_view text, std::size_t& position) {
  if (position >= text.size()) return std::nullopt;
  const auto first = static_cast<unsigned char>(text[position]);
  if (first < 0x80) {
    ++position;
    return char32_t{first};
  }
  const std::optional<LeadByte> lead = classifyLeadByte(first);
  if (!lead || text.size() - position < lead->length) return std::nullopt;
  char32_t value = lead->bits;
  for (std::size_t offset = 1; offset < lead->length; ++offset) {
    const auto byte = static_cast<unsigned char>(text[position + offset]);
    if (!isContinuationByte(byte)) return std::nullopt;
    value = (value << 6) | (char32_t{byte} & 0x3Fu);
  }
  if (value < lead->minimum || value > 0x10FFFF) return std::nullopt;
  if (value >= 0xD800 && value <= 0xDFFF) return std::nullopt;
  position += lead->length;
  return value;
}

bool isValidUtf8(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (static_cast<unsigned char>(text[position]) < 0x80) {
      ++position;
    } else if (!decodeUtf8CodePoint(text, position)) {
      return false;
    }
  }
  return true;
}

}  // namespace platform::darwin
