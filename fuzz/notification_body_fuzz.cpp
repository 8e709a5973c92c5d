// The body of a notification from the bus: any GVariant a sender can make,
// as the backend reads it into a user info and the sleep agent into a state.
//
// Input: a first byte choosing the type — 0 for (a{sv}), 1 for (a{ss}),
// anything else for the type string that follows up to a NUL — then the
// serialised value, read as untrusted data.
#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "fuzz/fuzz_rule.h"
#include "fuzz/fuzz_variant.h"
#include "platform/linux/notification_wire.h"
#include "sleep_agent/sleep_state.h"

namespace {

using fuzz::Variant;

// The reading of one value of an a{sv} or a{ss} entry.
platform::UserInfoValue expectedValue(GVariant* value) {
  const std::string_view type = g_variant_get_type_string(value);
  if (type == "s") return std::string{g_variant_get_string(value, nullptr)};
  if (type == "b") return static_cast<bool>(g_variant_get_boolean(value));
  if (type == "d") return g_variant_get_double(value);
  if (type == "y") return double(g_variant_get_byte(value));
  if (type == "n") return double(g_variant_get_int16(value));
  if (type == "q") return double(g_variant_get_uint16(value));
  if (type == "i") return double(g_variant_get_int32(value));
  if (type == "u") return double(g_variant_get_uint32(value));
  if (type == "x") return double(g_variant_get_int64(value));
  if (type == "t") return double(g_variant_get_uint64(value));
  return platform::OtherValue{};
}

std::optional<platform::UserInfo> expectedUserInfo(GVariant* body) {
  const std::string_view type = g_variant_get_type_string(body);
  if (type != "(a{sv})" && type != "(a{ss})") return std::nullopt;
  platform::UserInfo userInfo;
  const Variant dictionary{g_variant_get_child_value(body, 0)};
  GVariantIter entries;
  g_variant_iter_init(&entries, dictionary.get());
  const char* key = nullptr;
  GVariant* value = nullptr;
  while (g_variant_iter_next(&entries, type == "(a{sv})" ? "{&sv}" : "{&s@s}", &key, &value)) {
    userInfo.insert_or_assign(key, expectedValue(value));  // a later key wins
    g_variant_unref(value);
  }
  return userInfo;
}

bool sameValue(const platform::UserInfoValue& left, const platform::UserInfoValue& right) {
  if (left.index() != right.index()) return false;
  if (const auto* number = std::get_if<double>(&left)) {
    const double other = std::get<double>(right);
    return *number == other || (*number != *number && other != other);  // NaN matches NaN
  }
  if (std::holds_alternative<platform::OtherValue>(left)) return true;
  return left == right;
}

void checkSleepState(const std::optional<platform::UserInfo>& userInfo) {
  const agent::SleepState state = agent::sleepStateFromUserInfo(userInfo);
  const platform::UserInfo info = userInfo.value_or(platform::UserInfo{});
  const auto active = info.find("active");
  const bool expectActive =
      active != info.end() && active->second == platform::UserInfoValue{std::string{"true"}};
  FUZZ_RULE(state.active == expectActive);
  const auto status = info.find("status");
  if (status != info.end() && std::holds_alternative<std::string>(status->second)) {
    FUZZ_RULE(state.status == std::get<std::string>(status->second));
  } else {
    FUZZ_RULE(state.status == (expectActive ? "保持唤醒" : "未开启"));
  }
  FUZZ_RULE(agent::sleepStatusTitle(state) == (expectActive ? "醒┃" : "眠╮"));
  const std::string tooltip = agent::sleepStatusToolTip(state);
  if (expectActive) {
    FUZZ_RULE(tooltip == "睡眠：保持唤醒 · " + state.status);
  } else {
    FUZZ_RULE(tooltip == agent::sleepStatusToolTip(agent::SleepState{}));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Variant body = fuzz::variantOf(data, size, {"(a{sv})", "(a{ss})"});
  if (!body) return 0;

  const std::optional<platform::UserInfo> userInfo =
      platform::linuxdesktop::userInfoFromBody(body.get());
  const std::optional<platform::UserInfo> expected = expectedUserInfo(body.get());
  FUZZ_RULE(userInfo.has_value() == expected.has_value());
  if (userInfo) {
    FUZZ_RULE(std::ranges::equal(*userInfo, *expected, [](const auto& left, const auto& right) {
      return left.first == right.first && sameValue(left.second, right.second);
    }));
  }
  checkSleepState(userInfo);
  return 0;
}
