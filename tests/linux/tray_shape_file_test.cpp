#include "platform/linux/tray_shape_file.h"

#include <dlfcn.h>
#include <sys/inotify.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

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

// Runs once, just before the next watch is placed: a folder made between the
// watch's choice of folder and its placing.
std::function<void()> beforeNextWatch;

}  // namespace
}  // namespace platform::linuxdesktop::testing

extern "C" int inotify_add_watch(int fd, const char* path, std::uint32_t mask) noexcept {
  using Add = int (*)(int, const char*, std::uint32_t);
  static const auto add = reinterpret_cast<Add>(dlsym(RTLD_NEXT, "inotify_add_watch"));
  if (auto made = std::exchange(platform::linuxdesktop::testing::beforeNextWatch, {})) made();
  return add(fd, path, mask);
}

namespace platform::linuxdesktop::testing {
namespace {

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

// The whole folder is made just before the first watch, on the nearest
// existing ancestor, is placed: the second look finds it.
TEST(TrayShapeFileTest, AFolderMadeWhileTheWatchIsPlacedIsFollowed) {
  const test_support::TempDir root;
  const fs::path folder = root.path() / "a" / "velmora-status-agents";
  beforeNextWatch = [&] { fs::create_directories(folder); };
  int changes = 0;
  const ConfigHome environment{(root.path() / "a").string()};
  const TrayShapeFile shapeFile{environment, [&] { ++changes; }};
  writeShape(folder / "tray.conf", "square");
  EXPECT_TRUE(spinUntil([&] { return changes > 0 && shapeFile.shape() == TrayShape::square; }, 2s));
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
