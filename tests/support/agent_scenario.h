#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "agent_common/agent_entry.h"
#include "platform/fake/fake_platform.h"

namespace agent::testing {

// An agent whose delegate is an App, run on the fake platform as its entry
// point runs it; the test reads back what the platform was given.
template <class App>
class AgentScenario {
 public:
  // Returns the exit status the entry point would return.
  template <class... Arguments>
  int launch(Arguments&&... arguments) {
    delegate = std::make_shared<App>(platform, std::forward<Arguments>(arguments)...);
    return runApplication(platform, delegate);
  }

  // A host with this process id in the environment, running or gone.
  void setHost(std::int32_t pid, bool running) {
    platform.env.variables["QORVN_PARENT_PID"] = std::to_string(pid);
    if (running) {
      platform.applications.running.insert(pid);
      platform.probe.results[pid] = 0;
    }
  }

  platform::fake::FakeButton& button() { return *platform.item().fakeButton(); }

  std::vector<std::string> postedNames() const {
    std::vector<std::string> names;
    for (const auto& posted : platform.notifications.posted) names.push_back(posted.name);
    return names;
  }

  platform::fake::FakePlatform platform;
  std::shared_ptr<App> delegate;
};

}  // namespace agent::testing
