// The session profile dialog and its advanced parameters: taking and showing the fields,
// Save/Delete/New, the anonymous login, the clamps and the firewall login's section.
#include "app/session_dialog.h"

#include <cctype>
#include <cstdint>
#include <vector>

#include "core/help.h"
#include "core/ini.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/host_types.h"
#include "profiles/profile_store.h"
#include "ui/message_box.h"
#include "core/text.h"

namespace app {
namespace {

namespace ini = core::ini;
using profiles::SessionProfile;

constexpr const char* kFirewallSection = "FIREWALL";
constexpr int kHelpMailAddress = 270;

using core::EqualNoCase;
using core::IsBlank;
using core::Trim;


bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence a lead byte opens; 0 for anything else.
size_t SequenceLength(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

// True for text that holds at least one multi-byte UTF-8 sequence and nothing that is not
// UTF-8 (a sequence cut short at the very end is allowed).
bool LooksLikeUtf8(const std::string& s) {
  bool multi = false;
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = SequenceLength(c);
    if (len == 0) return false;
    for (size_t j = i + 1; j < i + len && j < s.size(); ++j)
      if (!IsContinuation(static_cast<unsigned char>(s[j]))) return false;
    if (i + len <= s.size()) multi = true;
    i += len;
  }
  return multi;
}

std::string Unsigned(long long v) { return std::to_string(static_cast<uint32_t>(v)); }

void Warn(const std::string& text, const char* caption) {
  ui::ShowMessageBox(text, caption, ui::kMbOk | ui::kMbIconExclamation);
}

bool IsAnonymous(const std::string& user) { return EqualNoCase(user, "anonymous"); }

// Asks for the e-mail address while none is known and the user does not cancel; a new
// address is kept in "_config_". Returns the address (maybe empty).
std::string AskMailAddress() {
  core::ProgramSettings& s = core::Settings();
  bool asked = false;
  core::Prompts().currentHelpContext = kHelpMailAddress;
  while (s.mailAddr.empty()) {
    asked = true;
    if (!core::GetInputString(&s.mailAddr, "Enter your e-mail address:")) break;
  }
  core::Prompts().currentHelpContext = 0;
  if (asked && !s.mailAddr.empty()) core::WriteConfigString("MAILADDR", IniSafeValue(FitField(s.mailAddr, 127)).c_str());
  return s.mailAddr;
}

}  // namespace

// ---- Values the settings file gives back unchanged ----------------------------------------

std::string FitField(const std::string& text, size_t maxBytes) {
  std::string s;
  s.reserve(text.size());
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7F) s += ch;
  }
  // Only text that is evidently UTF-8 is cut by characters; any other 8-bit text (a Windows
  // code page) has one byte per character.
  bool utf8 = LooksLikeUtf8(s);
  if (s.size() > maxBytes) {
    size_t cut = maxBytes;
    while (utf8 && cut > 0 && IsContinuation(static_cast<unsigned char>(s[cut]))) --cut;
    s.resize(cut);
  }
  if (utf8) {
    // A sequence left incomplete at the end (cut above, or by an earlier reader) is dropped.
    size_t k = 0;
    while (k < 3 && k < s.size() && IsContinuation(static_cast<unsigned char>(s[s.size() - 1 - k]))) ++k;
    if (k < s.size() && SequenceLength(static_cast<unsigned char>(s[s.size() - 1 - k])) > k + 1) s.resize(s.size() - 1 - k);
  }
  return s;
}

std::string IniSafeValue(const std::string& value) {
  if (value.empty()) return value;
  bool blankEdge = IsBlank(value.front()) || IsBlank(value.back());
  bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  return blankEdge || quoted ? "\"" + value + "\"" : value;
}

std::string ProfileSaveProblem(const SessionProfile& p) {
  if (p.name.empty() && p.host.empty())
    return "Enter a profile name or a host name before saving the profile.";
  if (p.name.find_first_of("[]") != std::string::npos)
    return "A profile name cannot contain \"[\" or \"]\": \"" + p.name + "\" was not saved.";
  if (EqualNoCase(p.name, core::kConfigSection))
    return "\"" + p.name + "\" holds the program settings and cannot be used as a profile name.";
  if (EqualNoCase(p.name, kFirewallSection))
    return "\"" + p.name +
           "\" holds the firewall login (change it with Advanced...) and cannot be used as a profile name.";
  return "";
}

void NormaliseProfileNumbers(SessionProfile& p) {
  if (p.port < 1 || p.port > 65535) p.port = 21;
  if (p.retries < 0) p.retries = 0;
  if (p.retries > kMaxRetries) p.retries = kMaxRetries;
  if (p.timeout <= 0) p.timeout = 65;
  if (p.hostType < ftp::kHostFirst || p.hostType > ftp::kHostLast) p.hostType = ftp::kHostAutomatic;
  if ((p.firewallType < 0 || p.firewallType > 4) && p.firewallType != 99) p.firewallType = 0;
}

int SaveProfileWithComment(const SessionProfile& profile, const std::string& comment) {
  SessionProfile p = profile;
  for (std::string* text : {&p.host, &p.user, &p.account, &p.remoteDir, &p.localDir, &p.initCommand, &p.localMask,
                            &p.remoteMask})
    *text = IniSafeValue(*text);
  if (p.user == "anonymous") p.password = IniSafeValue(p.password);  // stored in clear
  if (!profiles::SaveSessionProfile(p)) return 0;
  std::string c = IniSafeValue(FitField(comment, 79));
  return ini::Write(core::Files().settingsFile, p.name, "COMMENT", c.empty() ? nullptr : c.c_str()) ? 1 : 0;
}

long long ParseUnsignedField(const std::string& text) {
  std::string t = Trim(text);
  if (t.empty()) return 0;
  long long v = 0;
  for (char ch : t) {
    if (ch < '0' || ch > '9') return 0;
    v = v * 10 + (ch - '0');
    if (v > INT32_MAX) v = INT32_MAX;
  }
  return v;
}

// ---- DLG_HOST ------------------------------------------------------------------------------

void SessionDialog::Open() {
  profiles::ListProfiles(*c_.name);
  c_.hostType->Clear();
  for (int code = ftp::kHostFirst; code <= ftp::kHostLast; ++code) c_.hostType->AddString(ftp::HostTypeName(code));
  SessionProfile& w = profiles::WorkingProfile();
  w = profiles::CurrentProfile();
  Fill(w.name);
  c_.name->SetText(w.name);
  c_.autoSave->SetChecked(core::Settings().autosave != 0);
}

void SessionDialog::Fill(const std::string& name) {
  SessionProfile& w = profiles::WorkingProfile();
  w.name = name;
  profiles::LoadSessionProfile(w);  // asks for the e-mail address of an anonymous login
  c_.host->SetText(w.host);
  SelectHostType(w.hostType);
  c_.user->SetText(w.user);
  c_.account->SetText(w.account);
  c_.savePassword->SetChecked(w.savePassword == 1);
  bool anonymous = IsAnonymous(w.user);
  c_.anonymous->SetChecked(anonymous);
  window_.SetPasswordMasked(!anonymous);
  c_.password->SetText(w.password);
  c_.remoteDir->SetText(w.remoteDir);
  c_.localDir->SetText(w.localDir);
  c_.comment->SetText(name.empty() ? "" : ini::ReadString(core::Files().settingsFile, name, "COMMENT", "", 79));
}

void SessionDialog::SelectHostType(int code) {
  const char* wanted = ftp::HostTypeName(code);
  for (int i = 0; i < c_.hostType->Count(); ++i) {
    if (*wanted && c_.hostType->ItemText(i) == wanted) {
      c_.hostType->SetCurSel(i);
      return;
    }
  }
  c_.hostType->SetCurSel(-1);
}

int SessionDialog::SelectedHostType() const {
  std::string text = c_.hostType->ItemText(c_.hostType->CurSel());
  for (int code = ftp::kHostFirst; code <= ftp::kHostLast; ++code)
    if (!text.empty() && text == ftp::HostTypeName(code)) return code;
  return ftp::kHostAutomatic;
}

void SessionDialog::TakeFields() {
  SessionProfile& w = profiles::WorkingProfile();
  core::Settings().autosave = c_.autoSave->IsChecked() ? 1 : 0;
  w.host = Trim(FitField(c_.host->Text(), 79));
  w.name = Trim(FitField(c_.name->Text(), 79));
  if (w.name.empty()) w.name = w.host;
  w.user = FitField(c_.user->Text(), 79);
  w.password = FitField(c_.password->Text(), 79);
  w.account = FitField(c_.account->Text(), 79);
  w.savePassword = c_.savePassword->IsChecked() ? 1 : 0;
  w.hostType = SelectedHostType();
  w.remoteDir = FitField(c_.remoteDir->Text(), 143);
  w.localDir = FitField(c_.localDir->Text(), 143);
  NormaliseProfileNumbers(w);
}

bool SessionDialog::SaveWorking() {
  const SessionProfile& w = profiles::WorkingProfile();
  std::string problem = ProfileSaveProblem(w);
  if (!problem.empty()) {
    Warn(problem, kSessionCaption);
    return false;
  }
  if (!SaveProfileWithComment(w, c_.comment->Text())) {
    Warn("The profile \"" + w.name + "\" could not be written to the settings file " + core::Files().settingsFile +
             ".",
         kSessionCaption);
    return false;
  }
  return true;
}

bool SessionDialog::Ok() {
  TakeFields();
  const SessionProfile& w = profiles::WorkingProfile();
  bool autoSave = core::Settings().autosave == 1;
  std::string problem = autoSave ? ProfileSaveProblem(w) : std::string();
  if (problem.empty() && w.host.empty())
    problem = "Enter the name or address of the server to connect to in \"Host Name\".";
  if (!problem.empty()) {
    Warn(problem, kSessionCaption);
    window_.FocusProfileName();
    return false;
  }
  if (autoSave) SaveWorking();  // a file that cannot be written is reported; the connection goes ahead
  return true;
}

bool SessionDialog::Save() {
  TakeFields();
  bool saved = SaveWorking();
  if (saved) {
    const std::string& name = profiles::WorkingProfile().name;
    // The file keeps one section whatever the case of its name: so does the list.
    std::vector<std::string> items;
    bool exact = false;
    for (int i = 0; i < c_.name->Count(); ++i) {
      std::string item = c_.name->ItemText(i);
      exact = exact || item == name;
      if (item == name || !EqualNoCase(item, name)) items.push_back(item);
    }
    if (!exact) items.push_back(name);
    if (static_cast<int>(items.size()) != c_.name->Count() || !exact) {
      c_.name->Clear();
      for (const auto& item : items) c_.name->AddString(item);
    }
    c_.name->SetText(name);
  }
  window_.FocusProfileName();
  return saved;
}

void SessionDialog::Cancel() { profiles::WorkingProfile() = profiles::CurrentProfile(); }

void SessionDialog::Delete() {
  std::string text = Trim(c_.name->Text());
  if (text.empty()) {
    Fill("");
    window_.FocusProfileName();
    return;
  }
  if (EqualNoCase(text, core::kConfigSection)) {
    Warn("\"" + text + "\" holds the program settings and cannot be deleted here.", kSessionCaption);
    window_.FocusProfileName();
    return;
  }
  if (!ini::Write(core::Files().settingsFile, text, nullptr, nullptr)) {
    Warn("The profile \"" + text + "\" could not be deleted from the settings file " + core::Files().settingsFile +
             ".",
         kSessionCaption);
    window_.FocusProfileName();
    return;
  }
  int at = -1;
  std::vector<std::string> items;
  for (int i = 0; i < c_.name->Count(); ++i) {
    std::string item = c_.name->ItemText(i);
    if (at < 0 && item == text) at = i;
    else items.push_back(item);
  }
  if (at >= 0) {
    c_.name->Clear();
    for (const auto& item : items) c_.name->AddString(item);
    int count = c_.name->Count();
    if (count > 0) c_.name->SetCurSel(at < count ? at : 0);  // the edit field shows the item
    else c_.name->SetText("");
  }
  Fill(Trim(c_.name->Text()));
  window_.FocusProfileName();
}

void SessionDialog::New() {
  Fill("");
  c_.name->SetCurSel(-1);
  c_.name->SetText("");
  window_.FocusProfileName();
}

void SessionDialog::NameChanged(const std::string& text) {
  SessionProfile& w = profiles::WorkingProfile();
  std::string name = Trim(text);
  if (name == w.name) return;  // unchanged: the fields keep what the user typed in them
  w.name = name;
  if (!name.empty() && !ini::ReadString(core::Files().settingsFile, name, "HOST", "").empty()) Fill(name);
}

void SessionDialog::AnonymousClicked() {
  if (c_.anonymous->IsChecked()) {
    c_.user->SetText("anonymous");
    c_.password->SetText(AskMailAddress());
    profiles::WorkingProfile().account.clear();
    c_.account->SetText("");
    window_.SetPasswordMasked(false);
  } else {
    window_.SetPasswordMasked(true);
  }
}

void SessionDialog::Help() { core::ShowHelp(kSessionHelp); }

// ---- DLG_ADV_CONNECT -----------------------------------------------------------------------

void AdvancedDialog::Open() {
  SessionProfile shown = profiles::WorkingProfile();
  NormaliseProfileNumbers(shown);
  c_.retries->SetText(Unsigned(shown.retries));
  c_.timeout->SetText(Unsigned(shown.timeout));
  c_.port->SetText(Unsigned(shown.port));
  c_.passive->SetChecked(shown.passive == 1);
  c_.localMask->SetText(shown.localMask);
  c_.remoteMask->SetText(shown.remoteMask);
  c_.initCommand->SetText(shown.initCommand);
  c_.useFirewall->SetChecked(shown.useFirewall == 1);

  const std::string& file = core::Files().settingsFile;
  profiles::FirewallLogin& fw = profiles::Firewall();
  std::string host = ini::ReadString(file, kFirewallSection, "HOST", "", 79);
  if (!host.empty()) {
    fw.host = host;
    fw.user = ini::ReadString(file, kFirewallSection, "UID", "", 79);
    bool stored = ini::HasKey(file, kFirewallSection, "PWD");
    fw.password = stored ? profiles::UnscramblePassword(fw.user, ini::ReadString(file, kFirewallSection, "PWD", ""))
                         : std::string();
    c_.firewallSavePassword->SetChecked(stored);
    int port = shown.port < 10 ? 21 : shown.port;
    c_.firewallPort->SetText(Unsigned(ini::ReadInt(file, kFirewallSection, "PORT", port)));
  } else {
    c_.firewallPort->SetText("");
  }
  c_.firewallHost->SetText(fw.host);
  c_.firewallUser->SetText(fw.user);
  c_.firewallPassword->SetText(fw.password);
  int type = ini::ReadInt(file, kFirewallSection, "FIRETYPE", 1);
  if (type < 0 || type > 4) type = 1;
  for (int i = 0; i < 5; ++i) c_.firewallType[i]->SetChecked(i == type);
  FirewallSwitch();
}

void AdvancedDialog::FirewallSwitch() {
  bool on = c_.useFirewall->IsChecked();
  for (ui::Control* control : {static_cast<ui::Control*>(c_.firewallHost), static_cast<ui::Control*>(c_.firewallUser),
                               static_cast<ui::Control*>(c_.firewallPassword),
                               static_cast<ui::Control*>(c_.firewallPort)})
    control->SetEnabled(on);
  for (ui::Button* radio : c_.firewallType) radio->SetEnabled(on);
}

bool AdvancedDialog::Ok() {
  long long retries = ParseUnsignedField(c_.retries->Text());
  long long timeout = ParseUnsignedField(c_.timeout->Text());
  long long port = ParseUnsignedField(c_.port->Text());
  if (retries > kMaxRetries) retries = kMaxRetries;
  if (timeout == 0) timeout = 65;
  if (port < 10) port = 21;
  bool firewall = c_.useFirewall->IsChecked();
  long long firewallPort = ParseUnsignedField(c_.firewallPort->Text());
  if (firewallPort < 28) firewallPort = 21;
  // Nothing changes until every number is one a port can be.
  if (port > 65535 || (firewall && firewallPort > 65535)) {
    Warn(std::string(port > 65535 ? "The remote port" : "The firewall's port") +
             " must be a number from 1 to 65535.",
         kAdvancedCaption);
    return false;
  }

  SessionProfile& w = profiles::WorkingProfile();
  w.retries = static_cast<int>(retries);
  w.timeout = static_cast<int>(timeout);
  w.port = static_cast<int>(port);
  w.initCommand = FitField(c_.initCommand->Text(), 79);
  w.localMask = FitField(c_.localMask->Text(), 19);
  w.remoteMask = FitField(c_.remoteMask->Text(), 19);
  w.passive = c_.passive->IsChecked() ? 1 : 0;
  if (!firewall) {
    w.useFirewall = 0;
    return true;
  }
  w.useFirewall = 1;
  const std::string& file = core::Files().settingsFile;
  profiles::FirewallLogin& fw = profiles::Firewall();
  fw.host = Trim(FitField(c_.firewallHost->Text(), 79));
  fw.user = FitField(c_.firewallUser->Text(), 79);
  fw.password = FitField(c_.firewallPassword->Text(), 79);
  bool ok = ini::Write(file, kFirewallSection, "HOST", IniSafeValue(fw.host).c_str());
  ok = ini::Write(file, kFirewallSection, "UID", IniSafeValue(fw.user).c_str()) && ok;
  if (c_.firewallSavePassword->IsChecked()) {
    std::string stored = profiles::ScramblePassword(fw.user, fw.password);
    if (fw.user == "anonymous") stored = IniSafeValue(stored);
    ok = ini::Write(file, kFirewallSection, "PWD", stored.c_str()) && ok;
  } else {
    ok = ini::Write(file, kFirewallSection, "PWD", nullptr) && ok;
  }
  w.firewallType = 3;  // "Proxy OPEN" unless another kind is chosen
  for (int i : {0, 1, 2, 4})
    if (c_.firewallType[i]->IsChecked()) w.firewallType = i;
  ok = ini::WriteUnsigned(file, kFirewallSection, "FIRETYPE", w.firewallType) && ok;
  w.port = static_cast<int>(firewallPort);
  ok = ini::WriteUnsigned(file, kFirewallSection, "PORT", firewallPort) && ok;
  if (!ok) Warn("The firewall login could not be written to the settings file " + file + ".", kAdvancedCaption);
  return true;
}

}  // namespace app
