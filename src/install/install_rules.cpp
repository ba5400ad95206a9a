// The installer's window-free rules: copy list, source directory, program-group command texts.
#include "install/install_rules.h"

namespace install {

const char* const kCopyList[kCopyCount] = {"MIRVAN32.exe", "MIRVAN.hlp",  "whatsnew.txt", "complete.wav",
                                           "connect.wav",  "error.wav",   "mirvan.ext"};

std::string SourceFromModulePath(const std::string& modulePath) {
  std::string::size_type slash = modulePath.find_last_of("\\/");
  if (slash == std::string::npos) return "";
  return modulePath.substr(0, slash + 1);
}

std::string WithTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') return path;
  return path + "\\";
}

bool ParentDirectory(const std::string& path, std::string* parent) {
  std::string::size_type slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return false;
  *parent = path.substr(0, slash);
  return true;
}

std::string CreateGroupCommand(const std::string& group) { return "[CreateGroup(" + group + ")]"; }

std::string AddItemCommand(const std::string& title, const std::string& directory, const std::string& file,
                           const std::string& arguments, const std::string& currentDir) {
  std::string dir = WithTrailingBackslash(directory.empty() ? currentDir : directory);
  return "[AddItem(" + dir + file + " " + arguments + ",\"" + title + "\")]";
}

}  // namespace install
