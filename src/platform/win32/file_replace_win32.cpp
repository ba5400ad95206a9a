// Windows half of the file-replacement seam: a temporary file beside the target, ReplaceFile
// (which keeps the old file's attributes) or MoveFileEx for a new name; the write lock is a
// named mutex made from the file's full path.
#include "platform/file_replace.h"

#include <windows.h>

#include <cctype>

#include "platform/fs.h"

namespace platform {
namespace {

std::string DirectoryOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

}  // namespace

FileStamp StampFile(const std::string& path) {
  FileStamp s;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return s;
  s.exists = true;
  s.regular = !(d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
  s.size = (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  s.modified = (static_cast<int64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
  s.identity = (static_cast<uint64_t>(d.ftCreationTime.dwHighDateTime) << 32) | d.ftCreationTime.dwLowDateTime;
  return s;
}

std::string ResolveLinks(const std::string& path) { return path; }

std::string MakeTempFileBeside(const std::string& path) {
  char buf[MAX_PATH + 1];
  if (GetTempFileNameA(DirectoryOf(path).c_str(), "mvn", 0, buf) == 0) return "";
  return std::string(buf);
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WriteFileReplacing(const std::string& path, const std::string& contents) {
  std::string temp = MakeTempFileBeside(path);
  if (temp.empty()) return false;
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = h != INVALID_HANDLE_VALUE;
  size_t done = 0;
  while (ok && done < contents.size()) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(contents.size() - done > (1u << 30) ? (1u << 30) : contents.size() - done);
    if (!WriteFile(h, contents.data() + done, want, &n, nullptr) || n == 0) ok = false;
    else done += n;
  }
  if (ok && !FlushFileBuffers(h)) ok = false;
  if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) ok = false;
  if (ok) ok = ReplaceFileWith(temp, path);
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

FileWriteLock::FileWriteLock(const std::string& path) {
  char full[MAX_PATH + 1];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string key = (n > 0 && n <= MAX_PATH) ? std::string(full, n) : path;
  // A mutex name may not hold "\": the path is reduced to a hash of its upper-case form.
  uint64_t h = 1469598103934665603ull;
  for (char c : key) {
    h ^= static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c == '/' ? '\\' : c)));
    h *= 1099511628211ull;
  }
  char name[64];
  wsprintfA(name, "Local\\MIRVAN-settings-%08lx%08lx", static_cast<unsigned long>(h >> 32),
            static_cast<unsigned long>(h & 0xFFFFFFFFu));
  HANDLE m = CreateMutexA(nullptr, FALSE, name);
  if (!m) return;
  DWORD w = WaitForSingleObject(m, INFINITE);
  if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) {
    CloseHandle(m);
    return;
  }
  handle_ = reinterpret_cast<intptr_t>(m);
}

FileWriteLock::~FileWriteLock() {
  if (handle_ == -1) return;
  HANDLE m = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(m);
  CloseHandle(m);
}

}  // namespace platform
