// POSIX half of the file-replacement seam: mkstemp beside the file, fsync, rename; the write
// lock is a flock on the file's directory.
#include "platform/file_replace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/fs.h"

namespace platform {
namespace {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The permissions a new file gets from this process: 0666 less the umask.
mode_t NewFileMode() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  mode_t mask = 022;
  if (f) {
    char line[128];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(f);
  }
  return 0666 & ~mask;
}

}  // namespace

FileStamp StampFile(const std::string& path) {
  FileStamp s;
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.regular = S_ISREG(st.st_mode);
  s.size = static_cast<int64_t>(st.st_size);
  s.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.identity = (static_cast<uint64_t>(st.st_dev) << 40) ^ static_cast<uint64_t>(st.st_ino) ^
               (static_cast<uint64_t>(st.st_ctim.tv_nsec) << 20);
  return s;
}

std::string ResolveLinks(const std::string& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  free(real);
  return out;
}

std::string MakeTempFileBeside(const std::string& path) {
  std::string pattern = JoinPath(DirectoryOf(path), ".mvnXXXXXX");
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  int fd = mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) return "";
  close(fd);
  return std::string(buf.data());
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  struct stat st;
  mode_t mode = stat(to.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  chmod(from.c_str(), mode);
  return rename(from.c_str(), to.c_str()) == 0;
}

bool WriteFileReplacing(const std::string& path, const std::string& contents) {
  std::string temp = MakeTempFileBeside(path);
  if (temp.empty()) return false;
  int fd = open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = fd >= 0;
  size_t done = 0;
  while (ok && done < contents.size()) {
    ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (fd >= 0 && close(fd) != 0) ok = false;
  if (ok) ok = ReplaceFileWith(temp, path);
  if (!ok) unlink(temp.c_str());
  return ok;
}

FileWriteLock::FileWriteLock(const std::string& path) {
  int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return;
    }
  }
  handle_ = fd;
}

FileWriteLock::~FileWriteLock() {
  if (handle_ != -1) close(static_cast<int>(handle_));  // closing releases the lock
}

}  // namespace platform
