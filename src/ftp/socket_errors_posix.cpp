// The console has no resources: socket error texts come from the built-in copies.
#include "ftp/socket_errors.h"

namespace ftp {
std::string LoadResourceString(int) { return std::string(); }
}  // namespace ftp
