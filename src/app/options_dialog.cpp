// The options hub's two savers, the program options and the session options.
#include "app/options_dialog.h"

#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "app/session_dialog.h"
#include "app/worker.h"
#include "core/app_state.h"
#include "core/ini.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "core/text.h"
#include "ftp/control.h"
#include "ftp/host_type_codes.h"
#include "ftp/host_types.h"
#include "listing/dir_list.h"
#include "profiles/profile_settings.h"
#include "profiles/session_profile.h"

namespace app {
namespace {

using core::Settings;

bool Checked(const ui::Button* b) { return b != nullptr && b->IsChecked(); }
int Bit(const ui::Button* b) { return Checked(b) ? 1 : 0; }
void Check(ui::Button* b, bool on) {
  if (b) b->SetChecked(on);
}
std::string Text(const ui::Edit* e) { return e ? e->Text() : std::string(); }
void SetText(ui::Edit* e, const std::string& text) {
  if (e) e->SetText(text);
}
// The radio button of a group that is checked, or -1.
template <size_t N>
int Choice(ui::Button* const (&group)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (Checked(group[i])) return static_cast<int>(i);
  return -1;
}
template <size_t N>
void Choose(ui::Button* const (&group)[N], int index) {
  for (size_t i = 0; i < N; ++i) Check(group[i], static_cast<int>(i) == index);
}

bool PutConfig(const char* key, int64_t value) { return core::WriteSettingInt(core::kConfigSection, key, value); }
bool PutConfigText(const char* key, const std::string& text, size_t max) {
  return core::WriteConfigString(key, IniSafeValue(FitField(text, max)).c_str());
}

constexpr int kModeAscii = 'A', kModeBinary = 'I', kModeL8 = 'L';

}  // namespace

int ClampedField(const std::string& text, int low, int high) {
  long long v = ParseUnsignedField(text);
  if (v < low) return low;
  if (v > high) return high;
  return static_cast<int>(v);
}

// ---- DLG_OPTIONS -----------------------------------------------------------------------------

bool SaveDirectoryNames(const std::string& remoteDir, const std::string& localDir) {
  const std::string& section = profiles::CurrentProfile().name;
  if (section.empty()) {
    core::LogMessage("The directory names were not saved: no session profile is in use.");
    return false;
  }
  const std::string& file = core::Files().settingsFile;
  bool ok = core::ini::Write(file, section, "DIR", IniSafeValue(FitField(remoteDir, kDirNameMax)).c_str()) &&
            core::ini::Write(file, section, "LOCDIR", IniSafeValue(FitField(localDir, kDirNameMax)).c_str());
  if (!ok) core::LogMessage("The directory names could not be written to %s.", file.c_str());
  return ok;
}

bool SaveWindowLocation(const WindowPlacement& p) {
  if (p.maximized) return core::WriteConfigString("MAXIMIZE", "1");
  auto u = [](int v) { return std::to_string(static_cast<uint32_t>(v)); };
  std::string loc = u(p.left) + "," + u(p.top) + "," + u(p.width) + "," + u(p.height) + "," + u(p.splitX) + "," +
                    u(p.splitY);
  bool ok = core::WriteConfigString("MAXIMIZE", nullptr);
  ok = core::WriteConfigString("LOC", loc.c_str()) && ok;
  if (!ok) core::LogMessage("The window location could not be written to %s.", core::Files().settingsFile.c_str());
  return ok;
}

// ---- DLG_PROG_OPTIONS ------------------------------------------------------------------------

void ProgramOptionsDialog::Open() {
  const core::ProgramSettings& s = Settings();
  Check(c_.layout, s.layout != 0);
  Check(c_.bontop, s.bontop != 0);
  Check(c_.longdir, s.longdir != 0);
  Check(c_.autosave, s.autosave != 0);
  Check(c_.vrfydel, s.vrfydel != 0);
  Check(c_.autostart, s.autostart != 0);
  Check(c_.verbose, s.verbose != 0);
  SetText(c_.viewer, core::ReadConfigString("VIEWER", "notepad", kViewerMax));
  SetText(c_.mailAddr, s.mailAddr);
  SetText(c_.logFile, core::ReadConfigString("logfile", "MIRVAN.LOG", kLogFileMax));
  Check(c_.doLog, core::ReadConfigInt("dolog", 1) != 0);
  Choose(c_.dblclk, s.dblclk == 0 ? 0 : s.dblclk == 1 ? 1 : 2);
  Check(c_.rateBits, s.tranrate != 1);
  Check(c_.rateBytes, s.tranrate == 1);
  SetText(c_.rbp, std::to_string(static_cast<uint32_t>(s.rbp)));
  SetText(c_.sbp, std::to_string(static_cast<uint32_t>(s.sbp)));
  Choose(c_.font, s.font >= 0 && s.font <= 4 ? s.font : 3);
  Check(c_.scale, s.scale != 0);
}

ProgramOptionsChange ProgramOptionsDialog::Save() {
  core::ProgramSettings& s = Settings();
  ProgramOptionsChange change;
  const int layout = Bit(c_.layout), bontop = Bit(c_.bontop);
  change.layout = layout != s.layout || bontop != s.bontop;
  s.layout = layout;
  PutConfig("LAYOUT", s.layout);
  s.bontop = bontop;
  PutConfig("BONTOP", s.bontop);
  s.longdir = Bit(c_.longdir);
  PutConfig("LONGDIR", s.longdir);
  s.autosave = Bit(c_.autosave);
  PutConfig("AUTOSAVE", s.autosave);
  s.vrfydel = Bit(c_.vrfydel);
  PutConfig("VRFYDEL", s.vrfydel);
  s.autostart = Bit(c_.autostart);
  PutConfig("AUTOSTART", s.autostart);
  s.verbose = Bit(c_.verbose);
  PutConfig("VERBOSE", s.verbose);
  PutConfigText("VIEWER", Text(c_.viewer), kViewerMax);
  s.mailAddr = FitField(Text(c_.mailAddr), kMailAddrMax);
  PutConfigText("MAILADDR", s.mailAddr, kMailAddrMax);
  const int chosenFont = Choice(c_.font);
  const int font = chosenFont >= 0 ? chosenFont : s.font;
  const int scale = Bit(c_.scale);
  change.font = font != s.font || scale != s.scale;
  s.font = font;
  PutConfig("FONT", s.font);
  s.scale = scale;
  PutConfig("SCALE", s.scale);
  const int dblclk = Choice(c_.dblclk);
  s.dblclk = dblclk == 0 ? 0 : dblclk == 1 ? 1 : 2;
  PutConfig("DBLCLK", s.dblclk);
  s.rbp = ClampedField(Text(c_.rbp), kMinBlockSize, kMaxBlockSize);
  PutConfig("RBP", s.rbp);
  s.sbp = ClampedField(Text(c_.sbp), kMinBlockSize, kMaxBlockSize);
  PutConfig("SBP", s.sbp);
  PutConfig("dolog", Bit(c_.doLog));
  s.tranrate = Bit(c_.rateBytes);
  PutConfig("tranrate", s.tranrate);
  PutConfigText("logfile", Text(c_.logFile), kLogFileMax);
  return change;
}

// ---- DLG_SES_OPTIONS -------------------------------------------------------------------------

void SessionOptionsDialog::Open() {
  const core::ProgramSettings& s = Settings();
  const profiles::SessionProfile& p = profiles::CurrentProfile();
  if (c_.hostType) {
    c_.hostType->Clear();
    for (int code = ftp::kHostFirst; code <= ftp::kHostLast; ++code) c_.hostType->AddString(ftp::HostTypeName(code));
    const std::string wanted = ftp::HostTypeName(p.hostType);
    c_.hostType->SetCurSel(-1);
    for (int i = 0; i < c_.hostType->Count(); ++i)
      if (!wanted.empty() && c_.hostType->ItemText(i) == wanted) c_.hostType->SetCurSel(i);
  }
  Check(c_.doupdate, s.doupdate != 0);
  Check(c_.hash, s.hash != 0);
  Check(c_.passive, p.passive != 0);
  Check(c_.sortlbx, s.sortlbx != 0);
  Check(c_.firewall, p.useFirewall != 0);
  Check(c_.forclow, s.forclow != 0);
  Check(c_.convext, s.convext != 0);
  Check(c_.stou, s.stou != 0);
  Check(c_.recu, s.recu != 0);
  Check(c_.prompt, s.prompt != 0);
  Choose(c_.sound, s.bell == 1 && s.usewave == 1 ? 2 : s.bell == 1 ? 1 : 0);
  Choose(c_.mode, s.amode == 1 ? 3 : s.mode == kModeAscii ? 0 : s.mode == kModeL8 ? 2 : 1);
  Check(c_.linksAsDirs, s.vlink == 1);
  Check(c_.linksAsFiles, s.vlink != 1);
  Check(c_.modernFtp, s.modernftp != 0);
  Check(c_.resume, s.resume != 0);
  SetText(c_.keepAlive, std::to_string(s.keepalive < 0 ? 0 : s.keepalive));
}

int SessionOptionsDialog::SelectedHostType() const {
  if (!c_.hostType) return ftp::kHostAutomatic;
  // The selected entry; a name typed into the field counts when it is one of the list's.
  std::string text = c_.hostType->CurSel() >= 0 ? c_.hostType->ItemText(c_.hostType->CurSel()) : c_.hostType->Text();
  for (int code = ftp::kHostFirst; code <= ftp::kHostLast; ++code)
    if (!text.empty() && core::EqualNoCase(text, ftp::HostTypeName(code))) return code;
  return ftp::kHostAutomatic;
}

int SessionOptionsDialog::SoundChoice() const { return Checked(c_.sound[2]) ? 2 : Checked(c_.sound[1]) ? 1 : 0; }

int SessionOptionsDialog::ModeChoice() const {
  int m = Choice(c_.mode);
  return m < 0 ? 1 : m;
}

SessionOptionsChange SessionOptionsDialog::Save() {
  core::ProgramSettings& s = Settings();
  profiles::SessionProfile& p = profiles::CurrentProfile();
  auto put = [](const char* key, int value) { profiles::WriteSessionInt(key, value); };
  SessionOptionsChange change;
  s.stou = Bit(c_.stou);
  put("STOU", s.stou);
  s.recu = Bit(c_.recu);
  put("RECU", s.recu);
  p.passive = Bit(c_.passive);
  put("PASVMODE", p.passive);
  s.doupdate = Bit(c_.doupdate);
  put("DOUPDATE", s.doupdate);
  s.hash = Bit(c_.hash);
  put("HASH", s.hash);
  s.prompt = Bit(c_.prompt);
  put("PROMPT", s.prompt);
  s.forclow = Bit(c_.forclow);
  put("FORCLOW", s.forclow);
  s.convext = Bit(c_.convext);
  put("CONVEXT", s.convext);
  const int sound = SoundChoice();
  s.bell = sound != 0 ? 1 : 0;
  put("BELL", s.bell);
  s.usewave = sound == 2 ? 1 : 0;
  put("usewave", s.usewave);
  const int mode = ModeChoice();
  if (mode == 3) {
    s.amode = 1;  // the mode character stays as it was
  } else {
    s.amode = 0;
    s.mode = mode == 0 ? kModeAscii : mode == 2 ? kModeL8 : kModeBinary;
  }
  put("AMODE", s.amode);
  put("MODE", s.mode);
  const int sortlbx = Bit(c_.sortlbx);
  change.sortlbx = sortlbx != s.sortlbx;
  s.sortlbx = sortlbx;
  put("SORTLBX", s.sortlbx);
  s.vlink = Bit(c_.linksAsDirs);
  put("VLINK", s.vlink);
  const int hostType = SelectedHostType();
  change.hostType = hostType != p.hostType;
  p.hostType = hostType;
  if (!p.name.empty()) core::WriteSettingInt(p.name, "TYPE", hostType);
  p.useFirewall = Bit(c_.firewall);
  put("FIREWALL", p.useFirewall);
  s.modernftp = Bit(c_.modernFtp);
  put("MODERNFTP", s.modernftp);
  s.resume = Bit(c_.resume);
  put("RESUME", s.resume);
  s.keepalive = ClampedField(Text(c_.keepAlive), 0, kMaxKeepAlive);
  put("KEEPALIVE", s.keepalive);
  return change;
}

void SessionOptionsDialog::SaveAsDefault() {
  const int sound = SoundChoice(), mode = ModeChoice();
  PutConfig("FIREWALL", Bit(c_.firewall));
  PutConfig("PASVMODE", Bit(c_.passive));
  PutConfig("DOUPDATE", Bit(c_.doupdate));
  PutConfig("HASH", Bit(c_.hash));
  PutConfig("STOU", Bit(c_.stou));
  PutConfig("RECU", Bit(c_.recu));
  PutConfig("PROMPT", Bit(c_.prompt));
  PutConfig("FORCLOW", Bit(c_.forclow));
  PutConfig("CONVEXT", Bit(c_.convext));
  PutConfig("BELL", sound != 0 ? 1 : 0);
  PutConfig("usewave", sound == 2 ? 1 : 0);
  PutConfig("AMODE", mode == 3 ? 1 : 0);
  PutConfig("MODE", mode == 0 ? kModeAscii : mode == 2 ? kModeL8 : kModeBinary);
  PutConfig("SORTLBX", Bit(c_.sortlbx));
  PutConfig("VLINK", Bit(c_.linksAsDirs));
  PutConfig("MODERNFTP", Bit(c_.modernFtp));
  PutConfig("RESUME", Bit(c_.resume));
  PutConfig("KEEPALIVE", ClampedField(Text(c_.keepAlive), 0, kMaxKeepAlive));
}

void ApplySessionOptionsChange(MainWindowState& w, const SessionOptionsChange& change) {
  // A listing or a batch may be filling the remote lists right now (the window answers while it
  // works): the list must not be destroyed under it, nor the listing parsed twice at once.
  if ((change.sortlbx || change.hostType) && (core::IsBusy() || WorkerRunning())) {
    core::LogMessage("The remote lists follow the new options at the next connection.");
    EnableAllButtons(w);
    return;
  }
  if (change.sortlbx && w.host) {
    if (ui::ListBox* files = w.host->RecreateRemoteFileList()) w.remote.files = files;
    AttachRemotePane(w);
  }
  if ((change.hostType || change.sortlbx) && ftp::Conn().connected) listing::ShowCurrentListingAgain();
  EnableAllButtons(w);
}

}  // namespace app
