// POSIX half of the directory seam.
#include "platform/dir_scan.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace platform {

bool ScanDirectory(const std::string& dir, std::vector<DirEntry>& out) {
  out.clear();
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    DirEntry entry;
    entry.name = e->d_name;
    std::string path = (dir.empty() ? std::string(".") : dir) + "/" + entry.name;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) continue;  // vanished
    entry.isDirectory = S_ISDIR(st.st_mode);
    entry.size = entry.isDirectory ? 0 : static_cast<int64_t>(st.st_size);
    time_t t = st.st_mtime;
    struct tm lt;
    if (localtime_r(&t, &lt)) {
      entry.year = lt.tm_year + 1900;
      entry.month = lt.tm_mon + 1;
      entry.day = lt.tm_mday;
      entry.hour = lt.tm_hour;
      entry.minute = lt.tm_min;
    }
    out.push_back(std::move(entry));
  }
  closedir(d);
  return true;
}

std::string DriveLetters() { return ""; }
bool ChangeDrive(char) { return false; }

bool RemoveDirectoryPath(const std::string& path) { return !path.empty() && rmdir(path.c_str()) == 0; }

bool RenamePath(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return false;  // never replace an existing file
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform
