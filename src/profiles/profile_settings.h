// The per-profile lookups: "_config_" over the value held, the profile's section over that;
// and reading every start-up setting with the start-up profile.
#pragma once
#include <optional>
#include <string>

#include "profiles/session_profile.h"

namespace profiles {

// The two-level lookup: "_config_" over the value held, then the profile's section over that.
int ReadSessionInt(const std::string& key, int def);
int ReadProfileInt(const SessionProfile& profile, const std::string& key, int def);
// The per-profile write: stored in the profile's section only when it differs from "_config_".
bool WriteSessionInt(const std::string& key, int value);
bool WriteSectionInt(const std::string& section, const std::string& key, int value);

// Stores the current profile's name as SESSION.
bool SaveCurrentSessionName();

// Reads every start-up setting from the command line's options and the settings file,
// loads the start-up profile, and returns where the remaining arguments begin in
// `commandLine`, or nothing when none remain.
std::optional<size_t> ReadProgramSettings(const std::string& commandLine);

}  // namespace profiles
