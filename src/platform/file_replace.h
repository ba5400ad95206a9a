// Files replaced in one step: new contents are written beside the old file and moved over it,
// so a reader sees the old file or the new one and never a part; and a lock that serialises the
// programs that read, change and write back one file.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// What a file looks like now, to notice that it changed: kind, size, modification time, identity.
struct FileStamp {
  bool exists = false;
  bool regular = false;  // a regular file (not a directory, device or pipe)
  int64_t size = 0;
  int64_t modified = 0;  // modification time in the platform's finest unit
  uint64_t identity = 0; // device and file number where the platform has them
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && regular == o.regular && size == o.size && modified == o.modified &&
           identity == o.identity;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
FileStamp StampFile(const std::string& path);

// `path` with symbolic links resolved (the path itself when it is none or cannot be resolved).
std::string ResolveLinks(const std::string& path);

// Creates a new empty file in the directory of `path` (the current directory when it names
// none); its full path, or "" when none could be made.
std::string MakeTempFileBeside(const std::string& path);

// Moves the file `from` over `to` in one step. A replaced file keeps its permissions (on Windows
// its attributes); a new one gets the usual permissions of a new file. False when it failed
// (`from` is then left where it is).
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Writes `contents` to a temporary file beside `path`, flushes it to disk and moves it over
// `path` (ReplaceFileWith). False when anything failed; `path` is then unchanged.
bool WriteFileReplacing(const std::string& path, const std::string& contents);

// An exclusive lock shared by every process that writes the file `path` (the file itself is
// not locked, so it can be replaced while the lock is held). Waits until it is free.
class FileWriteLock {
 public:
  explicit FileWriteLock(const std::string& path);
  ~FileWriteLock();
  FileWriteLock(const FileWriteLock&) = delete;
  FileWriteLock& operator=(const FileWriteLock&) = delete;
  bool Held() const { return handle_ != -1; }

 private:
  intptr_t handle_ = -1;
};

}  // namespace platform
