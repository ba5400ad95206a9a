// The client's settings: the support files, the command-line options, the program
// settings of section "_config_" and the per-profile overrides.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>


namespace core {

constexpr const char* kConfigSection = "_config_";
constexpr const char* kProgramCaption = "MIRVAN32";

// Support files, located once at start-up.
struct SupportFiles {
  std::string settingsFile;        // MIRVAN.INI or the -i file
  std::string helpFile;            // MIRVAN.HLP
  std::string extensionListFile;   // MIRVAN.EXT
  std::string conversionListFile;  // MIRVAN.CNV
  void Reset();
};
SupportFiles& Files();

// Program settings held in memory (section "_config_", some overridden per profile).
struct ProgramSettings {
  std::string mailAddr;      // MAILADDR
  std::atomic<int> verbose{0};  // VERBOSE: debug lines shown
  int hash = 1;              // HASH
  int recu = 0, stou = 0, bell = 1, prompt = 0, convext = 0, forclow = 0, doupdate = 1, sortlbx = 0;
  int mode = 73;             // MODE: 'A', 'I' or 'L'
  int amode = 0, vlink = 1, usewave = 1;
  int tranrate = 0, autosave = 0, longdir = 1, dblclk = 0, autostart = 1, layout = 0, bontop = 0;
  int font = 3, scale = 0, vrfydel = 1;
  int rbp = 4096, sbp = 512;
  int modernftp = 1;         // MODERNFTP: FEAT, EPSV/EPRT, IPv6, MLSD, SIZE, UTF-8, large data blocks
  int resume = 0;            // RESUME: a shorter local file is completed with REST (binary downloads)
  int keepalive = 0;         // KEEPALIVE: seconds between NOOPs while connected and idle, 0 off
  std::string wavConnect, wavComplete, wavError;  // sound files, read by the start-up banner
  void Reset();
};
ProgramSettings& Settings();

// Finds a support file: the current directory, then beside the program, then the Windows
// directory (without testing). Never fails: the bare name is the last resort.
std::string LocateSupportFile(const std::string& name);

// Applies the options -i and -p at the front of a command line (locating the support files);
// sets `profileName` when -p names a profile. Returns as ReadProgramSettings does.
std::optional<size_t> ApplyCommandLineOptions(const std::string& commandLine, std::string& profileName,
                                              bool& profileGiven);

// Helpers over section "_config_" of the settings file.
std::string ReadConfigString(const std::string& key, const std::string& def, size_t maxLen = std::string::npos);
int ReadConfigInt(const std::string& key, int def);
// A null value deletes the key.
bool WriteConfigString(const std::string& key, const char* value);
bool WriteSettingInt(const std::string& section, const std::string& key, int64_t value);

// Copies a raw command line for start-up. False (with `out` empty) when it is longer than the
// client takes; the caller then says so.
bool TakeCommandLine(const std::string& raw, std::string& out);

}  // namespace core
