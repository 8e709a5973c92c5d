#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace fuzz {

// Files the target rewrites on every run, in a temporary folder of the fuzz
// process's own (fuzz/run_target points TMPDIR into memory where it can,
// since a disk makes each run wait for its writes).
class ScratchFolder {
 public:
  // Writes a file at a path relative to the folder, making its folders, in
  // place and without the sync a safe replacement costs. Returns its path.
  std::string write(const std::string& relativePath, std::string_view contents) const {
    const std::filesystem::path file = folder.path() / relativePath;
    std::filesystem::create_directories(file.parent_path());
    std::FILE* stream = std::fopen(file.c_str(), "wb");
    if (stream == nullptr) std::abort();
    const bool written =
        std::fwrite(contents.data(), 1, contents.size(), stream) == contents.size();
    if (std::fclose(stream) != 0 || !written) std::abort();
    return file.string();
  }

  void erase(const std::string& relativePath) const {
    std::filesystem::remove(folder.path() / relativePath);
  }

  std::string path() const { return folder.path().string(); }

 private:
  test_support::TempDir folder{"velmora-fuzz"};
};

}  // namespace fuzz
