#include "tools/terminal_text/terminal_text.h"

#include <glib.h>

namespace tools {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

// The prefix and the code in two hexadecimal digits, as in \x1b.
void appendCode(std::string& result, const char* prefix, unsigned code) {
  result += prefix;
  result += kHexDigits[(code >> 4) & 0xf];
  result += kHexDigits[code & 0xf];
}

void appendEscaped(std::string& result, std::string_view text, bool quoting) {
  std::size_t position = 0;
  while (position < text.size()) {
    const auto byte = static_cast<unsigned char>(text[position]);
    if (byte >= 0x80) {
      const gunichar character = g_utf8_get_char_validated(
          text.data() + position, static_cast<gssize>(text.size() - position));
      if (character == static_cast<gunichar>(-1) || character == static_cast<gunichar>(-2)) {
        appendCode(result, "\\x", byte);
        ++position;
        continue;
      }
      const std::size_t length = static_cast<std::size_t>(g_unichar_to_utf8(character, nullptr));
      if (character <= 0x9f) {
        appendCode(result, "\\u00", character);
      } else {
        result.append(text, position, length);
      }
      position += length;
      continue;
    }
    if (byte == '\n') {
      result += "\\n";
    } else if (byte == '\r') {
      result += "\\r";
    } else if (byte == '\t') {
      result += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      appendCode(result, "\\x", byte);
    } else if (quoting && (byte == '"' || byte == '\\')) {
      result += '\\';
      result += static_cast<char>(byte);
    } else {
      result += static_cast<char>(byte);
    }
    ++position;
  }
}

}  // namespace

std::string escapedControls(std::string_view text) {
  std::string result;
  appendEscaped(result, text, false);
  return result;
}

std::string quoted(std::string_view text) {
  std::string result = "\"";
  appendEscaped(result, text, true);
  return result + "\"";
}

void printEscapedLine(std::FILE* stream, std::string_view text) {
  const std::string line = escapedControls(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
}

}  // namespace tools
