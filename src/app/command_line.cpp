// Command-line transfers: reading the command line, choosing the profile or host, logging in
// once and moving one file (or leaving a remote directory open).
#include "app/command_line.h"

#include <cctype>
#include <cstdio>

#include "core/app_state.h"
#include "core/ini.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "ftp/login.h"
#include "listing/dir_list.h"
#include "ftp/host_type_codes.h"
#include "profiles/profile_store.h"
#include "profiles/session_profile.h"
#include "transfer/engine.h"
#include "transfer/rules.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace app {
using namespace transfer;
using namespace core;
namespace {

constexpr const char* kHostSection = "MIRVAN";
constexpr size_t kInitCommandMax = 119;


std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "1".."65535" to the number; 0 for anything else.
int ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return 0;
  int port = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

// The authority and path of an ftp:// address (the text after the prefix, which holds a "/").
bool ParseFtpAddress(const std::string& rest, CommandLineRequest& r) {
  size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  std::string hostPort = authority;
  size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    std::string userInfo = authority.substr(0, at);
    hostPort = authority.substr(at + 1);
    size_t colon = userInfo.find(':');
    r.hasUser = true;
    r.user = PercentDecode(userInfo.substr(0, colon));
    if (colon != std::string::npos) {
      r.hasPassword = true;
      r.password = PercentDecode(userInfo.substr(colon + 1));
    }
  }
  // "[address]" or "[address]:port": the brackets hold the colons of an IPv6 address.
  size_t close = hostPort.size() > 1 && hostPort[0] == '[' ? hostPort.find(']') : std::string::npos;
  size_t colon = close != std::string::npos ? hostPort.find(':', close) : hostPort.rfind(':');
  if (close != std::string::npos && close + 1 != hostPort.size() && colon != close + 1) return false;
  if (colon != std::string::npos) {
    std::string portText = hostPort.substr(colon + 1);
    hostPort.erase(colon);
    if (!portText.empty()) {
      r.port = ParsePort(portText);
      if (r.port == 0) return false;
    }
  }
  if (close != std::string::npos) hostPort = hostPort.substr(1, close - 1);
  r.hostName = PercentDecode(hostPort);
  r.remotePath = PercentDecode(rest.substr(slash + 1));
  return true;
}

std::string RemoteFileName(const std::string& remotePath) {
  size_t slash = remotePath.rfind('/');
  return slash == std::string::npos ? remotePath : remotePath.substr(slash + 1);
}

// The session as a command-line run starts it.
void SetUpSession() {
  core::ProgramSettings& s = core::Settings();
  s.hash = 1;
  s.verbose = 0;
  s.stou = 0;
  s.recu = 0;
  profiles::SessionProfile& p = profiles::CurrentProfile();
  p.user.clear();
  p.password.clear();
  p.account.clear();
  p.initCommand.clear();
  p.port = 21;
  p.useFirewall = 0;
  profiles::Firewall() = profiles::FirewallLogin();
  core::App().commandLineMode = 1;
}

// Fills the current profile from the section named like the host, or takes the host itself.
void ChooseProfileOrHost(const CommandLineRequest& r) {
  namespace ini = core::ini;
  const std::string& file = core::Files().settingsFile;
  profiles::SessionProfile& p = profiles::CurrentProfile();
  std::string host = r.hostName.empty() ? std::string() : ini::ReadString(file, r.hostName, "HOST", "");
  if (!host.empty()) {
    p.host = host;
    p.user = ini::ReadString(file, r.hostName, "UID", "");
    p.password = ini::ReadString(file, r.hostName, "PWD", "");
    p.account = ini::ReadString(file, r.hostName, "ACT", "");
    p.useFirewall = ini::ReadInt(file, r.hostName, "FIREWALL", 0) == 1 ? 1 : 0;
    p.port = ini::ReadInt(file, r.hostName, "PORT", 21);
    p.initCommand = ini::ReadString(file, r.hostName, "INITCMD", "", kInitCommandMax);
    if (ini::HasKey(file, r.hostName, "LOCDIR")) {
      std::string dir = ini::ReadString(file, r.hostName, "LOCDIR", "");
      if (!ftp::SetLocalDir(dir)) core::LogMessage("cannot change local directory to %s", dir.c_str());
    }
  } else {
    p.host = r.hostName;
    p.useFirewall = ini::ReadInt(file, kHostSection, "FIREWALL", 0) == 1 ? 1 : 0;
  }
  // An ftp:// address's own user, password and port come before the profile's.
  if (r.hasUser) {
    p.user = r.user;
    p.password.clear();
  }
  if (r.port != 0) p.port = r.port;
  if (p.user.empty()) {
    p.user = "anonymous";
  } else if (!p.password.empty()) {
    p.password = profiles::UnscramblePassword(p.user, p.password);
  }
  if (p.user == "anonymous") p.password = core::Settings().mailAddr;
  if (r.hasPassword) p.password = r.password;
}

// The end of every run but the directory case: the window comes up and the message is shown.
int Finish(const CommandLineRequest& r, const std::string& message) {
  ui::Front().ShowMainWindow();
  if (!r.quiet) ui::ShowMessageBox(message, core::kProgramCaption, ui::kMbOk);
  return 0;
}

}  // namespace

std::string PercentDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      char c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      if (c != '\0') {
        out += c;
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool ParseHostPart(const std::string& hostPart, CommandLineRequest& r) {
  std::string text = hostPart;
  if (StartsWith(text, "ftp://")) {
    std::string rest = text.substr(6);
    // With a path the address is read as a whole; without one it keeps the plain rule below.
    if (rest.find('/') != std::string::npos) return ParseFtpAddress(rest, r);
    text = rest;
  } else if (StartsWith(text, "file://")) {
    text.erase(0, 7);
    size_t slash = text.find('/');
    if (slash != std::string::npos) text[slash] = ':';
  }
  if (StartsWith(text, "//")) {
    text.erase(0, 2);
    if (text.find(':') == std::string::npos) {
      size_t slash = text.find('/');
      if (slash != std::string::npos) text[slash] = ':';
    }
  }
  if (text.size() > 1 && text[0] == '[') {
    size_t close = text.find(']');
    if (close != std::string::npos && close + 1 < text.size() && text[close + 1] == ':') {
      r.hostName = text.substr(1, close - 1);
      r.remotePath = text.substr(close + 2);
      return true;
    }
  }
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  r.hostName = text.substr(0, colon);
  r.remotePath = text.substr(colon + 1);
  return true;
}

namespace {

// Where `word` stands as a word of its own (blanks or the ends of the text around it), or npos:
// "-ascii" inside a name such as my-ascii-notes.txt is part of the name.
size_t FindWord(const std::string& text, const std::string& word) {
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    size_t after = at + word.size();
    if ((at == 0 || text[at - 1] == ' ') && (after == text.size() || text[after] == ' ')) return at;
  }
  return std::string::npos;
}

}  // namespace

CommandLineRequest ParseCommandLine(std::string text) {
  CommandLineRequest r;
  size_t quiet = FindWord(text, "-quiet");
  if (quiet != std::string::npos) {
    r.quiet = true;
    text.erase(quiet, quiet + 6 < text.size() && text[quiet + 6] == ' ' ? 7 : 6);
  }
  size_t ascii = FindWord(text, "-ascii");
  if (ascii != std::string::npos) {
    r.ascii = true;
    text.erase(ascii, 7);
  }
  size_t resume = FindWord(text, "-resume");
  if (resume != std::string::npos) {
    r.resume = true;
    text.erase(resume, 8);
  }
  for (char& c : text)
    if (c == '\\') c = '/';

  std::string hostPart;
  size_t local = text.find("local:");
  if (local == 0) {
    r.send = true;
    r.hasLocal = true;
    size_t wordEnd = text.find(' ');
    if (wordEnd == std::string::npos) wordEnd = text.size();
    r.localPath = text.substr(6, wordEnd - 6);
    hostPart = text.substr(wordEnd);
  } else if (local != std::string::npos) {
    r.hasLocal = true;
    hostPart = text.substr(0, local);
    r.localPath = Trim(text.substr(local + 6));
  } else {
    hostPart = text;
  }
  r.valid = ParseHostPart(Trim(hostPart), r);
  return r;
}


int RunCommandLine(std::string text, bool* listingReceived) {
  // 1. The session for the run.
  SetUpSession();
  // 2. The whole command line asked for.
  if (text.size() >= 4 && EqualNoCase(text.substr(0, 4), "-ask")) {
    core::Prompts().currentHelpContext = kAskHelpContext;
    std::string typed;
    if (!core::GetInputString(&typed, "Enter command line:")) return 0;
    text = typed;
  }
  // 3.-7. Options, local part, address.
  CommandLineRequest r = ParseCommandLine(text);
  core::Settings().mode = r.ascii ? 'A' : 'I';
  if (r.resume) core::Settings().resume = 1;
  if (!r.valid) return Finish(r, kCommandLineSyntax);

  // 8. Profile or host.
  ChooseProfileOrHost(r);
  profiles::SessionProfile& p = profiles::CurrentProfile();

  // 9. The local name.
  std::string localName = r.localPath;
  if (!r.hasLocal) {
    SetNameRulesHostType(p.hostType);
    if (!LocalFileName(localName, RemoteFileName(r.remotePath))) {
      PlaySoundEvent(kSoundError);
      char msg[600];
      std::snprintf(msg, sizeof msg, "No local name is left for %s\nTransfer failed for %s from %s",
                    RemoteFileName(r.remotePath).c_str(), r.remotePath.c_str(), r.hostName.c_str());
      return Finish(r, msg);
    }
  }

  // 10. What is about to happen.
  if (r.send) core::LogMessage("sending %s to %s as %s", localName.c_str(), r.hostName.c_str(), r.remotePath.c_str());
  else core::LogMessage("receiving %s from %s as %s", r.remotePath.c_str(), r.hostName.c_str(), localName.c_str());

  // 11. One login.
  ftp::ConnectionState& conn = ftp::Conn();
  conn.replyLine.clear();
  ftp::Socket s = ftp::Login(p);
  conn.ctrl_skt = s;
  if (s == ftp::kNoSocket) {
    std::string message = conn.replyLine + "Connect failed to " + r.hostName;
    PlaySoundEvent(kSoundError);
    return Finish(r, message);
  }

  // 12. The transfer, or the directory.
  char type = static_cast<char>(core::Settings().mode);
  int cls;
  if (r.send) {
    cls = SendFile(s, "STOR " + r.remotePath, localName, type);
  } else {
    if (p.hostType != ftp::kHostBullCp6 && ftp::SendFtpCommand(s, "CWD %s", r.remotePath.c_str()) == 2) {
      // A fresh connection's cache is empty: the cached form lists it, without a second PWD.
      bool listed = listing::DoDirList(0) == 1;
      if (!listed) {
        std::string reason = conn.replyLine.empty() ? std::string() : " (" + conn.replyLine + ")";
        core::LogMessage("No listing of %s received from %s%s", r.remotePath.c_str(), r.hostName.c_str(), reason.c_str());
      }
      if (listingReceived) *listingReceived = listed;
      ftp::UpdateRemoteButtons();
      ui::Front().TransferTypeChanged();
      ui::Front().ShowMainWindow();
      return 2;
    }
    cls = ReceiveFile(s, "RETR " + r.remotePath, localName, type);
  }

  // 13. The outcome.
  if (cls == 2) LogTransfer(r.send ? 1 : 2, localName, r.hostName, "", r.remotePath);
  conn.ctrl_skt = ftp::CancelAndCloseSocket(conn.ctrl_skt.load());
  if (conn.ctrl_skt.load() == ftp::kNoSocket) conn.connected = 0;
  if (cls == 2) {
    PlaySoundEvent(kSoundComplete);
    return 1;
  }
  std::string message = conn.replyLine + "\nTransfer failed for " + r.remotePath + " from " + r.hostName;
  PlaySoundEvent(kSoundError);
  // 14.
  return Finish(r, message);
}

}  // namespace app
