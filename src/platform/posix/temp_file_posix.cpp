// POSIX half of the temporary-file seam.
#include "platform/temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/fs.h"

namespace platform {

std::string MakeTempFile(const std::string& prefix) {
  std::string pattern = JoinPath(TempDirectory(), prefix.substr(0, 3) + "XXXXXX");
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  int fd = mkstemp(buf.data());
  if (fd < 0) return "";
  close(fd);
  return std::string(buf.data());
}

}  // namespace platform
