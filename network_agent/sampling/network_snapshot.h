#pragma once

namespace agent {

// The upload and download rates of one refresh.
struct NetworkSnapshot {
  double uploadBytesPerSecond = 0.0;
  double downloadBytesPerSecond = 0.0;
};

}  // namespace agent
