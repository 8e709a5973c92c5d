#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes. The path is empty when none could be made.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "velmora-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
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

}  // namespace test_support
