#pragma once

#include <optional>
#include <string>

#include "platform/notification_center.h"

namespace agent {

// Whether the host keeps the machine awake, as its last state notification
// said. Until the first notification: not active, status "未开启".
struct SleepState {
  bool active = false;
  // The host's status phrase; shown only while active.
  std::string status = "未开启";
  bool operator==(const SleepState&) const = default;
};

// The state a notification's user info announces; no user info reads as an
// empty one. Active only when "active" is the string "true" exactly. The
// status is a string "status" exactly as received, an empty one included;
// otherwise "保持唤醒" when active and "未开启" when not. Other keys and
// values of other types are ignored.
SleepState sleepStateFromUserInfo(const std::optional<platform::UserInfo>& userInfo);

// The two-character title: "醒┃" while active, "眠╮" otherwise.
std::string sleepStatusTitle(const SleepState& state);

// "睡眠：保持唤醒 · " followed by the status while active; the fixed
// not-active text otherwise, whatever the status holds.
std::string sleepStatusToolTip(const SleepState& state);

}  // namespace agent
