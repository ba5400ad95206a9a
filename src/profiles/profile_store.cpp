// Loading and saving session profiles, scrambled passwords and the profile list.
#include "profiles/profile_store.h"

#include <cctype>
#include <cstdio>

#include "core/ini.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "profiles/profile_settings.h"
#include "platform/fs.h"
#include "core/text.h"

namespace profiles {
namespace {

namespace ini = core::ini;

using core::EqualNoCase;

int HexValue(char c) { return c <= '9' ? c - 48 : c - 55; }

}  // namespace

std::string ScramblePassword(const std::string& user, const std::string& password) {
  if (user == "anonymous") return password;
  std::string out;
  char pair[3];
  for (size_t i = 0; i < password.size(); ++i) {
    // Byte plus position, kept to one byte: 7-bit passwords give the classic form and
    // every other byte still reads back as itself.
    unsigned v = (static_cast<unsigned char>(password[i]) + static_cast<unsigned>(i)) & 0xFF;
    std::snprintf(pair, sizeof pair, "%02X", v);
    out += pair;
  }
  return out;
}

std::string UnscramblePassword(const std::string& user, const std::string& stored) {
  if (user == "anonymous") return stored;
  std::string out;
  for (size_t k = 0; 2 * k + 1 < stored.size(); ++k) {
    int v = 16 * HexValue(stored[2 * k]) + HexValue(stored[2 * k + 1]) - static_cast<int>(k);
    char ch = static_cast<char>(v & 0xFF);
    if (ch == '\0') break;  // the clear text ends at a zero byte
    out += ch;
  }
  return out;
}

int LoadSessionProfile(SessionProfile& p) {
  const std::string& file = core::Files().settingsFile;
  const std::string& sec = p.name;
  core::ProgramSettings& s = core::Settings();

  p.host = ini::ReadString(file, sec, "HOST", "", 79);
  if (p.host.empty()) p.host = p.name;
  p.user = ini::ReadString(file, sec, "UID", "", 79);
  p.password.clear();
  p.savePassword = 0;
  std::string stored = ini::ReadString(file, sec, "PWD", "");
  if (!p.user.empty() && !stored.empty()) {
    p.password = UnscramblePassword(p.user, stored);
    p.savePassword = 1;
  }
  if (EqualNoCase(p.user, "anonymous") && p.password.empty()) {
    core::Prompts().currentHelpContext = 270;
    while (s.mailAddr.empty()) {
      if (!core::GetInputString(&s.mailAddr, "Enter your e-mail address:")) break;
    }
    core::Prompts().currentHelpContext = 0;
    p.password = s.mailAddr;
    if (!s.mailAddr.empty()) core::WriteConfigString("MAILADDR", s.mailAddr.c_str());
  }
  p.remoteDir = ini::ReadString(file, sec, "DIR", "", 143);
  p.account = ini::ReadString(file, sec, "ACT", "", 79);
  p.useFirewall = profiles::ReadProfileInt(p, "FIREWALL", 0);
  p.hostType = ini::ReadInt(file, sec, "TYPE", 6000);
  p.timeout = ini::ReadInt(file, sec, "TIMEOUT", 65);
  p.localMask = ini::ReadString(file, sec, "LMASK", "", 19);
  p.remoteMask = ini::ReadString(file, sec, "RMASK", "", 19);
  p.localDir = ini::ReadString(file, sec, "LOCDIR", "", 143);
  p.initCommand = ini::ReadString(file, sec, "INITCMD", "", 79);
  p.port = ini::ReadInt(file, sec, "PORT", 21);
  p.passive = profiles::ReadProfileInt(p, "PASVMODE", 0);
  p.retries = ini::ReadInt(file, sec, "RETRIES", 0);

  s.convext = profiles::ReadProfileInt(p, "CONVEXT", s.convext);
  s.forclow = profiles::ReadProfileInt(p, "FORCLOW", s.forclow);
  s.recu = profiles::ReadProfileInt(p, "RECU", s.recu);
  s.stou = profiles::ReadProfileInt(p, "STOU", s.stou);
  s.bell = profiles::ReadProfileInt(p, "BELL", s.bell);
  s.prompt = profiles::ReadProfileInt(p, "PROMPT", s.prompt);
  s.doupdate = profiles::ReadProfileInt(p, "DOUPDATE", s.doupdate);
  s.sortlbx = profiles::ReadProfileInt(p, "SORTLBX", s.sortlbx);
  s.mode = static_cast<unsigned char>(profiles::ReadProfileInt(p, "MODE", s.mode));
  s.amode = profiles::ReadProfileInt(p, "AMODE", s.amode);
  s.vlink = profiles::ReadProfileInt(p, "VLINK", s.vlink);
  s.usewave = profiles::ReadProfileInt(p, "usewave", s.usewave);
  // The additions for today's servers fall back to their own defaults, never to the values a
  // previously loaded profile left behind.
  s.modernftp = profiles::ReadProfileInt(p, "MODERNFTP", 1);
  s.resume = profiles::ReadProfileInt(p, "RESUME", 0);
  s.keepalive = profiles::ReadProfileInt(p, "KEEPALIVE", 0);
  return 1;
}

int SaveSessionProfile(const SessionProfile& p) {
  // An unnamed record has no section of its own: writing it would create a nameless one.
  if (p.name.empty()) return 0;
  const std::string& file = core::Files().settingsFile;
  const std::string& sec = p.name;
  bool ok = ini::Write(file, sec, nullptr, nullptr);
  auto put = [&](const char* key, const std::string& value) { ok = ini::Write(file, sec, key, value.c_str()) && ok; };
  auto putInt = [&](const char* key, int value) { ok = ini::WriteUnsigned(file, sec, key, value) && ok; };
  put("HOST", p.host);
  put("UID", p.user);
  if (p.savePassword == 1) put("PWD", ScramblePassword(p.user, p.password));
  if (!p.account.empty()) put("ACT", p.account);
  if (!p.localMask.empty()) put("LMASK", p.localMask);
  if (!p.remoteMask.empty()) put("RMASK", p.remoteMask);
  if (p.hostType != 6000) putInt("TYPE", p.hostType);
  if (p.timeout != 65) putInt("TIMEOUT", p.timeout);
  if (!p.localDir.empty()) put("LOCDIR", p.localDir);
  if (!p.remoteDir.empty()) put("DIR", p.remoteDir);
  if (p.useFirewall == 1) put("FIREWALL", "1");
  if (p.firewallType != 0 && p.firewallType != 99) putInt("FIRETYPE", p.firewallType);
  if (p.retries != 0) putInt("RETRIES", p.retries);
  if (p.port != 21) putInt("PORT", p.port);
  if (!p.initCommand.empty()) put("INITCMD", p.initCommand);
  profiles::WriteSectionInt(sec, "PASVMODE", p.passive);
  return ok ? 1 : 0;
}

void ListProfiles(ui::ComboBox& combo) {
  combo.Clear();
  std::vector<std::string> lines;
  if (!platform::ReadFileLines(core::Files().settingsFile, lines)) return;
  for (std::string& line : lines) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || line[0] != '[') continue;
    std::string name = line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
    if (!EqualNoCase(name, core::kConfigSection)) combo.AddString(name);
  }
}

}  // namespace profiles
