// The directory seam: enumerating a directory with sizes and local times, drives, and the few
// changes the file commands make (remove a directory, rename).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One directory entry with its last-write time already in local calendar time.
struct DirEntry {
  std::string name;
  bool isDirectory = false;
  int64_t size = 0;  // bytes, 64-bit (0 for directories)
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// Every entry of a directory ("." and ".." included where the system gives them), in the order
// the file system gives them. False (and `out` empty) when the directory cannot be read.
bool ScanDirectory(const std::string& dir, std::vector<DirEntry>& out);

// The drive letters of the system, lower case ("" on a system without drives).
std::string DriveLetters();
// Makes the drive current (its current directory); false on a system without drives or when
// the drive is not ready.
bool ChangeDrive(char letter);

// Removes an empty directory; false when it could not be removed.
bool RemoveDirectoryPath(const std::string& path);
// Renames a file or directory; false when it could not be renamed (an existing target is
// never replaced).
bool RenamePath(const std::string& from, const std::string& to);

}  // namespace platform
