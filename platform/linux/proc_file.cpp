#include "platform/linux/proc_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {

namespace {

// read(2), again when a signal interrupted it.
ssize_t readRetrying(int fd, char* data, std::size_t size) {
  ssize_t count = 0;
  do {
    count = read(fd, data, size);
  } while (count < 0 && errno == EINTR);
  return count;
}

}  // namespace

std::optional<std::string_view> readFileHead(const char* path, std::span<char> buffer) {
  // O_NONBLOCK keeps a FIFO put in place of the file from blocking the caller.
  const UniqueFd file(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file) return std::nullopt;
  std::size_t filled = 0;
  ssize_t count = 1;
  while (filled < buffer.size() && count > 0) {
    count = readRetrying(file.get(), buffer.data() + filled, buffer.size() - filled);
    if (count > 0) filled += static_cast<std::size_t>(count);
  }
  // A file exactly as long as the buffer fills it before a read of 0 bytes
  // shows its end: one byte more tells whether it goes on.
  char next = 0;
  if (count > 0) count = readRetrying(file.get(), &next, 1);
  if (count < 0) return std::nullopt;
  const std::string_view text(buffer.data(), filled);
  if (count == 0) return text;
  // The file goes on past the buffer: keep whole lines only.
  const std::size_t lastNewline = text.rfind('\n');
  if (lastNewline == std::string_view::npos) return std::nullopt;
  return text.substr(0, lastNewline + 1);
}

std::string_view nextToken(std::string_view& text, std::string_view separators) {
  const std::size_t end = text.find_first_of(separators);
  const std::string_view token = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  return token;
}

}  // namespace platform::linuxdesktop
