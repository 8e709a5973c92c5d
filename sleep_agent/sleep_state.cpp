#include "sleep_agent/sleep_state.h"

#include <string_view>

#include "agent_common/host_contract.h"

namespace agent {
namespace {

// The string value under a key, or none when the key is missing or holds
// another type.
std::optional<std::string> stringValue(const platform::UserInfo& userInfo, std::string_view key) {
  const auto found = userInfo.find(std::string{key});
  if (found == userInfo.end()) return std::nullopt;
  if (const auto* text = std::get_if<std::string>(&found->second)) return *text;
  return std::nullopt;
}

}  // namespace

SleepState sleepStateFromUserInfo(const std::optional<platform::UserInfo>& userInfo) {
  const platform::UserInfo none;
  const platform::UserInfo& received = userInfo ? *userInfo : none;
  SleepState state;
  // Case-sensitive and whole: "True", "1", "yes" and a Boolean true are not active.
  state.active = stringValue(received, kActiveKey) == std::optional<std::string>{"true"};
  state.status = stringValue(received, kStatusKey).value_or(state.active ? "保持唤醒" : "未开启");
  return state;
}

std::string sleepStatusTitle(const SleepState& state) { return state.active ? "醒┃" : "眠╮"; }

std::string sleepStatusToolTip(const SleepState& state) {
  if (!state.active) return "睡眠：未开启，系统按默认规则休眠";
  return "睡眠：保持唤醒 · " + state.status;
}

}  // namespace agent
