#pragma once

#include <memory>
#include <string>

#include "network_agent/presentation/display_options.h"
#include "platform/user_defaults.h"

namespace agent {

// Reads the host's display options from its defaults suite, afresh on every
// call, so that a change the host writes shows at the next refresh.
class DisplayOptionsReader {
 public:
  // Opens the suite once; when it cannot be opened, the standard defaults are
  // read instead. The store is used only during construction.
  DisplayOptionsReader(platform::UserDefaultsStore& store, const std::string& suiteName);

  // Synchronizes the defaults, then reads the three options. A missing memory
  // key shows the column; missing CPU and GPU keys hide theirs.
  DisplayOptions read();

 private:
  std::unique_ptr<platform::UserDefaults> defaults;
};

}  // namespace agent
