#include "agent_common/agent_entry.h"

namespace agent {

int runApplication(platform::Platform& platform,
                   const std::shared_ptr<platform::ApplicationDelegate>& delegate) {
  platform::Application& app = platform.sharedApplication();
  app.setDelegate(delegate);
  return app.run();
}

}  // namespace agent
