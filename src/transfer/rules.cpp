// Transfer rules: the ASCII list, extension conversion, local names, the transfer log, sounds.
#include "transfer/rules.h"

#include <atomic>
#include <cctype>
#include <cstdio>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "ftp/host_type_codes.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "transfer/transfer_state.h"
#include "core/text.h"

namespace transfer {
namespace {

std::atomic<int> nameRulesHostType{6000};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

using core::EqualNoCase;

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  return tail.size() <= s.size() && EqualNoCase(s.substr(s.size() - tail.size()), tail);
}

// Reads a list file's lines, each without its line end and cut to `maxChars`. False without a file.
bool ReadListFile(const std::string& path, size_t maxChars, std::vector<std::string>& lines) {
  std::vector<std::string> read;
  if (!platform::ReadFileLines(path, read)) return false;
  for (std::string& line : read) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line.substr(0, maxChars));
  }
  return true;
}

// An ending or whole-name match of a list entry, as both lists test it.
enum Match { kNone, kWhole, kEnding };
Match MatchEntry(const std::string& entry, const std::string& name) {
  if (entry.size() > 1 && EqualNoCase(entry, name)) return kWhole;
  if (entry.size() >= 2 && entry.size() < name.size() && EndsWithNoCase(name, entry)) return kEnding;
  return kNone;
}

bool IsDeviceName(const std::string& name) {
  // The part before the first dot, without trailing blanks and dots, as Windows resolves it.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.')) stem.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (EqualNoCase(stem, d)) return true;
  if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
      (EqualNoCase(stem.substr(0, 3), "COM") || EqualNoCase(stem.substr(0, 3), "LPT")))
    return true;
  return false;
}

// A remote name is untrusted: the local name stays inside the current directory, holds no
// character a Windows file name cannot hold, and never names a device.
std::string SanitizeChars(std::string name) {
  for (char& c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::string("<>:\"|?*\\/").find(c) != std::string::npos) c = '_';
  }
  return name;
}

std::string MakeSafeLocalName(std::string name) {
  name = SanitizeChars(name);
  if (name.find_first_not_of('.') == std::string::npos) return "aaremote";
  if (IsDeviceName(name)) name = "_" + name;
  return name;
}

std::string Format3(const char* fmt, const std::string& a, unsigned i, const std::string& b) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, a.c_str(), i, b.c_str());
  return buf;
}

}  // namespace

TransferState& Transfer() {
  static TransferState state;
  return state;
}

void SetNameRulesHostType(int hostType) { nameRulesHostType = hostType; }

int IsAsciiExtension(const std::string& name) {
  std::string test = name.substr(0, name.find(';'));
  std::vector<std::string> entries;
  if (ReadListFile(core::Files().extensionListFile, 9, entries)) {
    for (const auto& e : entries)
      if (MatchEntry(e, test) != kNone) return 1;
    return 0;
  }
  return (test.size() > 4 && EndsWithNoCase(test, ".TXT")) ? 1 : 0;
}

int ConvertExtension(std::string& name, int mode) {
  if (mode == 0 && core::Settings().forclow)
    for (char& c : name) c = Lower(c);
  if (core::Settings().convext == 0) return 0;
  size_t semi = name.find(';');
  std::string suffix = semi == std::string::npos ? "" : name.substr(semi);
  name = name.substr(0, semi);
  std::vector<std::string> lines;
  ReadListFile(core::Files().conversionListFile, 79, lines);
  for (const auto& line : lines) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string source = line.substr(0, eq), dest = line.substr(eq + 1, 20);
    switch (MatchEntry(source, name)) {
      case kWhole:
        core::LogMessage("[I] Converted extension from %s to %s", name.c_str(), dest.c_str());
        name = dest;
        return 1;
      case kEnding:
        core::LogMessage("[I] Converted extension from %s to %s", source.c_str(), dest.c_str());
        name = name.substr(0, name.size() - source.size()) + dest;
        return 1;
      case kNone:
        break;
    }
  }
  if (mode == 0) name += suffix;
  return 0;
}

int LocalFileNameFor(std::string& out, const std::string& remoteName, int hostType, int maxComponent) {
  std::string base, ext;
  bool longNames = maxComponent > 12 && remoteName.size() < static_cast<size_t>(maxComponent) &&
                   remoteName.size() < 150;
  if (longNames) {
    base = remoteName.substr(remoteName.find_last_of("\\/") == std::string::npos
                                 ? 0
                                 : remoteName.find_last_of("\\/") + 1);
    ConvertExtension(base, 1);
  } else {
    std::string remote = remoteName;
    if (hostType == ftp::kHostSpartacusKnet) {
      std::string squeezed;
      for (char c : remote) {
        if (c == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
        squeezed += c;
      }
      while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
      remote = squeezed;
    }
    size_t slash = remote.find_last_of("\\/");
    std::string name = slash == std::string::npos ? remote : remote.substr(slash + 1);
    size_t p = name.find_first_not_of('.');
    name = p == std::string::npos ? "" : name.substr(p);
    size_t i = 0;
    while (i < name.size() && i < 8 && name[i] != '.' && name[i] != ' ') {
      base += name[i] == ':' ? '_' : name[i];
      ++i;
    }
    if (i < name.size()) {
      size_t start;
      if (i == 8 && name.find_first_of(". ", i) == std::string::npos) {
        start = i;  // a long single word: the rest is the extension
      } else {
        size_t dot = name.find('.', i);
        start = dot != std::string::npos ? dot : name.find(' ', i);
        start = name.find_first_not_of(". ", start);
      }
      if (start != std::string::npos) {
        size_t j = start;
        while (j < name.size() && j - start < 10 && name[j] != '.' && name[j] != ' ' && name[j] != ';') ++j;
        ext = name.substr(start, j - start);
      }
    }
    if (!ext.empty() && !ConvertExtension(ext, 1)) ext = ext.substr(0, 3);
  }
  std::string name = ext.empty() ? base : base + "." + ext;
  out = MakeSafeLocalName(name.empty() ? "aaremote" : name);
  if (!core::Settings().recu || !platform::PathExists(out)) return 1;
  // Unique names: the first free candidate of 99.
  std::string safeBase = SanitizeChars(base), safeExt = SanitizeChars(ext);
  for (unsigned n = 0; n < 99; ++n) {
    std::string candidate;
    if (!ext.empty()) {
      candidate = base.size() < 6 ? Format3("%s%03u.%s", safeBase, n, safeExt)
                                  : Format3("%-5.5s%03u.%s", safeBase, n, safeExt);
    } else {
      char buf[512];
      std::snprintf(buf, sizeof buf, "%s.%03u", out.c_str(), n);
      candidate = buf;
    }
    if (!platform::PathExists(candidate)) {
      out = candidate;
      return 1;
    }
  }
  core::LogMessage("No unique local name left for %s: %s.000 to .098 all exist", remoteName.c_str(), out.c_str());
  return 0;
}

int LocalFileName(std::string& out, const std::string& remote) {
  return LocalFileNameFor(out, remote, nameRulesHostType.load(), platform::MaxFileNameLength());
}

std::string TransferLogLine(int direction, const std::string& localDir, const std::string& local,
                            const std::string& host, const std::string& remoteDir, const std::string& remoteName,
                            int year, int month, int day, int hour, int minute, char serverType) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d.%02d.%02d %02d:%02d %c", ((year % 100) + 100) % 100, month, day, hour,
                minute, serverType == 'A' ? 'A' : 'B');
  return std::string(stamp) + " " + localDir + "\\" + local + " " + (direction == 1 ? "-->" : "<--") + " " + host +
         " " + remoteDir + " " + remoteName;
}

namespace {

struct TransferLogSettings {
  int depth = 0;  // open TransferLogBatch scopes
  int dolog = 1;
  std::string file;
};
thread_local TransferLogSettings transferLog;

void ReadTransferLogSettings(int& dolog, std::string& file) {
  dolog = core::ReadConfigInt("dolog", 1);
  file = dolog == 1 ? core::ReadConfigString("logfile", "MIRVAN.LOG") : std::string();
}

}  // namespace

TransferLogBatch::TransferLogBatch() {
  if (transferLog.depth++ == 0) ReadTransferLogSettings(transferLog.dolog, transferLog.file);
}

TransferLogBatch::~TransferLogBatch() { --transferLog.depth; }

void LogTransfer(int direction, const std::string& local, const std::string& host, const std::string& remoteDir,
                 const std::string& remoteName) {
  int dolog = transferLog.dolog;
  std::string file = transferLog.file;
  if (transferLog.depth == 0) ReadTransferLogSettings(dolog, file);
  if (dolog != 1) return;
  std::FILE* f = std::fopen(file.c_str(), "a");
  if (!f) return;
  platform::CalendarTime t = platform::CurrentClock().LocalNow();
  std::string line = TransferLogLine(direction, platform::CurrentDirectory(), local, host, remoteDir, remoteName,
                                     t.year, t.month, t.day, t.hour, t.minute, ftp::Conn().serverTransferType);
  std::fprintf(f, "%s\n", line.c_str());
  std::fclose(f);
}

void LoadSounds() {
  core::ProgramSettings& s = core::Settings();
  std::string dir = platform::ProgramDirectory();
  s.usewave = core::ReadConfigInt("usewave", 1);
  s.wavConnect = core::ReadConfigString("wav_connect", dir + "connect.wav", 255);
  s.wavComplete = core::ReadConfigString("wav_complete", dir + "complete.wav", 255);
  s.wavError = core::ReadConfigString("wav_error", dir + "error.wav", 255);
}

void PlaySoundEvent(int event) {
  static const unsigned kBeeps[3] = {0x40 /* asterisk */, 0x0 /* ok */, 0x30 /* exclamation */};
  if (event < 0 || event > 2) return;
  const core::ProgramSettings& s = core::Settings();
  const std::string& file = event == 0 ? s.wavConnect : event == 1 ? s.wavComplete : s.wavError;
  if (s.usewave == 0 || !platform::PathExists(file)) platform::SystemBeep(kBeeps[event]);
  else platform::PlayWaveFile(file);
}

}  // namespace transfer
