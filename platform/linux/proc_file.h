#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {

// Reads the start of a small kernel text file into the caller's buffer with
// plain read(2) calls. The result views the buffer: the whole file when it
// fits, otherwise its complete lines only (up to the last newline that fits),
// so a parser never sees a number cut in half. None when the file cannot be
// opened or read, or when not even one line fits.
std::optional<std::string_view> readFileHead(const char* path, std::span<char> buffer);

// A kernel text file read again and again, kept open between reads: procfs
// writes its text afresh for every read from the start, and a kept
// descriptor spares each read the path walk, the open and the close. Reads as
// readFileHead does; a failed read closes the file, and the next one opens it
// again.
class KernelTextFile {
 public:
  explicit KernelTextFile(std::string path);

  std::optional<std::string_view> readHead(std::span<char> buffer);

 private:
  std::string path;
  UniqueFd file;
};

// Splits off the text before the first occurrence of a separator character,
// advancing the input past it; the whole input when none occurs.
std::string_view nextToken(std::string_view& text, std::string_view separators);

}  // namespace platform::linuxdesktop
