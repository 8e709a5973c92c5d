#include "platform/linux/proc_file.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {

namespace {

// pread(2) at offset, again when a signal interrupted it.
ssize_t readRetrying(int fd, char* data, std::size_t size, std::size_t offset) {
  ssize_t count = 0;
  do {
    count = pread(fd, data, size, static_cast<off_t>(offset));
  } while (count < 0 && errno == EINTR);
  return count;
}

// O_NONBLOCK keeps a FIFO put in place of the file from blocking the caller.
UniqueFd openForReading(const char* path) {
  return UniqueFd(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
}

// The head of an open file, read from its start.
std::optional<std::string_view> readHeadOf(int file, std::span<char> buffer) {
  std::size_t filled = 0;
  ssize_t count = 1;
  while (filled < buffer.size() && count > 0) {
    count = readRetrying(file, buffer.data() + filled, buffer.size() - filled, filled);
    if (count > 0) filled += static_cast<std::size_t>(count);
  }
  // A file exactly as long as the buffer fills it before a read of 0 bytes
  // shows its end: one byte more tells whether it goes on.
  char next = 0;
  if (count > 0) count = readRetrying(file, &next, 1, filled);
  if (count < 0) return std::nullopt;
  const std::string_view text(buffer.data(), filled);
  if (count == 0) return text;
  // The file goes on past the buffer: keep whole lines only.
  const std::size_t lastNewline = text.rfind('\n');
  if (lastNewline == std::string_view::npos) return std::nullopt;
  return text.substr(0, lastNewline + 1);
}

}  // namespace

std::optional<std::string_view> readFileHead(const char* path, std::span<char> buffer) {
  const UniqueFd file = openForReading(path);
  if (!file) return std::nullopt;
  return readHeadOf(file.get(), buffer);
}

KernelTextFile::KernelTextFile(std::string path) : path(std::move(path)) {}

std::optional<std::string_view> KernelTextFile::readHead(std::span<char> buffer) {
  if (!file) file = openForReading(path.c_str());
  if (!file) return std::nullopt;
  const std::optional<std::string_view> text = readHeadOf(file.get(), buffer);
  if (!text) file.reset();
  return text;
}

std::string_view nextToken(std::string_view& text, std::string_view separators) {
  const std::size_t end = text.find_first_of(separators);
  const std::string_view token = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  return token;
}

}  // namespace platform::linuxdesktop
