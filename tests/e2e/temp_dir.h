#pragma once

#include <string>

namespace e2e {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes. path() is empty when the folder could not be made.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return folder; }
  // Creates a folder (and its parents) inside this one; returns its path.
  std::string makeFolder(const std::string& relativePath) const;
  // Writes a file inside this one, creating its folders; returns its path,
  // or an empty string when it cannot be written.
  std::string writeFile(const std::string& relativePath, const std::string& contents) const;
  // Lets every user enter and read what is in the folder, for a child
  // process that runs as another user.
  void openToEveryone() const;

 private:
  std::string folder;
};

}  // namespace e2e
