// Socket error texts from the program's string table (empty when the module has none).
#include <windows.h>

#include "core/app_state.h"
#include "ftp/socket_errors.h"

namespace ftp {

std::string LoadResourceString(int id) {
  char buf[126] = "";
  HINSTANCE inst = static_cast<HINSTANCE>(core::App().appInstance);
  if (!inst) inst = GetModuleHandleA(nullptr);
  int n = LoadStringA(inst, static_cast<UINT>(id), buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace ftp
