// Portable pieces of start-up and shutdown: the banner, the version, the "FTP Menu" layout.
#pragma once
#include <string>
#include <vector>

namespace app {

constexpr const char* kProgramName = "MIRVAN32";
constexpr const char* kProgramVersion = "3.00";
constexpr const char* kOwnershipNotice = "Copyright (c) 2026 the MIRVAN32 developers";

// The two banner lines, then the sound settings (usewave from "_config_", the sound files).
void WriteStartupBanner(const std::string& winsockDescription);

// The "FTP Menu" popup, as a table the Win32 shell turns into menus.
struct MenuEntry {
  enum Kind { kItem, kSeparator, kTitle, kSubmenu } kind;
  std::string text;
  int id = 0;
  std::vector<MenuEntry> children;  // submenu entries
};
const std::vector<MenuEntry>& FtpMenuLayout();

}  // namespace app
