#pragma once

namespace agent {

// Which load columns the status-bar image shows beside the rates. The
// defaults are what an empty defaults suite gives.
struct DisplayOptions {
  bool showMemory = true;
  bool showCPU = false;
  bool showGPU = false;
  bool operator==(const DisplayOptions&) const = default;
};

}  // namespace agent
