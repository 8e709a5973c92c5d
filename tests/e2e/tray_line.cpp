#include "tests/e2e/tray_line.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

// Reads a double-quoted text at `position`, undoing tray-view's escapes, and
// moves `position` past the closing quote.
std::optional<std::string> readQuoted(const std::string& line, std::size_t& position) {
  if (position >= line.size() || line[position] != '"') return std::nullopt;
  std::string text;
  for (std::size_t index = position + 1; index < line.size(); ++index) {
    const char character = line[index];
    if (character == '"') {
      position = index + 1;
      return text;
    }
    if (character != '\\') {
      text += character;
      continue;
    }
    if (++index >= line.size()) return std::nullopt;
    const char escaped = line[index];
    if (escaped == 'n') {
      text += '\n';
    } else if (escaped == 't') {
      text += '\t';
    } else if (escaped == 'x' && index + 2 < line.size()) {
      text += static_cast<char>(std::strtol(line.substr(index + 1, 2).c_str(), nullptr, 16));
      index += 2;
    } else {
      text += escaped;
    }
  }
  return std::nullopt;
}

std::optional<std::string> readField(const std::string& line, std::size_t& position,
                                     const std::string& name) {
  const std::string prefix = " " + name + "=";
  if (line.compare(position, prefix.size(), prefix) != 0) return std::nullopt;
  position += prefix.size();
  return readQuoted(line, position);
}

bool readIcon(const std::string& line, std::size_t& position, ItemLine& item) {
  const std::string prefix = " icon=";
  if (line.compare(position, prefix.size(), prefix) != 0) return false;
  position += prefix.size();
  const std::size_t end = std::min(line.find(' ', position), line.size());
  const std::string size = line.substr(position, end - position);
  position = end;
  if (size == "none") return true;
  return std::sscanf(size.c_str(), "%dx%d", &item.width, &item.height) == 2;
}

}  // namespace

std::optional<ItemLine> parseItemLine(const std::string& line) {
  if (!line.starts_with("item ")) return std::nullopt;
  ItemLine item;
  std::size_t position = 5;
  if (position < line.size() && line[position] == '"') {
    const auto id = readQuoted(line, position);
    if (!id) return std::nullopt;
    item.id = *id;
  } else {
    const std::size_t end = line.find(' ', position);
    if (end == std::string::npos) return std::nullopt;
    item.id = line.substr(position, end - position);
    position = end;
  }
  auto title = readField(line, position, "title");
  if (!title) return std::nullopt;
  auto tooltip = readField(line, position, "tooltip");
  if (!tooltip || !readIcon(line, position, item)) return std::nullopt;
  item.title = std::move(*title);
  item.tooltip = std::move(*tooltip);
  if (position < line.size()) {
    auto status = readField(line, position, "status");
    if (!status || position != line.size()) return std::nullopt;
    item.status = std::move(*status);
  }
  return item;
}

}  // namespace e2e
