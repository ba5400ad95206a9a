// The text of WinSock error codes, and the log line of a failed socket call.
#pragma once
#include <string>

namespace ftp {

// The text of an error code ("error %u" for codes without one). With `out`, also copied there.
std::string SocketErrorText(int error, std::string* out = nullptr);
// Logs "%s: %s" (operation, text), or the text alone without an operation.
void LogSocketError(const char* operation, int error);

// The string-table id (1-27) of a code, or 0 when it has none.
int SocketErrorStringId(int error);
// The built-in text of a string-table id ("" when the id is unknown).
const char* SocketErrorBuiltinText(int id);
// Loads a string-table text from the program's resources; "" when unavailable.
std::string LoadResourceString(int id);

}  // namespace ftp
