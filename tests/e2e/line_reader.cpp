#include "tests/e2e/line_reader.h"

#include <poll.h>

#include <cerrno>

namespace e2e {

LineReader::LineReader(FileDescriptor readEnd) : pipe(std::move(readEnd)) {}

std::optional<std::string> LineReader::next(const LineMatch& match, Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  std::size_t searched = taken;
  bool more = true;
  while (true) {
    if (const auto found = findUntaken(match, searched)) {
      taken = *found + 1;
      return received[*found];
    }
    // One last look after the pipe ended: its unterminated line counts.
    if (!more) return std::nullopt;
    searched = received.size();
    more = readMore(deadline);
  }
}

bool LineReader::noneWithin(const LineMatch& match, Clock::duration duration) {
  const auto deadline = Clock::now() + duration;
  std::size_t searched = taken;
  while (true) {
    if (findUntaken(match, searched)) return false;
    searched = received.size();
    if (readMore(deadline)) continue;
    if (findUntaken(match, searched)) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    // An ended pipe brings nothing more, but the whole duration still passes
    // so that the caller's timing is the same either way.
    if (left.count() > 0) poll(nullptr, 0, static_cast<int>(left.count()));
    return true;
  }
}

void LineReader::readToEnd(Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  while (readMore(deadline)) {
  }
}

std::optional<std::size_t> LineReader::findUntaken(const LineMatch& match, std::size_t from) const {
  for (std::size_t index = from; index < received.size(); ++index) {
    if (match(received[index])) return index;
  }
  return std::nullopt;
}

bool LineReader::readMore(Clock::time_point deadline) {
  if (ended || !pipe) return false;
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd ready{pipe.get(), POLLIN, 0};
    const int result = poll(&ready, 1, static_cast<int>(left.count()));
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) return false;
    char buffer[4096];
    const ssize_t count = read(pipe.get(), buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (count <= 0) {
      ended = true;
      if (!partial.empty()) received.push_back(std::exchange(partial, {}));
      return false;
    }
    partial.append(buffer, static_cast<std::size_t>(count));
    std::size_t end = 0;
    const std::size_t before = received.size();
    while ((end = partial.find('\n')) != std::string::npos) {
      received.push_back(partial.substr(0, end));
      partial.erase(0, end + 1);
    }
    if (received.size() > before) return true;
  }
}

}  // namespace e2e
