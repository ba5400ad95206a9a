// Login and firewall traversal.
#include "ftp/login.h"

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

// The kinds of firewall or proxy the FIRETYPE setting names.
enum class FirewallKind {
  kSiteHost = 0,              // log on to the firewall, then "SITE host"
  kUserAfterLogon = 1,        // log on to the firewall, then "USER user@host" and the password
  kUserAtHost = 2,            // no firewall logon: "USER user@host" goes straight through
  kOpenHost = 3,              // "OPEN host" to the proxy, then the plain login
  kUserWithFirewallUser = 4,  // "USER user@host fwuser", PASS, then the firewall's password as ACCT
};

// Where the login goes on after the firewall's steps.
enum class NextStep {
  kUser,      // the plain exchange from USER
  kPassword,  // the exchange from PASS (the server already took the user)
  kJudge,     // nothing more to send: the last reply decides
};

struct StepResult {
  NextStep next = NextStep::kUser;
  int cls = 0;
  const char* failure = nullptr;  // set: the login fails with this line
};

const char* const kFirewallFailure = "Firewall logon failure, so quitting";
const char* const kDestinationFailure = "Connect to final destination failed, so quitting";

// Logs on to the firewall itself: its USER, and its password when it asks for one.
int FirewallLogon(Socket s, profiles::FirewallLogin& fw) {
  int cls = SendFtpCommand(s, "USER %s", fw.user.c_str());
  if (cls == 3) {
    PromptWhileEmpty(fw.password, true, 82, "Need a password for the firewall:");
    cls = SendFtpCommandText(s, "PASS " + fw.password);
  }
  return cls;
}

StepResult SiteHost(Socket s, profiles::SessionProfile& profile, profiles::FirewallLogin& fw) {
  if (FirewallLogon(s, fw) != 2) return {NextStep::kUser, 0, kFirewallFailure};
  int cls = SendFtpCommand(s, "SITE %s", profile.host.c_str());
  if (cls == 5) return {NextStep::kUser, cls, kDestinationFailure};
  Conn().connected = 1;
  return {NextStep::kUser, cls, nullptr};
}

StepResult UserAfterLogon(Socket s, profiles::SessionProfile& profile, profiles::FirewallLogin& fw) {
  if (FirewallLogon(s, fw) != 2) return {NextStep::kUser, 0, kFirewallFailure};
  int cls = SendFtpCommand(s, "USER %s@%s", profile.user.c_str(), profile.host.c_str());
  if (cls != 3) return {NextStep::kUser, cls, kDestinationFailure};
  return {NextStep::kPassword, cls, nullptr};
}

StepResult UserAtHost(Socket s, profiles::SessionProfile& profile, profiles::FirewallLogin&) {
  int cls = SendFtpCommand(s, "USER %s@%s", profile.user.c_str(), profile.host.c_str());
  if (cls == 2) {
    DetectHostTypeFromGreeting(Conn().replyLine);
    return {NextStep::kJudge, cls, nullptr};
  }
  if (cls == 3) return {NextStep::kPassword, cls, nullptr};
  return {NextStep::kUser, cls, kDestinationFailure};
}

StepResult OpenHost(Socket s, profiles::SessionProfile& profile, profiles::FirewallLogin&) {
  int cls = SendFtpCommand(s, "OPEN %s", profile.host.c_str());
  if (cls != 2 && cls != 3) return {NextStep::kUser, cls, kDestinationFailure};
  DetectHostTypeFromGreeting(Conn().replyLine);
  Conn().connected = 1;
  return {NextStep::kUser, cls, nullptr};
}

StepResult UserWithFirewallUser(Socket s, profiles::SessionProfile& profile, profiles::FirewallLogin& fw) {
  int cls = SendFtpCommand(s, "USER %s@%s %s", profile.user.c_str(), profile.host.c_str(), fw.user.c_str());
  if (cls != 3) return {NextStep::kUser, cls, kFirewallFailure};
  PromptWhileEmpty(profile.password, true, 80, "Need a remote password:");
  if (profile.password.empty()) return {NextStep::kUser, cls, kFirewallFailure};
  cls = SendFtpCommandText(s, "PASS " + profile.password);
  if (cls != 3) return {NextStep::kUser, cls, kFirewallFailure};
  PromptWhileEmpty(fw.password, true, 82, "Need a password for the firewall:");
  if (fw.password.empty()) return {NextStep::kUser, cls, kFirewallFailure};
  cls = SendFtpCommandText(s, "ACCT " + fw.password);
  return {NextStep::kJudge, cls, nullptr};
}

// The firewall kinds and their steps; a FIRETYPE outside the table logs in directly.
struct FirewallRoute {
  FirewallKind kind;
  StepResult (*steps)(Socket, profiles::SessionProfile&, profiles::FirewallLogin&);
};
constexpr FirewallRoute kFirewallRoutes[] = {
    {FirewallKind::kSiteHost, SiteHost},
    {FirewallKind::kUserAfterLogon, UserAfterLogon},
    {FirewallKind::kUserAtHost, UserAtHost},
    {FirewallKind::kOpenHost, OpenHost},
    {FirewallKind::kUserWithFirewallUser, UserWithFirewallUser},
};

// Opens the control connection and reads the greeting, offering its lines to host-type
// detection unless a firewall answers. The socket, or kNoSocket (closed, the reason logged).
Socket ConnectAndGreet(profiles::SessionProfile& profile, const std::string& target, int port, bool detectGreeting) {
  ConnectionState& c = Conn();
  DepthScope greeting;  // the greeting counts as an operation in progress until it has been read
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
      if (detectGreeting && profile.hostType == kHostAutomatic) DetectHostTypeFromGreeting(c.replyLine);
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
  if (detectGreeting && profile.hostType == kHostAutomatic) DetectHostTypeFromGreeting(c.replyLine);
  if (platform::SetOobInline(s) != 0) LogSocketError("setsockopt", platform::LastSocketError());
  return s;
}

// USER, PASS and ACCT with prompts for what is missing, from the step the firewall left; the
// class of the reply that decides the login.
int UserPassAccount(Socket s, profiles::SessionProfile& profile, NextStep step, int cls) {
  if (step == NextStep::kJudge) return cls;
  if (step == NextStep::kUser) {
    cls = SendFtpCommand(s, "USER %s", profile.user.c_str());
    if (cls != 3) return cls;
  }
  PromptWhileEmpty(profile.password, true, 80, "Need a password:");
  if (profile.password.empty()) return cls;
  cls = SendFtpCommandText(s, "PASS " + profile.password);
  bool wantsAccount = cls == 3 || (cls == 2 && Conn().replyLine.find("ACCOUNT") != std::string::npos);
  if (wantsAccount) {
    int passClass = cls;
    PromptWhileEmpty(profile.account, false, 85, "Need an account:");
    if (!profile.account.empty()) {
      int acctClass = SendFtpCommandText(s, "ACCT " + profile.account);
      if (passClass == 3) cls = acctClass;
    }
  }
  return cls;
}

}  // namespace

Socket Login(profiles::SessionProfile& profile) {
  ConnectionState& c = Conn();
  if (c.connected) {
    LogLine("Already connected!");
    return kNoSocket;
  }
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

  Socket s = ConnectAndGreet(profile, target, port, !firewall);
  if (s == kNoSocket) return kNoSocket;

  StepResult step;
  if (firewall) {
    for (const FirewallRoute& route : kFirewallRoutes) {
      if (static_cast<int>(route.kind) != fireType) continue;
      step = route.steps(s, profile, profiles::Firewall());
      break;
    }
    if (step.failure) return Fail(s, step.failure);
  }
  int cls = UserPassAccount(s, profile, step.next, step.cls);
  if (cls != 2) return Fail(s, "logon failure, so quitting");

  if (!profile.initCommand.empty()) SendFtpCommandText(s, profile.initCommand);
  c.connected = 1;
  if (core::Settings().modernftp) {
    // The server's extensions, once per connection; a host type set in the profile keeps its
    // own listing form.
    c.mlsdAllowed = profile.hostType == kHostAutomatic;
    QueryFeatures(s);
  }
  HostFacts& facts = Host();
  if (profile.hostType == kHostRsx) {
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
