// The logic of the session profile dialog (DLG_HOST) and of its advanced parameters
// (DLG_ADV_CONNECT), over control interfaces; the Win32 procedures only forward to it.
#pragma once
#include <string>

#include "profiles/session_profile.h"
#include "ui/controls.h"

namespace app {

constexpr int kSessionHelp = 30;   // the session dialog, and F1/F2 in the advanced one
constexpr int kAdvancedHelp = 35;  // the advanced dialog's Help button
constexpr int kMaxRetries = 40;
constexpr const char* kSessionCaption = "Session Profile";
constexpr const char* kAdvancedCaption = "Advanced Profile Parameters";

// ---- Values the settings file gives back unchanged ----------------------------------------

// The text cut to at most `maxBytes` bytes, never inside a UTF-8 sequence, with control
// characters removed and a UTF-8 sequence left incomplete at its end (a value cut by an
// earlier reader) dropped.
std::string FitField(const std::string& text, size_t maxBytes);
// The form to write for a value so that the settings reader (which strips surrounding blanks
// and one pair of matching quotes) returns exactly `value`.
std::string IniSafeValue(const std::string& value);
// Why a profile may not be saved under its name and host ("" when it may): no name and no
// host, "[" or "]" in the name, or a name reserved for the program settings or the firewall.
std::string ProfileSaveProblem(const profiles::SessionProfile& profile);
// Brings the numbers of a record into the ranges that mean something and read back unchanged:
// port 1-65535 (else 21), retries 0-40, time-out above 0 (else 65), host type 6000-6040
// (else 6000), firewall type 0-4 or 99 (else 0).
void NormaliseProfileNumbers(profiles::SessionProfile& profile);
// Saves the record with SaveSessionProfile, every text in its safe form, and writes COMMENT
// (an empty comment deletes the key). 1, or 0 when the file could not be written.
int SaveProfileWithComment(const profiles::SessionProfile& profile, const std::string& comment);
// Parses a number field as an unsigned number: blanks around digits; anything else is 0;
// values beyond 2147483647 saturate there.
long long ParseUnsignedField(const std::string& text);

// ---- DLG_HOST ------------------------------------------------------------------------------

struct SessionControls {
  ui::ComboBox* name = nullptr;         // 105, sorted, with an edit field
  ui::Edit* host = nullptr;             // 106
  ui::ComboBox* hostType = nullptr;     // 107, sorted drop-down list
  ui::Edit* user = nullptr;             // 108
  ui::Edit* password = nullptr;         // 109
  ui::Edit* account = nullptr;          // 119
  ui::Edit* remoteDir = nullptr;        // 110
  ui::Edit* localDir = nullptr;         // 832
  ui::Edit* comment = nullptr;          // 954
  ui::Button* anonymous = nullptr;      // 111
  ui::Button* savePassword = nullptr;   // 113
  ui::Button* autoSave = nullptr;       // 837
};

// What the logic asks of the dialog window besides its controls.
class SessionWindow {
 public:
  virtual ~SessionWindow() = default;
  // Shows the password with "*" for each character, or in clear.
  virtual void SetPasswordMasked(bool masked) = 0;
  // Puts the focus on the profile name (105).
  virtual void FocusProfileName() = 0;
  // Runs the advanced dialog over this one; 1 on OK.
  virtual int RunAdvanced() = 0;
};

// Works on WorkingProfile; CurrentProfile is only read (Cancel restores from it).
class SessionDialog {
 public:
  SessionDialog(const SessionControls& controls, SessionWindow& window) : c_(controls), window_(window) {}
  // Fills the lists, loads a copy of CurrentProfile and shows it.
  void Open();
  // Ok: takes the fields and saves them when AUTOSAVE is on. True when the dialog closes
  // with 1; false (a message says why) when there is no host to connect to or the save was
  // refused.
  bool Ok();
  // Save: takes the fields and saves the profile, adding its name to the list. False (with a
  // message) when refused or not written.
  bool Save();
  // Cancel and the close box: WorkingProfile becomes CurrentProfile again.
  void Cancel();
  // Delete: removes the named section and shows the profile now selected.
  void Delete();
  // New: every field at its default, no name.
  void New();
  // The name field changed (an item chosen, typed, or the field left): shows that profile
  // when the settings file has a host for it.
  void NameChanged(const std::string& text);
  // The "Anonymous Login" box was clicked (its new state is read from the control).
  void AnonymousClicked();
  void Advanced() { window_.RunAdvanced(); }
  void Help();

  // Loads the profile of that name into WorkingProfile and shows it (not the name or AUTOSAVE).
  void Fill(const std::string& name);
  // Copies the fields into WorkingProfile (AUTOSAVE too), with the numbers normalised.
  void TakeFields();

 private:
  void ShowProfileFields(bool askMail);
  void SelectHostType(int code);
  int SelectedHostType() const;
  bool SaveWorking();
  const SessionControls c_;
  SessionWindow& window_;
};

// ---- DLG_ADV_CONNECT -----------------------------------------------------------------------

struct AdvancedControls {
  ui::Edit* retries = nullptr;          // 835
  ui::Edit* timeout = nullptr;          // 4040
  ui::Edit* port = nullptr;             // 117
  ui::Edit* initCommand = nullptr;      // 909
  ui::Edit* localMask = nullptr;        // 2408
  ui::Edit* remoteMask = nullptr;       // 955
  ui::Button* passive = nullptr;        // 836
  ui::Button* useFirewall = nullptr;    // 120
  ui::Edit* firewallHost = nullptr;     // 106
  ui::Edit* firewallUser = nullptr;     // 108
  ui::Edit* firewallPassword = nullptr; // 109
  ui::Edit* firewallPort = nullptr;     // 118
  ui::Button* firewallSavePassword = nullptr;  // 113
  ui::Button* firewallType[5] = {};     // 901-905
};

// Works on WorkingProfile and writes the section "FIREWALL".
class AdvancedDialog {
 public:
  explicit AdvancedDialog(const AdvancedControls& controls) : c_(controls) {}
  void Open();
  // "Use Firewall" clicked: the firewall fields follow the box.
  void FirewallSwitch();
  // OK: true when the dialog closes with 1; false (with a message, nothing changed) when a
  // port is beyond 65535.
  bool Ok();

 private:
  const AdvancedControls c_;
};

}  // namespace app
