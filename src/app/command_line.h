// Command-line transfers: one file received from or sent to a host named on the command line
// (host:path, profile:path or an ftp:// address), or a remote directory left open and shown.
#pragma once
#include <functional>
#include <string>

namespace app {

constexpr const char* kCommandLineSyntax =
    "Syntax: MIRVAN host:full_path [local:full_path] [-ascii]\n"
    "        MIRVAN local:full_path host:full_path [-ascii]";
constexpr int kAskHelpContext = 145;

// What a command line asks for once its options are taken out and its address is read.
struct CommandLineRequest {
  bool valid = false;      // the host part held a ":" (else the syntax message is due)
  bool quiet = false;      // "-quiet": no message box at the end
  bool ascii = false;      // "-ascii": MODE "A" instead of "I"
  bool resume = false;     // "-resume": a shorter local file is completed (binary downloads)
  bool send = false;       // "local:" came first
  bool hasLocal = false;   // a "local:" path was given
  std::string localPath;
  std::string hostName;    // a profile name or a host
  std::string remotePath;
  // From an ftp:// address only: the user, the password and the port it names.
  bool hasUser = false, hasPassword = false;
  std::string user, password;
  int port = 0;            // 0: none given
};

// Takes the words "-quiet", "-ascii" and "-resume" out of the text and reads the transfer it names. Surrounding
// blanks of the host part and of the local path are not part of them.
CommandLineRequest ParseCommandLine(std::string text);

// Reads a host part ("host:path", "//host/path", "file://host/path" or
// "ftp://[user[:password]@]host[:port]/path", percent-decoded; an IPv6 host written in
// brackets, "[::1]:path" or "ftp://[::1]:2121/path") into the request's host name,
// remote path and address details; false when it names no remote path.
bool ParseHostPart(const std::string& hostPart, CommandLineRequest& request);

// Replaces each valid "%XX" escape by its byte; invalid escapes and "%00" stay as they are.
std::string PercentDecode(const std::string& text);


// Runs the command-line transfer in `text` (what is left after -i and -p): 1 after a
// successful transfer, 2 when the remote path is a directory and the session stays open
// showing it, 0 otherwise (failure, cancelled prompt, syntax error). Failures are logged,
// sounded and, unless "-quiet", shown in a message box. In the directory case
// `listingReceived` (when given) tells whether its listing came (else the reason is logged).
int RunCommandLine(std::string text, bool* listingReceived = nullptr);

}  // namespace app
