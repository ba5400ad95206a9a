// The FTP command layer: one command out, its reply's class back, with the log echo and the
// fall-backs older servers need (RFC 775 X-commands, CDUP, the bracketed VMS directory form).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ftp/control.h"
#include "platform/net.h"

namespace ftp {

using platform::Socket;

// Longest command line sent (before the CR LF).
constexpr size_t kCommandMax = 291;

// Sends one command and reads its reply: the reply class 1-5, or 0 when nothing was sent or
// read. "PASS " and "ACCT " commands are logged as "PASS xxxxxx" / "ACCT xxxxxx". A command
// holding CR, LF or NUL, or longer than kCommandMax, is refused (logged, 0).
int SendFtpCommand(Socket s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// The same with the text sent unchanged (never read as a format).
int SendFtpCommandText(Socket s, const std::string& text);

// Each returns the class of the last reply read (LastReplyCode / 100).
int ChangeRemoteDir(Socket s, const std::string& name);  // 2 for an empty name, nothing sent
int PrintRemoteDir(Socket s);
int EnterPassiveMode(Socket s);  // the PASV reply stays in replyLine
int MakeRemoteDir(Socket s, const std::string& name);
int RemoveRemoteDir(Socket s, const std::string& name);
int DeleteRemoteFile(Socket s, const std::string& name);

// FEAT, read into Conn().features (a server answering 500/502 offers none), then
// "OPTS UTF8 ON" when UTF8 is listed. The FEAT reply's class.
int QueryFeatures(Socket s);
// Reads the feature lines of a FEAT reply (each line as the reader returned it).
void ParseFeatureLines(const std::vector<std::string>& lines, ServerFeatures& out);

// The size in a SIZE reply ("213 <decimal>"); false (with nothing set) for any other text,
// or a size beyond 2^63 - 1.
bool ParseSizeReply(const std::string& line, int64_t& size);

}  // namespace ftp
