// A fresh temporary directory for one test, removed with everything in it afterwards.
#pragma once
#include <string>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // The path of a name inside the directory.
  std::string File(const std::string& name) const;
  // Writes a file inside the directory (binary), returning its path.
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

// Reads a whole file (binary); "" when it cannot be read.
std::string ReadFile(const std::string& path);

// Runs a body with the current directory changed, restoring it afterwards.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& dir);
  ~ScopedCurrentDir();

 private:
  std::string saved_;
};

}  // namespace testing_support
