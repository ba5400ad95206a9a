// The file-system seam: the few path and file queries the program needs from the OS.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The separator the platform's paths use ('\\' on Windows, '/' elsewhere).
char PathSeparator();
// True for either separator the platform accepts.
bool IsPathSeparator(char c);

// The process's current directory, or "" when it cannot be read.
std::string CurrentDirectory();
// Changes the current directory; false when it does not exist or cannot be entered.
bool ChangeDirectory(const std::string& path);
// Full path of the running program file, or "" when unknown.
std::string ProgramPath();
// The program's directory with its trailing separator ("" when the program path is unknown or has none).
std::string ProgramDirectory();
// The Windows directory; elsewhere a per-user folder standing in for it. "" when none can be had.
std::string WindowsDirectory();
// The system's directory for temporary files, without a trailing separator.
std::string TempDirectory();

// True when a file or directory of this path exists.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// Size of a file in bytes, or -1 when it cannot be read.
int64_t FileSize(const std::string& path);
// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path);
// Creates one directory level; false when it could not be created.
bool MakeDirectory(const std::string& path);

// The current drive's longest file-name component, or 0 when it cannot be had.
int MaxFileNameLength();

// The whole contents of a file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& contents);
// A text's lines split at each '\n' (a '\r' before it stays); a last line without an end counts,
// an empty text has none.
std::vector<std::string> SplitLines(const std::string& text);
// A file's lines as SplitLines gives them; false when it cannot be opened.
bool ReadFileLines(const std::string& path, std::vector<std::string>& lines);

// Joins a directory and a name with exactly one separator between them.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace platform
