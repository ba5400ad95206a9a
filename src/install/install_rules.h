// The installer's rules that need no window: the copy list, where the distribution is found,
// and the texts of the program-group commands sent to the desktop shell.
#pragma once
#include <string>

namespace install {

// The files copied from the distribution directory, in the order they are copied.
// The settings file is handled on its own (kSettingsFile).
constexpr int kCopyCount = 7;
extern const char* const kCopyList[kCopyCount];
constexpr const char* kClientFile = "MIRVAN32.exe";
constexpr const char* kSettingsFile = "MIRVAN.ini";
constexpr const char* kDefaultDestination = "C:\\MIRVAN";

// The directory part of the installer's own module path, with its trailing separator
// ("C:\DIST\INSTALL.EXE" -> "C:\DIST\"); "" when the path has no separator.
std::string SourceFromModulePath(const std::string& modulePath);

// The path with one backslash appended unless it is empty or already ends in "\" or "/".
std::string WithTrailingBackslash(const std::string& path);

// The parent of a path for creating directories level by level: everything before the
// last separator (backslash or "/"), or false when the path holds none.
bool ParentDirectory(const std::string& path, std::string* parent);

// "[CreateGroup(<group>)]".
std::string CreateGroupCommand(const std::string& group);

// "[AddItem(<dir><file> <arguments>,"<title>")]"; the directory gets a separator before the
// file name unless it already ends in one. An empty directory stands for `currentDir`.
std::string AddItemCommand(const std::string& title, const std::string& directory, const std::string& file,
                           const std::string& arguments, const std::string& currentDir);

}  // namespace install
