// Session profiles in the settings file: load, save, the password scrambling, the list.
#pragma once
#include <string>

#include "profiles/session_profile.h"
#include "ui/controls.h"

namespace profiles {

// Fills the record from the section named by its name (missing keys give the defaults; an
// anonymous login without a password asks for the e-mail address). Returns 1.
int LoadSessionProfile(SessionProfile& profile);
// Rewrites the profile's section from the record; 1, or 0 when the record has no name or
// the file could not be written.
int SaveSessionProfile(const SessionProfile& profile);

// The stored form of a password: for users other than "anonymous" two upper-case hex digits
// per character (its byte value plus its position, modulo 256); "anonymous" stores it as is.
std::string ScramblePassword(const std::string& user, const std::string& password);
// The clear password of a stored form (a trailing odd digit is ignored).
std::string UnscramblePassword(const std::string& user, const std::string& stored);

// Empties the combo box and adds every section name of the settings file but "_config_".
void ListProfiles(ui::ComboBox& combo);

}  // namespace profiles
