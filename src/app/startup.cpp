// The start-up banner and the "FTP Menu" layout.
#include "app/startup.h"

#include "core/message_log.h"
#include "core/settings.h"
#include "transfer/rules.h"

namespace app {
using namespace core;

void WriteStartupBanner(const std::string& winsockDescription) {
  LogMessage("WINSOCK.DLL: %s", winsockDescription.c_str());
  LogMessage("%s %s, %s", kProgramName, kProgramVersion, kOwnershipNotice);
  transfer::LoadSounds();
}

const std::vector<MenuEntry>& FtpMenuLayout() {
  using E = MenuEntry;
  static const std::vector<MenuEntry> layout = {
      {E::kTitle, "FTP Menu", 0, {}},
      {E::kSeparator, "", 0, {}},
      {E::kSubmenu, "&Connection", 0,
       {{E::kItem, "&Connect", 1320, {}}, {E::kItem, "C&lose", 1321, {}}, {E::kSeparator, "", 0, {}},
        {E::kItem, "E&xit", 9042, {}}}},
      {E::kSubmenu, "&FTP Commands", 0,
       {{E::kItem, "CWD", 1301, {}},
        {E::kItem, "PWD", 1309, {}},
        {E::kItem, "HELP", 1303, {}},
        {E::kItem, "SYST", 1304, {}},
        {E::kItem, "SITE", 1305, {}},
        {E::kItem, "QUOTE", 1310, {}},
        {E::kSeparator, "", 0, {}},
        {E::kItem, "LIST", 1306, {}},
        {E::kItem, "NLST", 1308, {}},
        {E::kSeparator, "", 0, {}},
        {E::kItem, "RETR", 1311, {}},
        {E::kItem, "STOR", 1314, {}}}},
      {E::kItem, "&Associate...", 1601, {}},
      {E::kItem, "&Options...", 9036, {}},
      {E::kItem, "&Show log...", 5557, {}},
      {E::kItem, "&Help", 9041, {}},
      {E::kItem, "A&bout", 1500, {}},
  };
  return layout;
}

}  // namespace app
