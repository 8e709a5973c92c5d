#include "platform/linux/key_file_user_defaults.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/fake/fake_services.h"
#include "platform/linux/key_file_user_defaults_store.h"
#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;
using Variables = std::map<std::string, std::string>;

// Writes the file with a fixed modification time whose nanosecond part is
// given, so that same-size rewrites can be told apart (or not).
void writeFile(const fs::path& path, const std::string& contents, long nanoseconds = 100) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
  const timespec times[2] = {{1700000000, nanoseconds}, {1700000000, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class KeyFileUserDefaultsTest : public ::testing::Test {
 protected:
  test_support::TempDir folder;
  fs::path file = folder.path() / "defaults.conf";
  std::string home = folder.path() / "home";
  platform::fake::CallLog log;
  platform::fake::FakeEnvironment environment{log};
  KeyFileUserDefaultsStore store{environment};
};

TEST(TextBooleanRuleTest, ReadsTrueYesAndNonZeroIntegers) {
  for (const char* value : {"TRUE", " yEs\t", "+7", "-3", "0010", "123456789012345678901234567"})
    EXPECT_TRUE(platform::textReadsAsTrue(value)) << '"' << value << '"';
  for (const char* value : {"0", "-0", "", "+", "1.5", "on", "1 1", "truex"})
    EXPECT_FALSE(platform::textReadsAsTrue(value)) << '"' << value << '"';
}

// Hostile files (FIFO, device, folder, too large, unreadable) are
// UserFilesTest's rows, for this reader and the shape file's.
TEST_F(KeyFileUserDefaultsTest, UnparsableFilesHoldNothing) {
  for (const std::string& contents :
       {std::string("[Other]\nshown=true\n"), std::string("shown=true\n[Defaults\n"),
        std::string("\x00\xff\x01[Defaults]\nshown=1\n", 21)}) {
    writeFile(file, contents);
    EXPECT_FALSE(KeyFileUserDefaults(file).hasObject("shown")) << contents.substr(0, 20);
  }
}

TEST_F(KeyFileUserDefaultsTest, FollowsTheFileAsItAppearsIsRewrittenReplacedAndRemoved) {
  KeyFileUserDefaults defaults(file);
  EXPECT_FALSE(defaults.hasObject("shown"));
  writeFile(file, "[Defaults]\nshown=\\s1\nempty=\n");
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
  EXPECT_TRUE(defaults.hasObject("empty"));
  EXPECT_FALSE(defaults.boolForKey("empty"));
  // Same inode, size and modification time: the status-change time tells.
  writeFile(file, "[Defaults]\nshown=\\s0\nempty=\n");
  defaults.synchronize();
  EXPECT_FALSE(defaults.boolForKey("shown"));
  // A rename brings a new inode.
  writeFile(folder.path() / "new", "[Defaults]\nshown=1\n", 200);
  fs::rename(folder.path() / "new", file);
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
  fs::remove(file);
  defaults.synchronize();
  EXPECT_FALSE(defaults.hasObject("shown"));
}

TEST_F(KeyFileUserDefaultsTest, SuiteLivesUnderAbsoluteXdgConfigHomeElseHomeConfig) {
  const std::string underHome = home + "/.config/app/defaults.conf";
  for (const auto& [variables, expected] :
       std::initializer_list<std::pair<Variables, std::optional<std::string>>>{
           {{{"XDG_CONFIG_HOME", "/xdg"}, {"HOME", home}}, "/xdg/app/defaults.conf"},
           {{{"XDG_CONFIG_HOME", ""}, {"HOME", home}}, underHome},
           {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", home}}, underHome},
           {{{"HOME", ""}}, std::nullopt},
           {{}, std::nullopt}}) {
    environment.variables = variables;
    EXPECT_EQ(store.suitePath("app"), expected);
    EXPECT_EQ(store.openSuite("app") != nullptr, expected.has_value());
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
