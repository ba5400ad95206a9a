// The logic of the options hub (DLG_OPTIONS), the program options (DLG_PROG_OPTIONS) and the
// session options (DLG_SES_OPTIONS), over control interfaces; the Win32 procedures forward to it.
#pragma once
#include <string>

#include "ui/controls.h"

namespace app {

constexpr int kOptionsHelp = 260;
constexpr int kSessionOptionsHelp = 263;
constexpr int kProgramOptionsHelp = 266;

constexpr int kMinBlockSize = 80;     // RBP and SBP
constexpr int kMaxBlockSize = 4096;
constexpr int kMaxKeepAlive = 3600;   // KEEPALIVE seconds
constexpr size_t kViewerMax = 119;
constexpr size_t kMailAddrMax = 127;
constexpr size_t kLogFileMax = 155;
constexpr size_t kDirNameMax = 143;  // DIR and LOCDIR

// A number field: its unsigned value limited to [low, high] (anything that is not a number is 0,
// and then `low`).
int ClampedField(const std::string& text, int low, int high);

// ---- DLG_OPTIONS -----------------------------------------------------------------------------

// The main window's place as "Save Window Locations" stores it.
struct WindowPlacement {
  bool maximized = false;
  int left = 0, top = 0, width = 0, height = 0;  // the outer rectangle on the screen
  int splitX = 0, splitY = 0;                    // the splitters' current positions
};

// "Save Directory Names": DIR (the remote directory) and LOCDIR (the local one, at most 143
// characters) into the current profile's section. False, with a log line, when the current
// profile has no name to store them under or the file cannot be written.
bool SaveDirectoryNames(const std::string& remoteDir, const std::string& localDir);
// "Save Window Locations": maximised, MAXIMIZE=1 only (LOC stays); else MAXIMIZE is removed and
// LOC = "left,top,width,height,SV,SH" (each "%u": a position left of or above the screen's
// origin reads back as the same negative number).
bool SaveWindowLocation(const WindowPlacement& place);

// ---- DLG_PROG_OPTIONS ------------------------------------------------------------------------

struct ProgramOptionsControls {
  ui::Button* layout = nullptr;     // 907 LAYOUT
  ui::Button* bontop = nullptr;     // 912 BONTOP
  ui::Button* longdir = nullptr;    // 833 LONGDIR
  ui::Button* autosave = nullptr;   // 837 AUTOSAVE
  ui::Button* vrfydel = nullptr;    // 952 VRFYDEL
  ui::Button* autostart = nullptr;  // 5120 AUTOSTART
  ui::Button* verbose = nullptr;    // 5110 VERBOSE
  ui::Edit* viewer = nullptr;       // 3020 VIEWER
  ui::Edit* mailAddr = nullptr;     // 5250 MAILADDR
  ui::Edit* logFile = nullptr;      // 2406 logfile
  ui::Button* doLog = nullptr;      // 2407 dolog
  ui::Button* dblclk[3] = {};       // 125-127: Transfer, View, Nothing
  ui::Button* rateBits = nullptr;   // 1851
  ui::Button* rateBytes = nullptr;  // 1852 tranrate 1
  ui::Edit* rbp = nullptr;          // 958
  ui::Edit* sbp = nullptr;          // 959
  ui::Button* font[5] = {};         // 131-135: FONT 0-4
  ui::Button* scale = nullptr;      // 2403 SCALE
};

// What Save changed that the main window must follow.
struct ProgramOptionsChange {
  bool layout = false;  // LAYOUT or BONTOP: lay the main window out again
  bool font = false;    // FONT or SCALE: apply the fonts again
};

class ProgramOptionsDialog {
 public:
  explicit ProgramOptionsDialog(const ProgramOptionsControls& controls) : c_(controls) {}
  // Every control from the settings in memory; VIEWER, dolog and logfile from "_config_".
  void Open();
  // Takes every control into memory and writes "_config_" in the dialog's order.
  ProgramOptionsChange Save();

 private:
  const ProgramOptionsControls c_;
};

// ---- DLG_SES_OPTIONS -------------------------------------------------------------------------

struct SessionOptionsControls {
  ui::ComboBox* hostType = nullptr;    // 107
  ui::Button* doupdate = nullptr;      // 834
  ui::Button* hash = nullptr;          // 5040
  ui::Button* passive = nullptr;       // 836 PASVMODE
  ui::Button* sortlbx = nullptr;       // 908
  ui::Button* firewall = nullptr;      // 118 FIREWALL
  ui::Button* forclow = nullptr;       // 119
  ui::Button* convext = nullptr;       // 120
  ui::Button* stou = nullptr;          // 5100
  ui::Button* recu = nullptr;          // 5090
  ui::Button* prompt = nullptr;        // 5050
  ui::Button* sound[3] = {};           // 1860-1862: None, Beeps, Wave
  ui::Button* mode[4] = {};            // 1851-1854: ASCII, Binary, L8, Auto Detect
  ui::Button* linksAsDirs = nullptr;   // 1856 VLINK 1
  ui::Button* linksAsFiles = nullptr;  // 1857 VLINK 0
  // Today's servers.
  ui::Button* modernFtp = nullptr;     // MODERNFTP
  ui::Button* resume = nullptr;        // RESUME
  ui::Edit* keepAlive = nullptr;       // KEEPALIVE seconds
};

struct SessionOptionsChange {
  bool sortlbx = false;   // the remote file list must be made again (sorted or not)
  bool hostType = false;  // the current listing must be parsed again
};

class SessionOptionsDialog {
 public:
  explicit SessionOptionsDialog(const SessionOptionsControls& controls) : c_(controls) {}
  // The 41 host types, the current profile's selected; the rest from memory.
  void Open();
  // Takes the controls into memory and the current profile, each stored with the per-profile
  // write in the dialog's order; TYPE is written into the profile's section in any case.
  SessionOptionsChange Save();
  // Writes the dialog's values into "_config_" without changing memory.
  void SaveAsDefault();

 private:
  int SelectedHostType() const;
  int SoundChoice() const;  // 0 None, 1 Beeps, 2 Wave
  int ModeChoice() const;   // 0 ASCII, 1 Binary, 2 L8, 3 Auto Detect
  const SessionOptionsControls c_;
};

struct MainWindowState;
// After the session options' Save: the remote file list is made again when SORTLBX changed,
// and while connected the listing shown is parsed again when the host type changed (or the
// list was made again); the buttons follow.
void ApplySessionOptionsChange(MainWindowState& w, const SessionOptionsChange& change);

}  // namespace app
