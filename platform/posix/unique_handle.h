#pragma once

#include <cstddef>
#include <memory>

namespace platform::posix {

// An integer handle (a file descriptor, a process id) dressed as the pointer
// type of a std::unique_ptr, so that ownership and release come from
// unique_ptr and the deleter alone. kNone is the value that owns nothing.
template <typename T, T kNone>
struct HandleValue {
  T value = kNone;

  HandleValue() = default;
  HandleValue(std::nullptr_t) {}  // NOLINT: unique_ptr needs the implicit form.
  explicit HandleValue(T handle) : value(handle) {}

  explicit operator bool() const { return value != kNone; }
  friend bool operator==(HandleValue, HandleValue) = default;
};

// Closes a file descriptor.
struct FdCloser {
  using pointer = HandleValue<int, -1>;
  void operator()(pointer fd) const;
};

// Owns an open file descriptor; get().value is the descriptor.
using UniqueFd = std::unique_ptr<int, FdCloser>;

inline UniqueFd adoptFd(int fd) { return UniqueFd(FdCloser::pointer(fd)); }

}  // namespace platform::posix
