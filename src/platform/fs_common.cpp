// Path helpers shared by both platform halves.
#include "platform/fs.h"

namespace platform {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (IsPathSeparator(dir.back())) return dir + name;
  return dir + PathSeparator() + name;
}

}  // namespace platform
