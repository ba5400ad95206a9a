// POSIX half of the shell seam.
#include "platform/shell.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace platform {

bool StartProgram(const std::string& commandLine) {
  if (commandLine.empty()) return false;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Detach from our process group so the started program outlives a console interrupt.
    setsid();
    execl("/bin/sh", "sh", "-c", commandLine.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return true;
}

bool PlayWaveFile(const std::string&) { return false; }  // the console has no wave player

void SystemBeep(unsigned) {
  if (isatty(2)) std::fputc('\a', stderr);
}

}  // namespace platform
