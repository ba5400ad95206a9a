// Logging in: the greeting, USER/PASS/ACCT with prompts for what is missing, and the five
// ways through a firewall or proxy.
#pragma once
#include <string>

#include "platform/net.h"
#include "profiles/session_profile.h"
#include "ui/controls.h"

namespace ftp {

constexpr const char* kFirewallSection = "FIREWALL";

// Opens the control connection for the profile and logs in. The control socket (store it in
// ctrl_skt), or kNoSocket with the connection closed and one log line saying why. Passwords
// and the account typed at a prompt are kept in the profile in memory.
platform::Socket Login(profiles::SessionProfile& profile);

// Changes the current local directory (a drive letter first where the path names one);
// 1, or 0 when it cannot be entered.
int SetLocalDir(const std::string& path);


}  // namespace ftp
