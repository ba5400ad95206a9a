// The shell seam: starting programs, sounds, and the message box.
#pragma once
#include <string>

namespace platform {

// Starts a program from a command line without waiting for it; false when it could not start.
bool StartProgram(const std::string& commandLine);
// Plays a wave file asynchronously; false when it could not be played.
bool PlayWaveFile(const std::string& path);
// The system beep of a message-box type (0 ok, 0x30 exclamation, 0x40 asterisk...); a bell on the console.
void SystemBeep(unsigned type);

}  // namespace platform
