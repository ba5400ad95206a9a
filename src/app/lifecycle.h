// Start-up and shutdown shared by both front ends (the window and the console program).
#pragma once
#include <string>

namespace app {

// Reads every setting and the start-up profile for the command line `line` (options -i and -p
// at its front) and keeps the remaining arguments in the command-line buffer.
void ReadStartupState(const std::string& line);

// Ends the session: closes both data connections, sends QUIT on a control connection still
// open and closes it, and empties the listing cache (deleting its files).
void EndSession();

}  // namespace app
