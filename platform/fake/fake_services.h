#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "platform/environment.h"
#include "platform/fake/call_log.h"
#include "platform/notification_center.h"
#include "platform/process_probe.h"
#include "platform/running_applications.h"
#include "platform/system_readings.h"
#include "platform/user_defaults.h"

namespace platform::fake {

class FakeEnvironment : public Environment {
 public:
  explicit FakeEnvironment(CallLog& log) : log(log) {}
  std::optional<std::string> value(const std::string& name) const override;

  std::map<std::string, std::string> variables;

 private:
  CallLog& log;
};

// kill(pid, 0) results by pid; any pid not listed gives -1 (no such process).
class FakeProcessProbe : public ProcessProbe {
 public:
  explicit FakeProcessProbe(CallLog& log) : log(log) {}
  int probe(std::int32_t pid) override;

  std::map<std::int32_t, int> results;

 private:
  CallLog& log;
};

struct PostedNotification {
  std::string name;
  std::optional<UserInfo> userInfo;
};

// Posting records the notification and delivers it to this process's
// observers of the name, as a distributed notification would be.
class FakeNotificationCenter : public DistributedNotificationCenter {
 public:
  explicit FakeNotificationCenter(CallLog& log) : log(log) {}
  void post(const std::string& name, const std::optional<UserInfo>& userInfo) override;
  ObserverToken addObserver(const std::string& name,
                            std::function<void(const std::optional<UserInfo>&)> callback) override;
  void removeObserver(ObserverToken token) override;

  // Delivers a notification from another process (the host) to the observers.
  void deliver(const std::string& name, const std::optional<UserInfo>& userInfo);
  std::size_t observerCount() const { return observers.size(); }

  std::vector<PostedNotification> posted;

 private:
  struct Observer {
    std::string name;
    std::function<void(const std::optional<UserInfo>&)> callback;
  };
  CallLog& log;
  std::map<ObserverToken, Observer> observers;
  ObserverToken nextToken = 1;
};

using DefaultsValue = std::variant<bool, double, std::string>;
using DefaultsDomain = std::map<std::string, DefaultsValue>;

// A defaults domain as stored "on disk" by another process; reads see it only
// after synchronize, as with a real cache.
class FakeUserDefaults : public UserDefaults {
 public:
  FakeUserDefaults(std::string name, const DefaultsDomain& stored, CallLog& log)
      : name(std::move(name)), stored(stored), log(log) {}
  void synchronize() override;
  bool hasObject(const std::string& key) override;
  // Booleans as stored; numbers other than 0; strings "true"/"yes" in any
  // case or an integer other than 0.
  bool boolForKey(const std::string& key) override;

 private:
  std::string name;
  const DefaultsDomain& stored;
  DefaultsDomain cache;
  CallLog& log;
};

class FakeUserDefaultsStore : public UserDefaultsStore {
 public:
  explicit FakeUserDefaultsStore(CallLog& log) : log(log) {}
  std::unique_ptr<UserDefaults> openSuite(const std::string& name) override;
  std::unique_ptr<UserDefaults> standard() override;

  bool suitesOpen = true;
  std::map<std::string, DefaultsDomain> suites;
  DefaultsDomain standardDomain;

 private:
  CallLog& log;
};

class FakeRunningApplications : public RunningApplications {
 public:
  explicit FakeRunningApplications(CallLog& log) : log(log) {}
  std::unique_ptr<RunningApplication> find(std::int32_t pid) override;

  std::set<std::int32_t> running;
  std::vector<std::pair<std::int32_t, unsigned>> activations;

 private:
  CallLog& log;
};

// Scripted system readings. Each counts how often it was asked.
class FakeInterfaceList : public InterfaceList {
 public:
  std::optional<std::vector<InterfaceEntry>> interfaces() override;
  std::optional<std::vector<InterfaceEntry>> reading = std::vector<InterfaceEntry>{};
  int readCount = 0;
};

class FakeCpuTicks : public CpuTicksSource {
 public:
  std::optional<CpuTicksReading> ticks() override;
  std::optional<CpuTicksReading> reading = CpuTicksReading{};
  int readCount = 0;
};

// 10 GiB used of 16 GiB: 62.5 %, shown as 63 %.
class FakeMemory : public MemorySource {
 public:
  std::optional<MemoryReading> memory() override;
  std::optional<MemoryReading> reading =
      MemoryReading{std::uint64_t{16} << 30, std::uint64_t{10} << 30};
  int readCount = 0;
};

class FakeGpuUtilization : public GpuUtilizationSource {
 public:
  std::optional<std::int64_t> readDeviceUtilization() override;
  std::optional<std::int64_t> reading = 37;
  int readCount = 0;
};

}  // namespace platform::fake
