#include "platform/fake/fake_services.h"

namespace platform::fake {
namespace {

class FakeRunningApplication : public RunningApplication {
 public:
  FakeRunningApplication(std::int32_t pid, FakeRunningApplications& owner, CallLog& log)
      : pid(pid), owner(owner), log(log) {}
  void activate(unsigned options) override {
    log.add("activate(" + std::to_string(pid) + ", " + std::to_string(options) + ")");
    owner.activations.emplace_back(pid, options);
  }

 private:
  std::int32_t pid;
  FakeRunningApplications& owner;
  CallLog& log;
};

}  // namespace

std::optional<std::string> FakeEnvironment::value(const std::string& name) const {
  log.add("environment(" + name + ")");
  const auto found = variables.find(name);
  if (found == variables.end()) return std::nullopt;
  return found->second;
}

int FakeProcessProbe::probe(std::int32_t pid) {
  log.add("kill(" + std::to_string(pid) + ", 0)");
  const auto found = results.find(pid);
  return found == results.end() ? -1 : found->second;
}

void FakeNotificationCenter::post(const std::string& name,
                                  const std::optional<UserInfo>& userInfo) {
  log.add("post(" + name + ")");
  posted.push_back({name, userInfo});
  deliver(name, userInfo);
}

ObserverToken FakeNotificationCenter::addObserver(
    const std::string& name, std::function<void(const std::optional<UserInfo>&)> callback) {
  log.add("addObserver(" + name + ")");
  const ObserverToken token = nextToken++;
  observers[token] = {name, std::move(callback)};
  return token;
}

void FakeNotificationCenter::removeObserver(ObserverToken token) {
  log.add("removeObserver");
  observers.erase(token);
}

void FakeNotificationCenter::deliver(const std::string& name,
                                     const std::optional<UserInfo>& userInfo) {
  std::vector<std::function<void(const std::optional<UserInfo>&)>> matching;
  for (const auto& [token, observer] : observers) {
    if (observer.name == name) matching.push_back(observer.callback);
  }
  for (const auto& callback : matching) callback(userInfo);
}

void FakeUserDefaults::synchronize() {
  log.add("defaults.synchronize(" + name + ")");
  cache = stored;
}

bool FakeUserDefaults::hasObject(const std::string& key) { return cache.count(key) != 0; }

bool FakeUserDefaults::boolForKey(const std::string& key) {
  const auto found = cache.find(key);
  if (found == cache.end()) return false;
  if (const bool* flag = std::get_if<bool>(&found->second)) return *flag;
  if (const double* number = std::get_if<double>(&found->second)) return *number != 0.0;
  return textReadsAsTrue(std::get<std::string>(found->second));
}

std::unique_ptr<UserDefaults> FakeUserDefaultsStore::openSuite(const std::string& name) {
  log.add("defaults.openSuite(" + name + ")");
  if (!suitesOpen) return nullptr;
  return std::make_unique<FakeUserDefaults>(name, suites[name], log);
}

std::unique_ptr<UserDefaults> FakeUserDefaultsStore::standard() {
  log.add("defaults.standard");
  return std::make_unique<FakeUserDefaults>("standard", standardDomain, log);
}

std::unique_ptr<RunningApplication> FakeRunningApplications::find(std::int32_t pid) {
  log.add("findApplication(" + std::to_string(pid) + ")");
  if (running.count(pid) == 0) return nullptr;
  return std::make_unique<FakeRunningApplication>(pid, *this, log);
}

std::optional<std::vector<InterfaceEntry>> FakeInterfaceList::interfaces() {
  ++readCount;
  return reading;
}

std::optional<CpuTicksReading> FakeCpuTicks::ticks() {
  ++readCount;
  return reading;
}

std::optional<MemoryReading> FakeMemory::memory() {
  ++readCount;
  return reading;
}

std::optional<std::int64_t> FakeGpuUtilization::readDeviceUtilization() {
  ++readCount;
  return reading;
}

}  // namespace platform::fake
