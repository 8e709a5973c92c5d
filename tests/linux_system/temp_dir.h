#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::linuxdesktop::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "linux-system-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!root.empty()) std::filesystem::remove_all(root, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return root; }

 private:
  std::filesystem::path root;
};

}  // namespace platform::linuxdesktop::testing
