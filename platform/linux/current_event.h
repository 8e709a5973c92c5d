#pragma once

#include <optional>
#include <utility>

#include "platform/application.h"

namespace platform::linuxdesktop {

// The mouse release whose action is running, shared by the status items that
// dispatch clicks and the application that reports it. One per process.
class CurrentEvent {
 public:
  // Sets the event for the lifetime of the scope and restores the previous
  // one afterwards, so nested dispatch (an action that clicks) stays correct.
  class Scope {
   public:
    Scope(CurrentEvent& owner, platform::Event event)
        : owner(owner), previous(std::exchange(owner.event, event)) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { owner.event = previous; }

   private:
    CurrentEvent& owner;
    std::optional<platform::Event> previous;
  };

  // None outside an action started by a click.
  std::optional<platform::Event> get() const { return event; }

 private:
  std::optional<platform::Event> event;
};

}  // namespace platform::linuxdesktop
