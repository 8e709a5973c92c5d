#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include <gmock/gmock.h>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;

// Where the package.build test unpacked each package: <Package>/ and
// <Package>.control, and all of them together in all/.
const std::string kUnpacked = PACKAGE_UNPACKED;
const std::string kAgentFolder = std::string{"usr/libexec/"} + PACKAGE_HOST_IDENTIFIER + "/";
constexpr const char* kMainPackage = "velmora-status-agents";
constexpr const char* kToolsPackage = "velmora-status-agents-tools";

class PackageTest : public AgentFixture {
 protected:
  void SetUp() override {
    if (!test_support::installed("dpkg-deb") || !test_support::installed("dpkg-shlibdeps")) {
      GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (Debian's dpkg-dev) is missing";
    }
    AgentFixture::SetUp();
  }

  // The control field's value, "" when absent.
  static std::string field(const std::string& package, const std::string& name) {
    const std::string control = "\n" + readFile(kUnpacked + "/" + package + ".control");
    std::smatch value;
    std::regex_search(control, value, std::regex{"\n" + name + ": ([^\n]*)"});
    return value[1];
  }
};

TEST_F(PackageTest, ControlFieldsNameTheLibrariesTheProgramsUseAndTieTheToolsToTheAgents) {
  const std::string version = field(kMainPackage, "Version");
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(field(kToolsPackage, "Version"), version);
  // Computed from the programs by dpkg-shlibdeps.
  EXPECT_THAT(field(kMainPackage, "Depends"),
              AllOf(HasSubstr("libglib2.0-0"), HasSubstr("libdbusmenu-glib4"),
                    HasSubstr("libpango-1.0-0")));
  EXPECT_THAT(
      field(kToolsPackage, "Depends"),
      AllOf(HasSubstr("libcairo2"), HasSubstr(std::string{kMainPackage} + " (= " + version + ")")));
}

// The installed host-sim starts the agents installed with it, as a host
// application would; they show in the tray and end once the host has quit.
TEST_F(PackageTest, UnpackedHostSimStartsTheUnpackedAgentsWhichEndWithIt) {
  // The agents outlive host-sim by up to a watchdog period: as orphans they
  // become this process's children, so that their exit statuses can be read.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  const std::string tools = kUnpacked + "/all/usr/bin/";
  const std::string agents = kUnpacked + "/all/" + kAgentFolder;
  Process& watch = start({tools + "tray-view", "watch"});
  const std::string input = home + "/host-input";
  ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
  Process& host = start({"sh", "-c", "exec \"$0\" < \"$1\"", tools + "host-sim", input});
  std::ofstream commands{input};
  ASSERT_TRUE(waitForItems(watch, {kNetworkAgentId, kSleepAgentId}, 20s))
      << "both items registered with the tray";

  std::vector<pid_t> started;
  for (const std::string id : {kNetworkAgentId, kSleepAgentId}) {
    const std::string mark = "host: started " + id + " (pid ";
    const auto line = host.next(
        [&](const std::string& text) { return text.find(mark) != std::string::npos; }, 5s);
    ASSERT_TRUE(line) << id << " not started";
    started.push_back(std::atoi(line->c_str() + line->find(mark) + mark.size()));
    std::error_code error;
    EXPECT_TRUE(
        fs::equivalent("/proc/" + std::to_string(started.back()) + "/exe", agents + id, error))
        << id << " is not the unpacked one";
  }

  commands << "quit" << std::endl;
  EXPECT_EQ(host.waitForExit(5s), 0);
  // A watchdog tick comes every two seconds; the rest is margin for a busy
  // machine.
  const auto deadline = Clock::now() + 5s;
  for (const pid_t agent : started) {
    int status = -1;
    while (waitpid(agent, &status, WNOHANG) == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "agent pid " << agent << " did not end cleanly with its host: " << status;
  }
}

}  // namespace
}  // namespace e2e
