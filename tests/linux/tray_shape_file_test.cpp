#include "platform/linux/tray_shape_file.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux/test_bus.h"
#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop::testing {
namespace {

namespace fs = std::filesystem;

class ConfigHome final : public platform::Environment {
 public:
  explicit ConfigHome(std::string folder) : folder(std::move(folder)) {}
  std::optional<std::string> value(const std::string& name) const override {
    if (name == "XDG_CONFIG_HOME") return folder;
    return std::nullopt;
  }

 private:
  std::string folder;
};

void writeShape(const fs::path& file, const char* shape) {
  std::ofstream(file) << "[Tray]\nShape=" << shape << "\n";
}

// The configuration folder starts two levels short of existing. GIO would
// look for a missing folder every four seconds; each step must be seen well
// before that, however the folder comes and goes.
TEST(TrayShapeFileTest, ARunningWatchFollowsTheFileHoweverItsFolderComesAndGoes) {
  const test_support::TempDir root;
  const fs::path configuration = root.path() / "a" / "b";
  const fs::path folder = configuration / "velmora-status-agents";
  const fs::path file = folder / "tray.conf";
  int changes = 0;
  const ConfigHome environment{configuration.string()};
  TrayShapeFile shapeFile{environment, [&] { ++changes; }};
  EXPECT_EQ(shapeFile.shape(), std::nullopt);

  struct Step {
    const char* what;
    std::function<void()> act;
    std::optional<TrayShape> shape;
  };
  const Step steps[] = {
      {"one folder at a time",
       [&] {
         fs::create_directory(root.path() / "a");
         spinUntil([] { return false; }, 50ms);
         fs::create_directory(configuration);
         spinUntil([] { return false; }, 50ms);
         fs::create_directory(folder);
         spinUntil([] { return false; }, 50ms);
         writeShape(file, "wide");
       },
       TrayShape::wide},
      {"an edit", [&] { writeShape(file, "square"); }, TrayShape::square},
      {"all removed", [&] { fs::remove_all(root.path() / "a"); }, std::nullopt},
      {"made at once with the file",
       [&] {
         fs::create_directories(folder);
         writeShape(file, "wide");
       },
       TrayShape::wide},
      {"the folder replaced",
       [&] {
         fs::remove_all(folder);
         spinUntil([] { return false; }, 50ms);
         fs::create_directory(folder);
         writeShape(file, "square");
       },
       TrayShape::square},
      {"the emptied folder removed and made again",
       [&] {
         fs::remove(file);
         spinUntil([] { return false; }, 50ms);
         fs::remove(folder);
         spinUntil([] { return false; }, 50ms);
         fs::create_directory(folder);
         writeShape(file, "wide");
       },
       TrayShape::wide},
  };
  for (const Step& step : steps) {
    const int before = changes;
    step.act();
    EXPECT_TRUE(spinUntil([&] { return changes > before && shapeFile.shape() == step.shape; }, 2s))
        << step.what;
  }
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
