#include "platform/fake/fake_platform.h"

namespace platform::fake {

Application& FakePlatform::sharedApplication() {
  if (!applicationObtained) log.add("sharedApplication");
  applicationObtained = true;
  return app;
}

}  // namespace platform::fake
