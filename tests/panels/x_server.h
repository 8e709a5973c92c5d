#pragma once

#include <memory>
#include <string>

#include "tests/e2e/process.h"

namespace e2e {

// An Xvfb of the test's own on the first free display, which Xvfb picks
// itself (-displayfd) so that parallel servers never collide.
class XServer {
 public:
  // `screen` is Xvfb's "WxHxDepth".
  explicit XServer(const std::string& screen);

  // ":N"; empty when the server did not start.
  const std::string& display() const { return name; }

 private:
  std::unique_ptr<Process> server;
  std::string name;
};

}  // namespace e2e
