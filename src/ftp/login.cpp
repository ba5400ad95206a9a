// Login and firewall traversal.
#include "ftp/login.h"

#include <optional>

#include <cstring>

#include "core/ini.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/socket_errors.h"
#include "ftp/host_types.h"
#include "platform/fs.h"
#include "profiles/profile_store.h"
#include "ui/front_end.h"

namespace ftp {
namespace {

using core::LogLine;
using core::LogMessage;

// Asks while `field` is empty; stops on Cancel. Clears the shared input buffer afterwards so
// a typed secret does not stay there.
void PromptWhileEmpty(std::string& field, bool password, int helpContext, const char* text) {
  while (field.empty()) {
    core::Prompts().currentHelpContext = helpContext;
    int ok = password ? core::GetInputPassword(field, "%s", text) : core::GetInputString(&field, "%s", text);
    if (!ok) break;
  }
  core::Prompts().currentHelpContext = 0;
  core::Prompts().inputBuffer.clear();
}

Socket Fail(Socket s, const char* line) {
  LogLine(line);
  Conn().connected = 0;
  CancelAndCloseSocket(s);
  return kNoSocket;
}

// Reads the firewall login of section "FIREWALL" into the shared record; returns its port
// and kind. A password typed earlier is kept while the file stores none.
void ReadFirewall(int& port, int& fireType) {
  const std::string& file = core::Files().settingsFile;
  profiles::FirewallLogin& fw = profiles::Firewall();
  fw.host = core::ini::ReadString(file, kFirewallSection, "HOST", "", 79);
  fw.user = core::ini::ReadString(file, kFirewallSection, "UID", "", 79);
  std::string stored = core::ini::ReadString(file, kFirewallSection, "PWD", "");
  if (!stored.empty()) fw.password = profiles::UnscramblePassword(fw.user, stored);
  port = core::ini::ReadInt(file, kFirewallSection, "PORT", 21);
  fireType = core::ini::ReadInt(file, kFirewallSection, "FIRETYPE", 1);
}

}  // namespace

Socket Login(profiles::SessionProfile& profile) {
  ConnectionState& c = Conn();
  if (c.connected) {
    LogLine("Already connected!");
    return kNoSocket;
  }
  // The greeting counts as an operation in progress until it has been read.
  std::optional<DepthScope> greeting(std::in_place);
  c.abortFlag = 0;
  c.batchCancel = 0;
  c.ResetFeatures();

  const bool firewall = profile.useFirewall != 0;
  int fireType = 1;
  std::string target = profile.host;
  int port = profile.port;
  if (firewall) {
    ReadFirewall(port, fireType);
    profile.port = port;
    target = profiles::Firewall().host;
  }
  const bool detectGreeting = !firewall;

  Socket s = ConnectHost(target, port, "tcp");
  if (s == kNoSocket) {
    LogMessage("Connection to %s failed", target.c_str());
    return kNoSocket;
  }
  c.serverTransferType = 'A';

  platform::NetAddress local;
  if (!platform::LocalAddress(s, local)) {
    LogSocketError("getsockname", platform::LastSocketError());
    c.connected = 0;
    CancelAndCloseSocket(s);
    return kNoSocket;
  }
  c.localControlAddress = local;
  LogMessage("[%u] from %s port %u", static_cast<unsigned>(s), platform::AddressText(local).c_str(),
             static_cast<unsigned>(local.port));

  // The greeting, every line offered to host-type detection.
  c.detectHostFromReplies = 1;
  int cls;
  {
    ReplyWaitScope greetingWait;  // preliminary replies without end do not keep the wait going
    for (;;) {
      cls = GetReply(s);
      if (cls != 1 || c.abortFlag) break;
      if (detectGreeting && profile.hostType == ftp::kHostAutomatic) ftp::DetectHostTypeFromGreeting(c.replyLine);
    }
  }
  c.detectHostFromReplies = 0;
  if (cls == 4) {
    LogLine("connection failed");
    CancelAndCloseSocket(s);
    return kNoSocket;
  }
  if (cls != 2) {
    LogMessage("unk open msg \"%s\" %u", c.replyLine.c_str(), static_cast<unsigned>(c.lastReplyCode.load()));
    CancelAndCloseSocket(s);
    return kNoSocket;
  }
  if (detectGreeting && profile.hostType == ftp::kHostAutomatic) ftp::DetectHostTypeFromGreeting(c.replyLine);
  if (platform::SetOobInline(s) != 0) LogSocketError("setsockopt", platform::LastSocketError());
  greeting.reset();

  profiles::FirewallLogin& fw = profiles::Firewall();
  const char* kFirewallFailure = "Firewall logon failure, so quitting";
  const char* kDestinationFailure = "Connect to final destination failed, so quitting";
  bool normalLogin = true;   // step 10 from its start
  bool passwordStep = false; // step 10 from its password (10b)
  bool judge = false;        // straight to the final judgement with cls

  if (firewall) {
    switch (fireType) {
      case 4: {
        cls = SendFtpCommand(s, "USER %s@%s %s", profile.user.c_str(), profile.host.c_str(), fw.user.c_str());
        if (cls != 3) return Fail(s, kFirewallFailure);
        PromptWhileEmpty(profile.password, true, 80, "Need a remote password:");
        if (profile.password.empty()) return Fail(s, kFirewallFailure);
        cls = SendFtpCommandText(s, "PASS " + profile.password);
        if (cls != 3) return Fail(s, kFirewallFailure);
        PromptWhileEmpty(fw.password, true, 82, "Need a password for the firewall:");
        if (fw.password.empty()) return Fail(s, kFirewallFailure);
        cls = SendFtpCommandText(s, "ACCT " + fw.password);
        normalLogin = false;
        judge = true;
        break;
      }
      case 0:
      case 1:
        cls = SendFtpCommand(s, "USER %s", fw.user.c_str());
        if (cls == 3) {
          PromptWhileEmpty(fw.password, true, 82, "Need a password for the firewall:");
          cls = SendFtpCommandText(s, "PASS " + fw.password);
        }
        if (cls != 2) return Fail(s, kFirewallFailure);
        if (fireType == 1) {
          cls = SendFtpCommand(s, "USER %s@%s", profile.user.c_str(), profile.host.c_str());
          if (cls != 3) return Fail(s, kDestinationFailure);
          normalLogin = false;
          passwordStep = true;
        } else {
          cls = SendFtpCommand(s, "SITE %s", profile.host.c_str());
          if (cls == 5) return Fail(s, kDestinationFailure);
          c.connected = 1;
        }
        break;
      case 2:
        cls = SendFtpCommand(s, "USER %s@%s", profile.user.c_str(), profile.host.c_str());
        if (cls == 2) {
          ftp::DetectHostTypeFromGreeting(c.replyLine);
          normalLogin = false;
          judge = true;
        } else if (cls == 3) {
          normalLogin = false;
          passwordStep = true;
        } else {
          return Fail(s, kDestinationFailure);
        }
        break;
      case 3:
        cls = SendFtpCommand(s, "OPEN %s", profile.host.c_str());
        if (cls != 2 && cls != 3) return Fail(s, kDestinationFailure);
        ftp::DetectHostTypeFromGreeting(c.replyLine);
        c.connected = 1;
        break;
      default:
        break;
    }
  }

  if (normalLogin) {
    cls = SendFtpCommand(s, "USER %s", profile.user.c_str());
    passwordStep = cls == 3;
  }
  if (passwordStep && !judge) {
    PromptWhileEmpty(profile.password, true, 80, "Need a password:");
    if (!profile.password.empty()) {
      cls = SendFtpCommandText(s, "PASS " + profile.password);
      bool wantsAccount = cls == 3 || (cls == 2 && c.replyLine.find("ACCOUNT") != std::string::npos);
      if (wantsAccount) {
        int passClass = cls;
        PromptWhileEmpty(profile.account, false, 85, "Need an account:");
        if (!profile.account.empty()) {
          int acctClass = SendFtpCommandText(s, "ACCT " + profile.account);
          if (passClass == 3) cls = acctClass;
        }
      }
    }
  }

  if (cls != 2) return Fail(s, "logon failure, so quitting");

  if (!profile.initCommand.empty()) SendFtpCommandText(s, profile.initCommand);
  c.connected = 1;
  if (core::Settings().modernftp) {
    // The server's extensions, once per connection; a host type set in the profile keeps its
    // own listing form.
    c.mlsdAllowed = profile.hostType == ftp::kHostAutomatic;
    QueryFeatures(s);
  }
  ftp::HostFacts& facts = ftp::Host();
  if (profile.hostType == ftp::kHostRsx) {
    facts.hostTypeKnown = 1;
    facts.canDele = 1;
  } else {
    facts.hostTypeKnown = 0;
  }
  ui::Front().SetMainCaption(std::string(core::kProgramCaption) + " " + profile.host);
  return s;
}

int SetLocalDir(const std::string& path) {
  // Windows' current-directory call changes the drive along with a "d:" path.
  return platform::ChangeDirectory(path) ? 1 : 0;
}

}  // namespace ftp
