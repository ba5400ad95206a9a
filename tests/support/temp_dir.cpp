// Temporary directories and small file helpers for tests.
#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fs.h"

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    std::string name = "mirvan-test-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++);
    fs::path p = fs::path(platform::TempDirectory()) / name;
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return platform::JoinPath(path_, name); }

std::string TempDir::Write(const std::string& name, const std::string& content) const {
  std::string p = File(name);
  std::ofstream out(p, std::ios::binary);
  out << content;
  return p;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& dir) : saved_(platform::CurrentDirectory()) {
  platform::ChangeDirectory(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() { platform::ChangeDirectory(saved_); }

}  // namespace testing_support
