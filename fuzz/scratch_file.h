#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace fuzz {

// Writes a file the target rewrites on every run at a path relative to a
// temporary folder of the fuzz process's own (fuzz/run_target points TMPDIR
// into memory where it can, since a disk makes each run wait for its writes),
// making its folders, in place and without the sync a safe replacement costs.
// Returns its path.
inline std::string writeScratch(const test_support::TempDir& folder,
                                const std::string& relativePath, std::string_view contents) {
  const std::filesystem::path file = folder.path() / relativePath;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary);
  if (!stream.write(contents.data(), static_cast<std::streamsize>(contents.size())).flush()) {
    std::abort();
  }
  return file.string();
}

}  // namespace fuzz
