// The transfer engine: one file up or down over a data connection.
#pragma once
#include <cstdint>
#include <string>

#include "platform/net.h"

namespace transfer {

using platform::Socket;

constexpr int kBlockBufferSize = 4096;  // the largest block SBP and RBP may ask for
constexpr int kModernBlockSize = 256 * 1024;  // bytes per system call of the data loops with MODERNFTP

// Uploads a local file with a store command ("STOR name"); the completion reply's class, or 0
// when the transfer did not start. `type` is 'A', 'I' or 'L'.
int SendFile(Socket ctrl, std::string command, const std::string& localPath, char type);
// Downloads with a retrieve or listing command into a local file; as SendFile. The data goes to
// a new file beside the target that replaces it only when the transfer succeeded (a device or a
// pipe is written directly). A transfer whose data failed returns 0 whatever the server replied.
// With MODERNFTP, a RETR asks SIZE first (when FEAT lists it) for the expected total, and with
// RESUME set a shorter local file is completed in binary type with REST, appending to it.
int ReceiveFile(Socket ctrl, std::string command, const std::string& localPath, char type);

// The data loops: 1 when all the data went through, 0 when they could not run or the data
// failed (broken connection, time-out, local read or write error, Cancel; see their log lines).
int SendFileData(Socket data, const std::string& path);
int ReceiveFileData(Socket data, const std::string& path);

// Puts a command's argument between single quotes, in place ("RETR x" -> "RETR 'x'").
void QuoteArgument(std::string& command);


}  // namespace transfer
