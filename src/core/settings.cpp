// Settings: locating support files, the -i and -p options, the start-up reads and the
// two-level per-profile lookup.
#include "core/settings.h"

#include <cctype>
#include <cstdio>
#include <new>

#include "core/app_state.h"
#include "core/ini.h"
#include "platform/fs.h"
#include "ui/message_box.h"

namespace core {

void SupportFiles::Reset() { *this = SupportFiles(); }

SupportFiles& Files() {
  static SupportFiles files;
  return files;
}

void ProgramSettings::Reset() {
  mailAddr.clear();
  verbose = 0;
  hash = 1;
  recu = stou = 0;
  bell = 1;
  prompt = convext = forclow = 0;
  doupdate = 1;
  sortlbx = 0;
  mode = 73;
  amode = 0;
  vlink = usewave = 1;
  tranrate = autosave = 0;
  longdir = 1;
  dblclk = 0;
  autostart = 1;
  layout = bontop = 0;
  font = 3;
  scale = 0;
  vrfydel = 1;
  rbp = 4096;
  sbp = 512;
  modernftp = 1;
  resume = 0;
  keepalive = 0;
  wavConnect.clear();
  wavComplete.clear();
  wavError.clear();
}

ProgramSettings& Settings() {
  static ProgramSettings settings;
  return settings;
}

std::string LocateSupportFile(const std::string& name) {
  try {
    std::string cwd = platform::CurrentDirectory();
    if (!cwd.empty()) {
      std::string here = platform::JoinPath(cwd, name);
      if (platform::PathExists(here)) return here;
    }
    if (!platform::ProgramPath().empty()) {
      std::string beside = platform::ProgramDirectory() + name;  // a path without separator: the name
      if (platform::PathExists(beside)) return beside;
    }
    std::string windir = platform::WindowsDirectory();
    if (windir.empty()) return name;
    return platform::JoinPath(windir, name);
  } catch (const std::bad_alloc&) {
    return name;
  }
}

namespace {

bool StartsWithOption(const std::string& s, size_t pos, char letter) {
  return pos + 1 < s.size() && s[pos] == '-' &&
         std::tolower(static_cast<unsigned char>(s[pos + 1])) == letter;
}

size_t SkipWord(const std::string& s, size_t pos) {
  while (pos < s.size() && s[pos] != ' ') ++pos;
  return pos;
}

size_t SkipSpaces(const std::string& s, size_t pos) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  return pos;
}

std::string Format(const std::string& fmt, const std::string& a, const std::string& b) {
  std::string out(fmt);
  size_t p = out.find("%s");
  if (p != std::string::npos) {
    out.replace(p, 2, a);
    p = out.find("%s", p + a.size());
    if (p != std::string::npos) out.replace(p, 2, b);
  }
  return out;
}

}  // namespace

std::optional<size_t> ApplyCommandLineOptions(const std::string& cmd, std::string& profileName, bool& profileGiven) {
  SupportFiles& files = Files();
  profileGiven = false;
  size_t pos = SkipSpaces(cmd, 0);
  bool leftNothing = false;
  if (StartsWithOption(cmd, pos, 'i')) {
    pos = SkipSpaces(cmd, SkipWord(cmd, pos));
    size_t nameEnd = SkipWord(cmd, pos);
    std::string name = cmd.substr(pos, nameEnd - pos);
    leftNothing = name.empty();
    pos = SkipSpaces(cmd, nameEnd);
    try {
      std::string joined;
      std::string cwd = platform::CurrentDirectory();
      if (!cwd.empty() && !name.empty()) joined = platform::JoinPath(cwd, name);
      if (name.size() < 2 || !platform::PathExists(name)) {
        files.settingsFile = LocateSupportFile("MIRVAN.INI");
        ui::ShowMessageBox(Format("Failed to locate %s, using %s", name, files.settingsFile), kProgramCaption,
                           ui::kMbOk);
      } else {
        files.settingsFile = (!joined.empty() && platform::PathExists(joined)) ? joined : name;
        // A device, a directory or a huge file would hang or exhaust the program: not used.
        std::string why = ini::UnusableReason(files.settingsFile);
        if (!why.empty()) {
          files.settingsFile = LocateSupportFile("MIRVAN.INI");
          ui::ShowMessageBox(Format("Cannot use %s as the settings file (" + why + "), using %s", name,
                                    files.settingsFile),
                             kProgramCaption, ui::kMbOk);
        }
      }
    } catch (const std::bad_alloc&) {
      files.settingsFile = LocateSupportFile("MIRVAN.INI");
      ui::ShowMessageBox(Format("Alloc failed for %s, using %s", name, files.settingsFile), kProgramCaption,
                         ui::kMbOk);
    }
  } else {
    files.settingsFile = LocateSupportFile("MIRVAN.INI");
  }
  files.helpFile = LocateSupportFile("MIRVAN.HLP");
  files.extensionListFile = LocateSupportFile("MIRVAN.EXT");
  files.conversionListFile = LocateSupportFile("MIRVAN.CNV");

  if (!leftNothing && StartsWithOption(cmd, pos, 'p')) {
    pos = SkipSpaces(cmd, SkipWord(cmd, pos));
    size_t nameEnd = SkipWord(cmd, pos);
    profileName = cmd.substr(pos, nameEnd - pos);
    profileGiven = true;
    leftNothing = profileName.empty();
    pos = SkipSpaces(cmd, nameEnd);
  }
  if (leftNothing) return std::nullopt;
  return pos;
}

std::string ReadConfigString(const std::string& key, const std::string& def, size_t maxLen) {
  return ini::ReadString(Files().settingsFile, kConfigSection, key, def, maxLen);
}

int ReadConfigInt(const std::string& key, int def) { return ini::ReadInt(Files().settingsFile, kConfigSection, key, def); }

bool WriteConfigString(const std::string& key, const char* value) {
  return ini::Write(Files().settingsFile, kConfigSection, key.c_str(), value);
}

bool WriteSettingInt(const std::string& section, const std::string& key, int64_t value) {
  return ini::WriteUnsigned(Files().settingsFile, section, key, value);
}






bool TakeCommandLine(const std::string& raw, std::string& out) {
  out.clear();
  if (raw.size() > kCommandLineMax) return false;
  out = raw;
  return true;
}


}  // namespace core
