// Win32 half of the directory seam (ANSI APIs).
#include "platform/dir_scan.h"

#include <windows.h>

namespace platform {

bool ScanDirectory(const std::string& dir, std::vector<DirEntry>& out) {
  out.clear();
  std::string pattern = dir.empty() ? std::string("*.*") : dir;
  if (!dir.empty()) {
    if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += "*.*";
  }
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    DirEntry e;
    e.name = fd.cFileName;
    e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.size = e.isDirectory ? 0 : static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st)) {
      e.year = st.wYear;
      e.month = st.wMonth;
      e.day = st.wDay;
      e.hour = st.wHour;
      e.minute = st.wMinute;
    }
    out.push_back(std::move(e));
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return true;
}

std::string DriveLetters() {
  std::string letters;
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) letters += static_cast<char>('a' + i);
  return letters;
}

bool ChangeDrive(char letter) {
  if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return false;
  char root[3] = {letter, ':', '\0'};
  return SetCurrentDirectoryA(root) != 0;
}

bool RemoveDirectoryPath(const std::string& path) { return !path.empty() && RemoveDirectoryA(path.c_str()) != 0; }

bool RenamePath(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && MoveFileA(from.c_str(), to.c_str()) != 0;
}

}  // namespace platform
