#include "sleep_agent/sleep_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using platform::OtherValue;
using platform::UserInfo;

struct StateCase {
  const char* name;
  std::optional<UserInfo> userInfo;
  agent::SleepState expected;
};

TEST(SleepState, ReadsTheFlagAndTheStatusFromTheUserInfo) {
  const StateCase cases[] = {
      {"no user info", std::nullopt, {false, "未开启"}},
      {"empty user info", UserInfo{}, {false, "未开启"}},
      {"active with status", UserInfo{{"active", "true"}, {"status", "下载中"}}, {true, "下载中"}},
      {"active without status", UserInfo{{"active", "true"}}, {true, "保持唤醒"}},
      {"active with empty status", UserInfo{{"active", "true"}, {"status", ""}}, {true, ""}},
      {"status a number", UserInfo{{"active", "true"}, {"status", 42.0}}, {true, "保持唤醒"}},
      {"status a Boolean", UserInfo{{"active", "true"}, {"status", true}}, {true, "保持唤醒"}},
      {"status another type",
       UserInfo{{"active", "true"}, {"status", OtherValue{}}},
       {true, "保持唤醒"}},
      {"capitalised True", UserInfo{{"active", "True"}}, {false, "未开启"}},
      {"upper case with status kept", UserInfo{{"active", "TRUE"}, {"status", "S"}}, {false, "S"}},
      {"digit 1", UserInfo{{"active", "1"}}, {false, "未开启"}},
      {"yes", UserInfo{{"active", "yes"}}, {false, "未开启"}},
      {"padded", UserInfo{{"active", " true"}}, {false, "未开启"}},
      {"trailing newline", UserInfo{{"active", "true\n"}}, {false, "未开启"}},
      {"Boolean true", UserInfo{{"active", true}}, {false, "未开启"}},
      {"numeric true", UserInfo{{"active", 1.0}}, {false, "未开启"}},
      {"another type", UserInfo{{"active", OtherValue{}}}, {false, "未开启"}},
      {"status without flag", UserInfo{{"status", "S"}}, {false, "S"}},
      {"keys are case-sensitive", UserInfo{{"Active", "true"}, {"Status", "S"}}, {false, "未开启"}},
      {"other keys ignored", UserInfo{{"active", "true"}, {"reason", "x"}}, {true, "保持唤醒"}},
  };
  for (const StateCase& c : cases) {
    SCOPED_TRACE(c.name);
    const agent::SleepState state = agent::sleepStateFromUserInfo(c.userInfo);
    EXPECT_EQ(state.active, c.expected.active);
    EXPECT_EQ(state.status, c.expected.status);
  }
}

}  // namespace
