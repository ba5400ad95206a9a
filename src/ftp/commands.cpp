// The command layer over the control connection.
#include "ftp/commands.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "core/message_log.h"
#include "core/prompts.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "profiles/session_profile.h"

namespace ftp {
namespace {

// The echo of a command: secrets are never written to the log.
std::string Echo(const std::string& command) {
  if (command.compare(0, 5, "PASS ") == 0) return "PASS xxxxxx";
  if (command.compare(0, 5, "ACCT ") == 0) return "ACCT xxxxxx";
  return command;
}

// True when the command ends before its trailing blanks without a CR, LF or NUL inside.
bool SingleLine(const std::string& command) {
  size_t end = command.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return true;
  return command.find_first_of(std::string("\r\n\0", 3)) > end;
}

int Send(Socket s, const std::string& command) {
  ConnectionState& c = Conn();
  c.lastReplyCode = 0;
  if (!SingleLine(command)) {
    core::LogLine("Command not sent: it holds a line break or NUL character");
    return 0;
  }
  if (command.size() > kCommandMax) {
    core::LogMessage("Command not sent: longer than %u characters", static_cast<unsigned>(kCommandMax));
    return 0;
  }
  core::LogLine(Echo(command));
  if (s == kNoSocket) {
    core::LogLine("Not connected");
    return 0;
  }
  if (SendCommandLine(s, command) == -1) return 0;
  return GetReply(s);
}

int LastClass() { return Conn().lastReplyCode / 100; }

// The RFC 959 command, then on exactly 500 its RFC 775 twin.
int WithFallback(Socket s, const std::string& first, const std::string& fallback) {
  int cls = SendFtpCommandText(s, first);
  if (cls == 5 && Conn().lastReplyCode == 500) SendFtpCommandText(s, fallback);
  return LastClass();
}

}  // namespace

int SendFtpCommand(Socket s, const char* format, ...) {
  char buf[kCommandMax + 2];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) {
    Conn().lastReplyCode = 0;
    return 0;
  }
  if (static_cast<size_t>(n) >= sizeof buf) {
    // Too long for the line: the caller's text would be cut, so nothing is sent.
    Conn().lastReplyCode = 0;
    core::LogMessage("Command not sent: longer than %u characters", static_cast<unsigned>(kCommandMax));
    return 0;
  }
  return Send(s, std::string(buf, static_cast<size_t>(n)));
}

int SendFtpCommandText(Socket s, const std::string& text) { return Send(s, text); }

int ChangeRemoteDir(Socket s, const std::string& name) {
  if (name.empty()) return 2;
  if (ftp::Host().useCdup && name == "..") {
    if (SendFtpCommandText(s, "CDUP") == 2) return 2;
  } else if (profiles::CurrentProfile().hostType == ftp::kHostVmsUcx && name[0] != '[') {
    int cls = SendFtpCommandText(s, "CWD [." + name + "]");
    if (cls != 5) return cls;
  }
  int cls = SendFtpCommandText(s, "CWD " + name);
  if (cls == 5 && Conn().lastReplyCode == 500) cls = SendFtpCommandText(s, "XCWD " + name);
  if (cls == 3) {
    // The server wants an account (or a password) for this directory.
    std::string& account = profiles::CurrentProfile().account;
    for (;;) {
      core::Prompts().currentHelpContext = 80;
      if (!core::GetInputPassword(account, "Password required:") || !account.empty()) break;
    }
    core::Prompts().inputBuffer.clear();
    if (!account.empty()) SendFtpCommandText(s, "ACCT " + account);
  }
  return LastClass();
}

int PrintRemoteDir(Socket s) { return WithFallback(s, "PWD", "XPWD"); }
int EnterPassiveMode(Socket s) { return WithFallback(s, "PASV", "XPSV"); }
int MakeRemoteDir(Socket s, const std::string& name) { return WithFallback(s, "MKD " + name, "XMKD " + name); }
int RemoveRemoteDir(Socket s, const std::string& name) { return WithFallback(s, "RMD " + name, "XRMD " + name); }

int DeleteRemoteFile(Socket s, const std::string& name) {
  SendFtpCommandText(s, "DELE " + name);
  return LastClass();
}

namespace {

bool StartsWithWord(const std::string& text, const char* word) {
  size_t i = 0;
  for (; word[i]; ++i)
    if (i >= text.size() || std::toupper(static_cast<unsigned char>(text[i])) != word[i]) return false;
  return i == text.size() || text[i] == ' ';
}

}  // namespace

void ParseFeatureLines(const std::vector<std::string>& lines, ServerFeatures& out) {
  out = ServerFeatures();
  for (const std::string& line : lines) {
    // Feature lines start with a blank; the first and last lines carry the code.
    if (line.empty() || line[0] != ' ') continue;
    std::string f = line.substr(line.find_first_not_of(' '));
    if (StartsWithWord(f, "UTF8")) out.utf8 = true;
    else if (StartsWithWord(f, "MLST")) out.mlst = true;
    else if (StartsWithWord(f, "SIZE")) out.size = true;
    else if (StartsWithWord(f, "REST")) out.rest = true;
    else if (StartsWithWord(f, "EPSV")) out.epsv = true;
    else if (StartsWithWord(f, "EPRT")) out.eprt = true;
  }
}

int QueryFeatures(Socket s) {
  ConnectionState& c = Conn();
  c.features = ServerFeatures();
  c.utf8Names = false;
  int cls = SendFtpCommandText(s, "FEAT");
  if (cls != 2) return cls;
  ParseFeatureLines(c.replyLines, c.features);
  c.features.listed = true;
  if (c.features.utf8) c.utf8Names = SendFtpCommandText(s, "OPTS UTF8 ON") == 2;
  return cls;
}

bool ParseSizeReply(const std::string& line, int64_t& size) {
  if (line.compare(0, 4, "213 ") != 0) return false;
  size_t i = 4;
  while (i < line.size() && line[i] == ' ') ++i;
  size_t digits = i;
  uint64_t v = 0;
  for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
    unsigned d = static_cast<unsigned>(line[i] - '0');
    if (v > (static_cast<uint64_t>(INT64_MAX) - d) / 10) return false;
    v = v * 10 + d;
  }
  if (i == digits || line.find_first_not_of(' ', i) != std::string::npos) return false;
  size = static_cast<int64_t>(v);
  return true;
}

}  // namespace ftp
