#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform::posix::testing {

// A fresh temporary folder for stand-in executables and the files they
// write, removed with everything in it when the object goes.
class StandInFolder {
 public:
  StandInFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "posix-standin-XXXXXX");
    if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~StandInFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  StandInFolder(const StandInFolder&) = delete;
  StandInFolder& operator=(const StandInFolder&) = delete;

  // Writes an executable shell script with the body and returns its path.
  std::string script(const std::string& name, const std::string& body) const {
    const std::filesystem::path file = path / name;
    std::ofstream(file) << "#!/bin/sh\n" << body;
    ::chmod(file.c_str(), 0755);
    return file.string();
  }

  std::string file(const std::string& name) const { return (path / name).string(); }

  std::filesystem::path path;
};

}  // namespace platform::posix::testing
