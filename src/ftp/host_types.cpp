// The host-type table and the detection from greeting, SYST and HELP.
#include "ftp/host_types.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/message_log.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "profiles/session_profile.h"
#include "ui/front_end.h"

namespace ftp {
namespace {

constexpr const char* kNames[] = {
    "Automatic detect", "Chameleon",          "FTP PC/TCP",        "IBM PC TCP/IP",     "IBM VM",
    "KA9Q/NOS",         "NCSA/CUTCP",         "SI NT FTPD",        "Super TCP",         "Unisys 5000 (EXOS)",
    "UNIX (standard)",  "VMS MultiNet",       "VMS UCX",           "QVT/Net 2/3",       "MAC NCSA",
    "MAC Peter Server", "Microsoft NT",       "IBM AS/400",        "IBM MVS",           "PDP11 RSX11M",
    "Sun Solaris",      "OS/9",               "Corvex",            "BULL GCOS",         "IBM MVS/KNET",
    "Amiga",            "CDC Cyber",          "IBM R1000",         "BULL CP6",          "IBM Spartacus KNET",
    "Tandem",           "Stratus VOS",        "HP/3000",           "Serv-U",            "WFTPD",
    "NetWare v4",       "PCNFS-Pro",          "TGV MultiNet",      "FTP PC/TCP 3.0",    "QVT/Net 4.0",
    "MAC VersaTerm",
};
static_assert(sizeof kNames / sizeof kNames[0] == 41, "41 host types");

struct Pattern {
  const char* text;
  int type;
};

constexpr Pattern kGreeting[] = {
    {"Spartacus KNET", 6029}, {"NetWare v4", 6035},  {"Serv-U FTP", 6033},     {" WFTPD ", 6034},
    {"Novell LAN W", 6008},   {"(EXOS", 6009},       {"VersaTerm ", 6040},     {"KNET/MVS", 6024},
    {"RSX", 6019},            {"N1BEE", 6005},       {"IBM OS/2 TCP/IP", 6003}, {" hobbes ", 6013},
    {" OS-9 ", 6021},         {"GCOS", 6023},        {"BULL", 6023},           {"Amiga ", 6025},
    {"JNOS", 6005},           {"Rational FTP", 6027}, {"CP-6 FTP", 6028},      {"DOS FTP Server 3.", 6038},
};

// Searched in the lower-cased SYST text without regard to case; 0 stands for the VMS rule.
constexpr Pattern kSyst[] = {
    {"windows_nt", 6016}, {"NetWare v4", 6035},      {" pc ", 6022},       {"macos peter", 6015},
    {"os/2 operating", 6003}, {"VersaTerm ", 6040},  {"ultrix", 6010},     {"unix", 6010},
    {"mvs", 6018},        {"qvt/net 4", 6039},       {"qvt", 6013},        {"ncsa", 6006},
    {"chameleon", 6001},  {"netmanage", 6001},       {"windows [multinet", 6037}, {"vms", 0},
    {"os/400", 6017},     {" mts sys", 6003},        {" vm is ", 6004},    {"vos", 6031},
    {"tandem", 6030},     {"dos ftp server 3.", 6038},
};

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

bool Contains(const std::string& text, const char* pattern) { return text.find(pattern) != std::string::npos; }


int& CurrentType() { return profiles::CurrentProfile().hostType; }

// The code of a HELP line: its first three characters when they are digits, else 0.
int HelpLineCode(const std::string& line) {
  if (line.size() < 3) return 0;
  for (int i = 0; i < 3; ++i)
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool IsFinalHelpLine(const std::string& line) {
  int code = HelpLineCode(line);
  return code >= 100 && code <= 599 && !(line.size() > 3 && line[3] == '-');
}

void HelpScan(platform::Socket s) {
  HostFacts& h = Host();
  if (ftp::SendCommandLine(s, "HELP") == -1) {
    h.canMkd = h.canRmd = h.canRename = h.canDele = 1;
    return;
  }
  ftp::ReplyWaitScope helpWait;  // one time-out for the whole HELP reply, however long
  int got = ftp::ReadReplyLine(s);
  const std::string* line = &ftp::Conn().replyLine;
  int type;
  if (Contains(*line, "NCSA") || Contains(*line, "CUTCP")) type = 6006;
  else if (Contains(*line, "MACB")) type = 6014;
  else if (line->compare(0, 17, "214-PC FTP server") == 0 || Contains(*line, "QVT")) type = 6013;
  else type = kHostUnix;
  CurrentType() = type;
  core::LogMessage("Host type (3): %s", HostTypeName(type));
  while (got != ftp::kCodeLost && !IsFinalHelpLine(*line) && HelpLineCode(*line) != ftp::kCodeLost) {
    if (Contains(*line, "MKD")) h.canMkd = 1;
    if (Contains(*line, "RMD")) h.canRmd = 1;
    if (Contains(*line, "RNFR")) h.canRename = 1;
    if (Contains(*line, "DELE")) h.canDele = 1;
    got = ftp::ReadReplyLine(s);
  }
}

}  // namespace

void HostFacts::Reset() { *this = HostFacts(); }

HostFacts& Host() {
  static HostFacts facts;
  return facts;
}

const char* HostTypeName(int code) {
  if (code < kHostFirst || code > kHostLast) return "";
  return kNames[code - kHostFirst];
}

int DetectHostTypeFromGreeting(const std::string& line) {
  int& type = CurrentType();
  if (type != kHostAutomatic) return type;
  for (const Pattern& p : kGreeting) {
    if (Contains(line, p.text)) {
      type = p.type;
      core::LogMessage("Host type (1): %s", HostTypeName(type));
      break;
    }
  }
  return type;
}

void DetectHostType(platform::Socket s) {
  HostFacts& h = Host();
  int& type = CurrentType();
  h.canMkd = h.canRmd = h.canRename = h.canDele = 0;
  h.useCdup = 1;
  if (type != kHostAutomatic) {
    core::LogMessage("Host type (I): %s", HostTypeName(type));
  } else if (ftp::SendFtpCommand(s, "SYST") != 2) {
    core::LogMessage("Host type (I): %s", HostTypeName(kHostAutomatic));
  } else {
    const std::string reply = ftp::Conn().replyLine;
    if (Contains(reply, "RSX")) {
      type = kHostRsx;
      h.canDele = 1;
      return;  // the next listing runs detection again with the type known
    }
    std::string lower = Lower(reply);
    for (const Pattern& p : kSyst) {
      if (!Contains(lower, Lower(p.text).c_str())) continue;
      type = p.type != 0 ? p.type : Contains(lower, "multinet") ? 6011 : kHostVmsUcx;
      core::LogMessage("Host type (2): %s", HostTypeName(type));
      break;
    }
  }
  switch (type) {
    case kHostKa9q:
      h.canDele = h.canRmd = h.canMkd = 1;
      h.canRename = 0;
      h.useCdup = 0;
      break;
    case kHostCdcCyber:
      h.canDele = 1;
      h.useCdup = 0;
      break;
    case 6027:
    case 6028:
      h.canDele = 1;
      h.useCdup = 1;
      break;
    case kHostAutomatic:
      HelpScan(s);
      break;
    default:
      h.canMkd = h.canRmd = h.canRename = h.canDele = 1;
      break;
  }
  UpdateRemoteButtons();
  h.hostTypeKnown = 1;
}

void UpdateRemoteButtons() {
  const HostFacts& h = Host();
  ui::Front().SetRemoteCapabilities(h.canMkd != 0, h.canRmd != 0, h.canRename != 0, h.canDele != 0);
}

}  // namespace ftp
