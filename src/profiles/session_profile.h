// The session profile record and its two process-wide instances.
#pragma once
#include <functional>
#include <string>

namespace profiles {

struct SessionProfile {
  std::string name;          // the section name
  std::string host;          // HOST, default the profile name
  std::string user;          // UID
  std::string password;      // PWD (scrambled on disk), clear in memory
  std::string account;       // ACT
  std::string remoteDir;     // DIR
  std::string localDir;      // LOCDIR ("origdir": the start directory)
  std::string initCommand;   // INITCMD
  std::string localMask;     // LMASK
  std::string remoteMask;    // RMASK
  int timeout = 65;          // TIMEOUT, seconds
  int hostType = 6000;       // TYPE, 6000 = automatic detection
  int port = 21;             // PORT
  int firewallType = 0;      // FIRETYPE (only written)
  int retries = 0;           // RETRIES
  int savePassword = 0;      // 1: the password is stored in the file
  int passive = 0;           // PASVMODE
  int useFirewall = 0;       // FIREWALL
};

// The firewall login shared by all profiles (section "FIREWALL").
struct FirewallLogin {
  std::string host, user, password;
};

SessionProfile& CurrentProfile();
SessionProfile& WorkingProfile();
FirewallLogin& Firewall();

// Start-up loads the start-up profile with LoadSessionProfile, or through this hook when one
// is installed (tests).
using ProfileLoader = std::function<int(SessionProfile&)>;
void SetStartupProfileLoader(ProfileLoader loader);
int LoadStartupProfile(SessionProfile& profile);

}  // namespace profiles
