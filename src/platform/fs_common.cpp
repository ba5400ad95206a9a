// Path helpers shared by both platform halves.
#include "platform/fs.h"

namespace platform {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (IsPathSeparator(dir.back())) return dir + name;
  return dir + PathSeparator() + name;
}

std::string ProgramDirectory() {
  std::string prog = ProgramPath();
  size_t cut = prog.size();
  while (cut > 0 && !IsPathSeparator(prog[cut - 1])) --cut;
  return prog.substr(0, cut);
}

}  // namespace platform
