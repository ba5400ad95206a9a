// Windows half of the temporary-file seam.
#include "platform/temp_file.h"

#include <windows.h>

#include "platform/fs.h"

namespace platform {

std::string MakeTempFile(const std::string& prefix) {
  char buf[MAX_PATH + 1];
  std::string dir = TempDirectory();
  if (GetTempFileNameA(dir.c_str(), prefix.substr(0, 3).c_str(), 0, buf) == 0) return "";
  return std::string(buf);
}

}  // namespace platform
