// Win32 half of the shell seam.
#include "platform/shell.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace platform {

bool StartProgram(const std::string& commandLine) {
  if (commandLine.empty()) return false;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool PlayWaveFile(const std::string& path) {
  return !path.empty() && PlaySoundA(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void SystemBeep(unsigned type) { MessageBeep(type); }

}  // namespace platform
