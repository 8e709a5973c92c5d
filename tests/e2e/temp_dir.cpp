#include "tests/e2e/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace e2e {
namespace {

std::string temporaryRoot() {
  const char* root = std::getenv("TMPDIR");
  return root != nullptr && *root != '\0' ? root : "/tmp";
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = temporaryRoot() + "/velmora-e2e-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) != nullptr) folder = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

std::string TempDir::makeFolder(const std::string& relativePath) const {
  const std::string path = folder + "/" + relativePath;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
  return path;
}

std::string TempDir::writeFile(const std::string& relativePath, const std::string& contents) const {
  const std::filesystem::path path = folder + "/" + relativePath;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream file{path, std::ios::binary | std::ios::trunc};
  file << contents;
  file.close();
  return file ? path.string() : std::string{};
}

void TempDir::openToEveryone() const {
  namespace fs = std::filesystem;
  std::error_code ignored;
  const auto readable = fs::perms::others_read | fs::perms::group_read;
  const auto enterable = readable | fs::perms::others_exec | fs::perms::group_exec;
  fs::permissions(folder, enterable, fs::perm_options::add, ignored);
  for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
    fs::permissions(entry.path(), entry.is_directory() ? enterable : readable,
                    fs::perm_options::add, ignored);
  }
}

}  // namespace e2e
