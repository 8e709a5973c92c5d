#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/file_descriptor.h"

namespace e2e {

using Clock = std::chrono::steady_clock;
using LineMatch = std::function<bool(const std::string&)>;

// Splits what a child process writes to a pipe into lines ('\n' removed) and
// waits for them with a hard limit. Lines are "taken" in order by next(), so
// consecutive waits see consecutive output.
class LineReader {
 public:
  LineReader() = default;
  explicit LineReader(FileDescriptor readEnd);

  // The first untaken line that matches, waiting at most `limit` for it; it
  // and every line before it are taken. Absent when the limit passes or the
  // writer closes the pipe first.
  std::optional<std::string> next(const LineMatch& match, Clock::duration limit);
  // True when no untaken line matches during the whole of `duration`; takes
  // nothing.
  bool noneWithin(const LineMatch& match, Clock::duration duration);
  // Reads until the writer closes the pipe or the limit passes.
  void readToEnd(Clock::duration limit);
  // Every line read so far, taken or not.
  const std::vector<std::string>& lines() const { return received; }

 private:
  // Waits until the deadline for more output; false when none came.
  bool readMore(Clock::time_point deadline);
  std::optional<std::size_t> findUntaken(const LineMatch& match, std::size_t from) const;

  FileDescriptor pipe;
  std::string partial;
  std::vector<std::string> received;
  std::size_t taken = 0;
  bool ended = false;
};

}  // namespace e2e
