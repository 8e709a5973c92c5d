#include "platform/linux/proc_file.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

class ReadFileHeadTest : public ::testing::Test {
 protected:
  std::optional<std::string> read(const std::string& contents, std::size_t bufferSize) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
    std::string buffer(bufferSize, '\0');
    const auto text = readFileHead(file.c_str(), std::span(buffer.data(), buffer.size()));
    if (!text) return std::nullopt;
    return std::string(*text);
  }

  testing::TempDir folder;
  std::filesystem::path file = folder.path() / "stat";
};

TEST_F(ReadFileHeadTest, KeepsWholeFilesAndOnlyWholeLinesOfLongerOnes) {
  struct Case {
    const char* name;
    std::string contents;
    std::size_t bufferSize;
    std::optional<std::string> expected;
  };
  for (const Case& c : {
           Case{"fits", "cpu 1 2\nintr 5\n", 64, "cpu 1 2\nintr 5\n"},
           Case{"fits without newline", "cpu 1 2", 64, "cpu 1 2"},
           Case{"exactly the buffer", "cpu 1\n", 6, "cpu 1\n"},
           Case{"cut inside a number", "cpu 1 2\nintr 12345\n", 14, "cpu 1 2\n"},
           Case{"first line too long", "cpu 1 2 3 4 5\n", 8, std::nullopt},
           Case{"empty", "", 16, ""},
       }) {
    EXPECT_EQ(read(c.contents, c.bufferSize), c.expected) << c.name;
  }
}

TEST_F(ReadFileHeadTest, MissingFileIsNone) {
  std::array<char, 16> buffer{};
  EXPECT_EQ(readFileHead((folder.path() / "absent").c_str(), buffer), std::nullopt);
}

}  // namespace
}  // namespace platform::linuxdesktop
