#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// The event being handled while an action runs. Type and modifier flags use the
// AppKit numbering, which every backend translates to.
struct Event {
  int type = 0;
  std::uint64_t modifierFlags = 0;
};

inline constexpr int kEventTypeLeftMouseUp = 2;
inline constexpr int kEventTypeRightMouseUp = 4;
inline constexpr int kEventTypeOtherMouseUp = 26;
inline constexpr std::uint64_t kEventModifierFlagControl = 0x40000;

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual void applicationDidFinishLaunching() = 0;
  virtual void applicationWillTerminate() = 0;
};

class Application {
 public:
  virtual ~Application() = default;

  virtual void setActivationPolicy(ActivationPolicy policy) = 0;

  // Held weakly: whoever created the delegate keeps it alive.
  virtual void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) = 0;

  // Runs the main loop, calling applicationDidFinishLaunching from inside it.
  // Returns the process exit status once the application has terminated.
  virtual int run() = 0;

  // Runs applicationWillTerminate, then ends the main loop; the process exits
  // with status 0. Safe to call from inside a timer or an action.
  virtual void terminate() = 0;

  // The event whose handling is under way, or none outside event handling.
  virtual std::optional<Event> currentEvent() const = 0;
};

}  // namespace platform
