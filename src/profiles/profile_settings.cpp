// The per-profile lookups over the settings file, and reading the start-up settings with the
// start-up profile.
#include "profiles/profile_settings.h"

#include "core/app_state.h"
#include "core/ini.h"
#include "core/settings.h"

namespace profiles {

using core::Files;
using core::ReadConfigInt;
using core::ReadConfigString;
using core::WriteConfigString;
using core::WriteSettingInt;
using core::Settings;
using core::ProgramSettings;
using core::ApplyCommandLineOptions;
namespace ini = core::ini;

int ReadProfileInt(const SessionProfile& profile, const std::string& key, int def) {
  int v = ReadConfigInt(key, def);
  if (profile.name.empty()) return v;
  return ini::ReadInt(Files().settingsFile, profile.name, key, v);
}

int ReadSessionInt(const std::string& key, int def) { return ReadProfileInt(CurrentProfile(), key, def); }

bool WriteSectionInt(const std::string& section, const std::string& key, int value) {
  if (section.empty()) return false;
  int global = ReadConfigInt(key, 99);
  if (global == 99 || global != value) return WriteSettingInt(section, key, value);
  return ini::Write(Files().settingsFile, section, key.c_str(), nullptr);
}

bool WriteSessionInt(const std::string& key, int value) {
  return WriteSectionInt(CurrentProfile().name, key, value);
}

bool SaveCurrentSessionName() {
  return WriteConfigString("SESSION", CurrentProfile().name.c_str());
}

std::optional<size_t> ReadProgramSettings(const std::string& commandLine) {
  SessionProfile& cur = CurrentProfile();
  ProgramSettings& s = Settings();
  // 1. A clean current profile.
  cur.name.clear();
  cur.user.clear();
  cur.password.clear();
  cur.remoteDir.clear();
  s.mailAddr.clear();
  cur.hostType = 6000;
  cur.timeout = 65;

  // 2. Options and support files.
  std::string profileName;
  bool profileGiven = false;
  std::optional<size_t> rest = ApplyCommandLineOptions(commandLine, profileName, profileGiven);
  if (!profileGiven) profileName = ReadConfigString("SESSION", "");
  cur.name = profileName;

  // 3. Program-wide keys.
  s.mailAddr = ReadConfigString("MAILADDR", "", 127);
  s.verbose = ReadConfigInt("VERBOSE", 0);
  s.hash = ReadConfigInt("HASH", 1);

  // 4. Keys a profile may override.
  s.recu = ReadSessionInt("RECU", s.recu);
  s.stou = ReadSessionInt("STOU", s.stou);
  s.bell = ReadSessionInt("BELL", s.bell);
  s.prompt = ReadSessionInt("PROMPT", s.prompt);
  s.convext = ReadSessionInt("CONVEXT", s.convext);
  s.forclow = ReadSessionInt("FORCLOW", s.forclow);
  s.doupdate = ReadSessionInt("DOUPDATE", s.doupdate);
  s.sortlbx = ReadSessionInt("SORTLBX", s.sortlbx);
  s.modernftp = ReadSessionInt("MODERNFTP", s.modernftp);
  s.resume = ReadSessionInt("RESUME", s.resume);
  s.keepalive = ReadSessionInt("KEEPALIVE", s.keepalive);

  // 5. Program-only keys, taken as stored.
  s.tranrate = ReadConfigInt("tranrate", s.tranrate);
  s.autosave = ReadConfigInt("AUTOSAVE", s.autosave);
  s.longdir = ReadConfigInt("LONGDIR", s.longdir);
  s.dblclk = ReadConfigInt("DBLCLK", s.dblclk);
  s.autostart = ReadConfigInt("AUTOSTART", s.autostart);
  s.layout = ReadConfigInt("LAYOUT", s.layout);
  s.bontop = ReadConfigInt("BONTOP", s.bontop);
  s.font = ReadConfigInt("FONT", s.font);
  s.scale = ReadConfigInt("SCALE", s.scale);
  s.vrfydel = ReadConfigInt("VRFYDEL", s.vrfydel);
  s.rbp = ReadConfigInt("RBP", s.rbp);
  s.sbp = ReadConfigInt("SBP", s.sbp);

  // 6. The start-up profile.
  LoadStartupProfile(cur);
  return rest;
}

}  // namespace profiles
