// The two profile records, the firewall login and the start-up loading hook.
#include "profiles/session_profile.h"

#include "profiles/profile_store.h"

namespace profiles {
namespace {
ProfileLoader& Loader() {
  static ProfileLoader loader;
  return loader;
}
}  // namespace

SessionProfile& CurrentProfile() {
  static SessionProfile p;
  return p;
}

SessionProfile& WorkingProfile() {
  static SessionProfile p;
  return p;
}

FirewallLogin& Firewall() {
  static FirewallLogin f;
  return f;
}

void SetStartupProfileLoader(ProfileLoader loader) { Loader() = std::move(loader); }

int LoadStartupProfile(SessionProfile& profile) {
  if (Loader()) return Loader()(profile);
  return LoadSessionProfile(profile);
}

}  // namespace profiles
