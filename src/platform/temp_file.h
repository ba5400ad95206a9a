// Temporary files: unused names in the system's temporary directory, made by the OS.
#pragma once
#include <string>

namespace platform {

// Creates a new empty file in TempDirectory() whose name begins with `prefix` (at most three
// characters are used) and returns its full path; the OS guarantees the name was unused.
// "" when no file could be created.
std::string MakeTempFile(const std::string& prefix);

}  // namespace platform
