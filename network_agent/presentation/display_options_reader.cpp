#include "network_agent/presentation/display_options_reader.h"

#include "agent_common/host_contract.h"

namespace agent {

DisplayOptionsReader::DisplayOptionsReader(platform::UserDefaultsStore& store,
                                           const std::string& suiteName)
    : defaults(store.openSuite(suiteName)) {
  if (!defaults) defaults = store.standard();
}

DisplayOptions DisplayOptionsReader::read() {
  // A backend that cannot even give standard defaults leaves every key absent.
  if (!defaults) return {};
  defaults->synchronize();
  const std::string memoryKey{kShowMemoryKey};
  DisplayOptions options;
  // Only a missing key shows the memory column; a stored false hides it.
  options.showMemory = defaults->hasObject(memoryKey) ? defaults->boolForKey(memoryKey) : true;
  options.showCPU = defaults->boolForKey(std::string{kShowCPUKey});
  options.showGPU = defaults->boolForKey(std::string{kShowGPUKey});
  return options;
}

}  // namespace agent
