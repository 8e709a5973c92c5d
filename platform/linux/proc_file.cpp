#include "platform/linux/proc_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {

std::optional<std::string_view> readFileHead(const char* path, std::span<char> buffer) {
  // O_NONBLOCK keeps a FIFO put in place of the file from blocking the caller.
  const UniqueFd file(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file) return std::nullopt;
  std::size_t filled = 0;
  bool reachedEnd = false;
  while (filled < buffer.size()) {
    const ssize_t count = read(file.get(), buffer.data() + filled, buffer.size() - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) {
      reachedEnd = true;
      break;
    }
    filled += static_cast<std::size_t>(count);
  }
  std::string_view text(buffer.data(), filled);
  if (reachedEnd) return text;
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
