#include "platform/linux/key_file_user_defaults.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// Sets the file's modification time, to tell same-size rewrites apart (or not).
void setModified(const fs::path& path, time_t seconds, long nanoseconds) {
  const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class KeyFileUserDefaultsTest : public ::testing::Test {
 protected:
  testing::TempDir folder;
  fs::path file = folder.path() / "defaults.conf";
};

TEST(KeyFileBooleanRuleTest, ReadsTrueYesAndNonZeroIntegers) {
  struct Case {
    const char* value;
    bool expected;
  };
  for (const Case& c :
       {Case{"true", true},  Case{"TRUE", true},  Case{" Yes ", true},
        Case{"yEs\t", true}, Case{"1", true},     Case{"+7", true},
        Case{"-3", true},    Case{"0010", true},  Case{"123456789012345678901234567890", true},
        Case{"0", false},    Case{"0000", false}, Case{"+0", false},
        Case{"-0", false},   Case{"1.5", false},  Case{"", false},
        Case{"+", false},    Case{"no", false},   Case{"false", false},
        Case{"on", false},   Case{"y", false},    Case{"1e3", false},
        Case{"0x1", false},  Case{"1 1", false},  Case{"truex", false},
        Case{"++1", false}}) {
    EXPECT_EQ(KeyFileUserDefaults::readsAsTrue(c.value), c.expected) << '"' << c.value << '"';
  }
}

TEST_F(KeyFileUserDefaultsTest, KeysOfTheDefaultsGroupAreObjectsReadByTheBooleanRule) {
  writeFile(file,
            "# written by the host\n"
            "[Other]\nelsewhere=true\n"
            "[Defaults]\n"
            "shown=true\nhidden=false\nnumber=2\nword=maybe\nempty=\n"
            "escaped=\\strue\\s\ntrailing=yes   \n");
  KeyFileUserDefaults defaults(file);
  for (const char* key : {"shown", "hidden", "number", "word", "empty", "escaped", "trailing"}) {
    EXPECT_TRUE(defaults.hasObject(key)) << key;
  }
  EXPECT_FALSE(defaults.hasObject("elsewhere"));
  EXPECT_FALSE(defaults.hasObject("absent"));
  EXPECT_FALSE(defaults.hasObject(std::string("shown\0x", 7)));
  EXPECT_TRUE(defaults.boolForKey("shown"));
  EXPECT_FALSE(defaults.boolForKey("hidden"));
  EXPECT_TRUE(defaults.boolForKey("number"));
  EXPECT_FALSE(defaults.boolForKey("word"));
  EXPECT_FALSE(defaults.boolForKey("empty"));
  EXPECT_TRUE(defaults.boolForKey("escaped"));
  EXPECT_TRUE(defaults.boolForKey("trailing"));
  EXPECT_FALSE(defaults.boolForKey("elsewhere"));
  EXPECT_FALSE(defaults.boolForKey("absent"));
}

TEST_F(KeyFileUserDefaultsTest, FilesWithoutUsableKeysHoldNothing) {
  struct Case {
    const char* name;
    std::string contents;
  };
  for (const Case& c :
       {Case{"group missing", "[Other]\nshown=true\n"},
        Case{"not a key file", "shown=true\n[Defaults\n"},
        Case{"binary", std::string("\x00\xff\x01[Defaults]\nshown=1\n", 21)}, Case{"empty", ""}}) {
    writeFile(file, c.contents);
    KeyFileUserDefaults defaults(file);
    EXPECT_FALSE(defaults.hasObject("shown")) << c.name;
    EXPECT_FALSE(defaults.boolForKey("shown")) << c.name;
  }
}

TEST_F(KeyFileUserDefaultsTest, MissingFileIsEmptyUntilItAppears) {
  KeyFileUserDefaults defaults(file);
  EXPECT_FALSE(defaults.hasObject("shown"));
  defaults.synchronize();
  EXPECT_FALSE(defaults.hasObject("shown"));
  writeFile(file, "[Defaults]\nshown=1\n");
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
  fs::remove(file);
  defaults.synchronize();
  EXPECT_FALSE(defaults.hasObject("shown"));
}

TEST_F(KeyFileUserDefaultsTest, SameSizeRewriteIsSeenThroughItsModificationTime) {
  writeFile(file, "[Defaults]\nshown=1\n");
  setModified(file, 1700000000, 100);
  KeyFileUserDefaults defaults(file);
  EXPECT_TRUE(defaults.boolForKey("shown"));
  writeFile(file, "[Defaults]\nshown=0\n");
  setModified(file, 1700000000, 200);
  defaults.synchronize();
  EXPECT_FALSE(defaults.boolForKey("shown"));
}

TEST_F(KeyFileUserDefaultsTest, UnchangedVersionIsNotReadAgain) {
  // Same inode, size and modification time: synchronize trusts its copy, which
  // shows that it costs one stat and no read.
  writeFile(file, "[Defaults]\nshown=1\n");
  setModified(file, 1700000000, 100);
  KeyFileUserDefaults defaults(file);
  writeFile(file, "[Defaults]\nshown=0\n");
  setModified(file, 1700000000, 100);
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
}

TEST_F(KeyFileUserDefaultsTest, ReplacementByRenameIsSeenThroughItsInode) {
  writeFile(file, "[Defaults]\nshown=1\n");
  setModified(file, 1700000000, 100);
  KeyFileUserDefaults defaults(file);
  const fs::path replacement = folder.path() / "defaults.conf.new";
  writeFile(replacement, "[Defaults]\nshown=0\n");
  setModified(replacement, 1700000000, 100);
  fs::rename(replacement, file);
  defaults.synchronize();
  EXPECT_FALSE(defaults.boolForKey("shown"));
}

TEST_F(KeyFileUserDefaultsTest, OddThingsInTheFilesPlaceReadAsEmptyWithoutBlocking) {
  fs::create_directory(file);
  EXPECT_FALSE(KeyFileUserDefaults(file).hasObject("shown"));
  fs::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_FALSE(KeyFileUserDefaults(file).hasObject("shown"));
  fs::remove(file);
  writeFile(file,
            "[Defaults]\nshown=1\n" + std::string(KeyFileUserDefaults::kMaximumFileBytes, '#'));
  EXPECT_FALSE(KeyFileUserDefaults(file).hasObject("shown"));
}

}  // namespace
}  // namespace platform::linuxdesktop
