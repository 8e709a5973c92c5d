#include <string>
#include <vector>

#include "tests/e2e/agent_fixture.h"
#include "tests/e2e/programs.h"

namespace e2e {
namespace {

constexpr const char* kAwakeTitle = "醒┃";
constexpr const char* kAsleepTitle = "眠╮";
constexpr const char* kAwakePrefix = "睡眠：保持唤醒 · ";
constexpr const char* kAsleepTooltip = "睡眠：未开启，系统按默认规则休眠";

struct StateCase {
  const char* name;
  // The signal's body, one GVariant text per argument.
  std::vector<std::string> body;
  std::string title;
  std::string tooltip;
};

std::string longStatus() {
  std::string text;
  for (int index = 0; index < 120; ++index) text += "保持唤醒中 " + std::to_string(index) + " ";
  return text;
}

std::vector<StateCase> stateCases() {
  const std::string awake = kAwakePrefix;
  return {
      {"active with a status",
       {"{'active': <'true'>, 'status': <'下载中'>}"},
       kAwakeTitle,
       awake + "下载中"},
      {"active without a status", {"{'active': <'true'>}"}, kAwakeTitle, awake + "保持唤醒"},
      {"active with an empty status", {"{'active': <'true'>, 'status': <''>}"}, kAwakeTitle, awake},
      {"active with a numeric status",
       {"{'active': <'true'>, 'status': <42>}"},
       kAwakeTitle,
       awake + "保持唤醒"},
      {"capitalised True",
       {"{'active': <'True'>, 'status': <'hidden'>}"},
       kAsleepTitle,
       kAsleepTooltip},
      {"the digit 1", {"{'active': <'1'>}"}, kAsleepTitle, kAsleepTooltip},
      {"a Boolean true", {"{'active': <true>}"}, kAsleepTitle, kAsleepTooltip},
      {"a numeric 1", {"{'active': <1>}"}, kAsleepTitle, kAsleepTooltip},
      {"a dictionary of strings", {"{'active': 'true', 'status': 'x'}"}, kAwakeTitle, awake + "x"},
      {"an empty dictionary", {"@a{sv} {}"}, kAsleepTitle, kAsleepTooltip},
      {"a body of one number", {"(1,)"}, kAsleepTitle, kAsleepTooltip},
      {"a body of one string", {"'true'"}, kAsleepTitle, kAsleepTooltip},
      {"an empty body", {}, kAsleepTitle, kAsleepTooltip},
      {"a long status",
       {"{'active': <'true'>, 'status': <'" + longStatus() + "'>}"},
       kAwakeTitle,
       awake + longStatus()},
  };
}

class SleepStateTest : public AgentFixture {
 protected:
  bool post(const std::vector<std::string>& body) {
    std::vector<std::string> arguments = {"gdbus",
                                          "emit",
                                          "--session",
                                          "--object-path",
                                          "/com/velmora/app",
                                          "--signal",
                                          "com.velmora.app.sleepStatusStateChanged"};
    arguments.insert(arguments.end(), body.begin(), body.end());
    return session->run(arguments).exitCode == 0;
  }

  std::optional<ItemLine> nextDisplay(const std::string& title, const std::string& tooltip) {
    return nextItem(
        *watch, kSleepAgentId,
        [&](const ItemLine& item) { return item.title == title && item.tooltip == tooltip; }, 3s);
  }

  Process* watch = nullptr;
};

TEST_F(SleepStateTest, TitleAndTooltipFollowEachStateNotification) {
  watch = &startWatch();
  Process& agent = startAgent(kSleepAgent, std::nullopt);
  ASSERT_TRUE(nextDisplay(kAsleepTitle, kAsleepTooltip)) << "the initial state is not active";

  int step = 0;
  for (const auto& state : stateCases()) {
    SCOPED_TRACE(state.name);
    // A distinct state first, so that the case's own display is a change the
    // tray is told about even when it equals the one before.
    const std::string marker = "marker " + std::to_string(++step);
    ASSERT_TRUE(post({"{'active': <'true'>, 'status': <'" + marker + "'>}"}));
    ASSERT_TRUE(nextDisplay(kAwakeTitle, kAwakePrefix + marker));

    ASSERT_TRUE(post(state.body));
    EXPECT_TRUE(nextDisplay(state.title, state.tooltip))
        << "expected title \"" << state.title << "\" and tooltip \"" << state.tooltip << "\"";
    ASSERT_TRUE(agent.running());
  }
}

}  // namespace
}  // namespace e2e
