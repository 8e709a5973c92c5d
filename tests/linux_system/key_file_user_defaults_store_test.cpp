#include "platform/linux/key_file_user_defaults_store.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;

class MapEnvironment : public platform::Environment {
 public:
  std::optional<std::string> value(const std::string& name) const override {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }

  std::map<std::string, std::string> variables;
};

class KeyFileUserDefaultsStoreTest : public ::testing::Test {
 protected:
  void writeSuite(const fs::path& configHome, const std::string& contents) {
    const fs::path suite = configHome / "com.velmora.app";
    fs::create_directories(suite);
    std::ofstream(suite / "defaults.conf") << contents;
  }

  testing::TempDir folder;
  fs::path home = folder.path() / "home";
  fs::path xdg = folder.path() / "xdg";
  MapEnvironment environment;
  KeyFileUserDefaultsStore store{environment};
};

TEST_F(KeyFileUserDefaultsStoreTest, SuiteLivesUnderXdgConfigHomeElseHomeConfig) {
  struct Case {
    const char* name;
    std::optional<std::string> xdgValue;
    std::optional<std::string> homeValue;
    std::optional<std::string> expected;
  };
  const std::string x = xdg.string();
  const std::string h = home.string();
  for (const Case& c : {
           Case{"both", x, h, x + "/com.velmora.app/defaults.conf"},
           Case{"xdg only", x, std::nullopt, x + "/com.velmora.app/defaults.conf"},
           Case{"home only", std::nullopt, h, h + "/.config/com.velmora.app/defaults.conf"},
           Case{"xdg empty", "", h, h + "/.config/com.velmora.app/defaults.conf"},
           Case{"xdg relative", "relative/config", h, h + "/.config/com.velmora.app/defaults.conf"},
           Case{"neither", std::nullopt, std::nullopt, std::nullopt},
           Case{"home empty", std::nullopt, "", std::nullopt},
       }) {
    environment.variables.clear();
    if (c.xdgValue) environment.variables["XDG_CONFIG_HOME"] = *c.xdgValue;
    if (c.homeValue) environment.variables["HOME"] = *c.homeValue;
    EXPECT_EQ(store.suitePath("com.velmora.app"), c.expected) << c.name;
    EXPECT_EQ(store.openSuite("com.velmora.app") != nullptr, c.expected.has_value()) << c.name;
  }
}

TEST_F(KeyFileUserDefaultsStoreTest, OpenedSuiteReadsTheFileAtItsPath) {
  environment.variables["HOME"] = home.string();
  writeSuite(home / ".config", "[Defaults]\nnetworkSpeedShowCPUV1=true\n");
  writeSuite(xdg, "[Defaults]\nnetworkSpeedShowGPUV1=true\n");
  std::unique_ptr<platform::UserDefaults> fromHome = store.openSuite("com.velmora.app");
  ASSERT_NE(fromHome, nullptr);
  EXPECT_TRUE(fromHome->boolForKey("networkSpeedShowCPUV1"));
  EXPECT_FALSE(fromHome->hasObject("networkSpeedShowGPUV1"));

  environment.variables["XDG_CONFIG_HOME"] = xdg.string();
  std::unique_ptr<platform::UserDefaults> fromXdg = store.openSuite("com.velmora.app");
  ASSERT_NE(fromXdg, nullptr);
  EXPECT_TRUE(fromXdg->boolForKey("networkSpeedShowGPUV1"));
  EXPECT_FALSE(fromXdg->hasObject("networkSpeedShowCPUV1"));
}

TEST_F(KeyFileUserDefaultsStoreTest, SuiteNamesThatCouldLeaveTheFolderAreRefused) {
  environment.variables["HOME"] = home.string();
  for (const std::string& name :
       {std::string(), std::string("."), std::string(".."), std::string("a/b"),
        std::string("../outside"), std::string("a..b"), std::string("/etc"),
        std::string("app\0x", 5)}) {
    EXPECT_EQ(store.openSuite(name), nullptr) << name;
    EXPECT_EQ(store.suitePath(name), std::nullopt) << name;
  }
  EXPECT_NE(store.openSuite(".hidden.suite"), nullptr);
}

TEST_F(KeyFileUserDefaultsStoreTest, StandardDefaultsHoldNoKeys) {
  environment.variables["HOME"] = home.string();
  writeSuite(home / ".config", "[Defaults]\nnetworkSpeedShowMemoryV1=true\n");
  std::unique_ptr<platform::UserDefaults> standard = store.standard();
  ASSERT_NE(standard, nullptr);
  standard->synchronize();
  EXPECT_FALSE(standard->hasObject("networkSpeedShowMemoryV1"));
  EXPECT_FALSE(standard->boolForKey("networkSpeedShowMemoryV1"));
}

}  // namespace
}  // namespace platform::linuxdesktop
