// POSIX half of the file-system seam.
#include "platform/fs.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace platform {

char PathSeparator() { return '/'; }
bool IsPathSeparator(char c) { return c == '/'; }

std::string CurrentDirectory() {
  std::vector<char> buf(4096);
  if (!getcwd(buf.data(), buf.size())) return "";
  return buf.data();
}

bool ChangeDirectory(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

std::string ProgramPath() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string WindowsDirectory() {
  // No Windows directory here: a per-user folder takes its place as the last resort.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg);
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home);
  return "";
}

std::string TempDirectory() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }
bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

int MaxFileNameLength() {
  long n = pathconf(".", _PC_NAME_MAX);
  return n > 0 ? static_cast<int>(n > 32767 ? 32767 : n) : 0;
}

}  // namespace platform
