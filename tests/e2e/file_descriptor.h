#pragma once

#include <unistd.h>

#include <utility>

namespace e2e {

// Owns one open file descriptor; -1 when it owns none.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int descriptor) : fd(descriptor) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    reset(std::exchange(other.fd, -1));
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  int get() const { return fd; }
  explicit operator bool() const { return fd >= 0; }
  void reset(int descriptor = -1) {
    if (fd >= 0) close(fd);
    fd = descriptor;
  }

 private:
  int fd = -1;
};

}  // namespace e2e
