#include "platform/linux/tray_shape_file.h"

#include <dlfcn.h>
#include <sys/fsuid.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/linux/key_file_user_defaults.h"
#include "platform/linux/user_file.h"
#include "tests/support/gdbus.h"
#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop::testing {
namespace {

using namespace test_support;

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

// The configuration folder starts two levels short of existing, and the first
// of them is made just before the first watch, on the nearest existing
// ancestor, is placed: the second look finds it. GIO would look for a missing
// folder every four seconds; each step must be seen well before that, however
// the folder comes and goes.
TEST(TrayShapeFileTest, ARunningWatchFollowsTheFileHoweverItsFolderComesAndGoes) {
  const test_support::TempDir root;
  const fs::path configuration = root.path() / "a" / "b";
  const fs::path folder = configuration / "velmora-status-agents";
  const fs::path file = folder / "tray.conf";
  int changes = 0;
  const ConfigHome environment{configuration.string()};
  beforeNextWatch = [&] { fs::create_directory(root.path() / "a"); };
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

// Root reads every file: while the readers read, this thread's file access is
// checked as nobody's (the bus's threads keep their rights).
void checkFileAccessAs(uid_t user) {
  if (geteuid() == 0) setfsuid(user);
}

// What a user may leave where the options file or the shape file belongs. No
// row may block the reading thread (a reader blocked on the FIFO shows as the
// test's time-out), none is read as options, and a file made readable is seen
// at the next check (options) or change (shape).
TEST(UserFilesTest, BothReadersGiveTheDefaultForAHostileFileAndSeeItMadeReadable) {
  const test_support::TempDir root;
  ASSERT_EQ(chmod(root.path().c_str(), 0755), 0);
  const fs::path options = root.path() / "com.example" / "defaults.conf";
  const fs::path shape = root.path() / "velmora-status-agents" / "tray.conf";
  fs::create_directories(options.parent_path());
  fs::create_directories(shape.parent_path());
  int changes = 0;
  const ConfigHome environment{root.path().string()};
  TrayShapeFile shapeFile{environment, [&] { ++changes; }};
  const std::string optionsText = "[Defaults]\nshown=1\n";
  const std::string shapeText = "[Tray]\nShape=wide\n";
  const std::string padding = "#" + std::string(UserFile::kMaximumBytes, '-') + "\n";

  struct Row {
    const char* what;
    std::function<void(const fs::path&, const std::string&)> make;
    bool madeReadable = false;
  };
  const Row rows[] = {
      {"a FIFO", [](const fs::path& file, const std::string&) { mkfifo(file.c_str(), 0644); }},
      {"a device, through a symbolic link",
       [](const fs::path& file, const std::string&) { fs::create_symlink("/dev/zero", file); }},
      {"over 1 MiB", [&](const fs::path& file,
                         const std::string& valid) { std::ofstream(file) << valid + padding; }},
      {"unreadable, then readable",
       [&](const fs::path& file, const std::string& valid) {
         std::ofstream(file) << valid;
         chmod(file.c_str(), 0);
       },
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(options);
    fs::remove_all(shape);
    spinUntil([] { return false; }, 50ms);
    row.make(options, optionsText);
    row.make(shape, shapeText);
    // No assertion may leave this stretch early.
    checkFileAccessAs(65534);
    KeyFileUserDefaults defaults{options.string()};
    EXPECT_FALSE(defaults.hasObject("shown"));
    EXPECT_EQ(shapeFile.shape(), std::nullopt);
    if (row.madeReadable) {
      spinUntil([] { return false; }, 50ms);
      const int before = changes;
      checkFileAccessAs(0);
      chmod(options.c_str(), 0644);
      chmod(shape.c_str(), 0644);
      checkFileAccessAs(65534);
      defaults.synchronize();
      EXPECT_TRUE(defaults.boolForKey("shown")) << "options made readable";
      EXPECT_TRUE(
          spinUntil([&] { return changes > before && shapeFile.shape() == TrayShape::wide; }, 2s))
          << "shape made readable";
    }
    checkFileAccessAs(0);
  }
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
