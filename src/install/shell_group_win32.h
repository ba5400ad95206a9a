// The DDE conversation with the desktop shell that creates the program group.
#pragma once
#include <windows.h>

#include <string>

namespace install {

// Starts the DDE library as a client and asks the shell for the group. False only when the
// library cannot be started; what the shell answers is not examined.
bool ShellGroupBegin(const std::string& group);

// Adds one item to the group; an empty directory stands for the current directory.
void ShellGroupAddItem(const std::string& title, const std::string& directory, const std::string& file,
                       const std::string& arguments);

// Ends the DDE library's use.
void ShellGroupEnd();

}  // namespace install
