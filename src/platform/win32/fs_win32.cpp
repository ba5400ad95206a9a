// Win32 half of the file-system seam (ANSI APIs).
#include "platform/fs.h"

#include <windows.h>

#include <mutex>
#include <vector>

namespace platform {

char PathSeparator() { return '\\'; }
bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string CurrentDirectory() {
  DWORD n = GetCurrentDirectoryA(0, nullptr);
  if (n == 0) return "";
  std::vector<char> buf(n + 1);
  DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
  if (got == 0 || got >= buf.size()) return "";
  return std::string(buf.data(), got);
}

bool ChangeDirectory(const std::string& path) { return !path.empty() && SetCurrentDirectoryA(path.c_str()); }

std::string ProgramPath() {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return std::string(buf.data(), n);
    if (buf.size() > 32768) return "";
    buf.resize(buf.size() * 2);
  }
}

std::string WindowsDirectory() {
  char buf[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  if (n == 0 || n > MAX_PATH) return "";
  return std::string(buf, n);
}

std::string TempDirectory() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n > MAX_PATH) return ".";
  std::string dir(buf, n);
  while (dir.size() > 3 && IsPathSeparator(dir.back())) dir.pop_back();
  return dir;
}

bool PathExists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
  DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }
bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

int MaxFileNameLength() {
  // Asking the volume is slow (it opens the device), and a batch asks once per file: the answer
  // is kept for as long as the current directory stays the same.
  static std::mutex mutex;
  static std::string askedIn;
  static int answer = 0;
  std::string here = CurrentDirectory();
  std::lock_guard<std::mutex> lock(mutex);
  if (!here.empty() && here == askedIn) return answer;
  DWORD maxComponent = 0, flags = 0;
  int found = GetVolumeInformationA(nullptr, nullptr, 0, nullptr, &maxComponent, &flags, nullptr, 0)
                  ? static_cast<int>(maxComponent)
                  : 0;
  askedIn = found > 0 ? here : std::string();  // a failure is asked again
  answer = found;
  return found;
}

}  // namespace platform
