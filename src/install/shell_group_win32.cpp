// The program group: execute commands sent to the desktop shell's "PROGMAN" DDE service.
#include "install/shell_group_win32.h"

#include <ddeml.h>

#include "install/install_rules.h"

namespace install {

namespace {

DWORD ddeInstance = 0;

HDDEDATA CALLBACK ClientOnlyCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// One conversation per command: connect to PROGMAN, execute, disconnect.
void SendShellCommand(const std::string& command) {
  HSZ service = DdeCreateStringHandleA(ddeInstance, "PROGMAN", CP_WINANSI);
  if (!service) return;
  HCONV conv = DdeConnect(ddeInstance, service, service, nullptr);
  if (conv) {
    DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
                         static_cast<DWORD>(command.size() + 1), conv, nullptr, CF_TEXT, XTYP_EXECUTE, 1000, nullptr);
    DdeDisconnect(conv);
  }
  DdeFreeStringHandle(ddeInstance, service);
}

}  // namespace

bool ShellGroupBegin(const std::string& group) {
  ddeInstance = 0;
  if (DdeInitializeA(&ddeInstance, ClientOnlyCallback, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    ddeInstance = 0;
    return false;
  }
  SendShellCommand(CreateGroupCommand(group));
  return true;
}

void ShellGroupAddItem(const std::string& title, const std::string& directory, const std::string& file,
                       const std::string& arguments) {
  char current[MAX_PATH + 1] = "";
  if (directory.empty()) GetCurrentDirectoryA(sizeof current, current);
  SendShellCommand(AddItemCommand(title, directory, file, arguments, current));
}

void ShellGroupEnd() {
  if (ddeInstance) DdeUninitialize(ddeInstance);
  ddeInstance = 0;
}

}  // namespace install
