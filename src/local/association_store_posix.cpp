// The association store where there is no Windows user profile: an [Extensions] section in a
// settings file of the per-user folder.
#include "core/ini.h"
#include "local/associations.h"
#include "platform/fs.h"

namespace local {
namespace {

std::string StoreFile() {
  std::string dir = platform::WindowsDirectory();
  return platform::JoinPath(dir.empty() ? platform::TempDirectory() : dir, ".mirvan-extensions.ini");
}

}  // namespace

std::string ReadAssociation(const std::string& ext) {
  if (ext.empty()) return "";
  return core::ini::ReadString(StoreFile(), "Extensions", ext, "", kAssociationMax);
}

bool WriteAssociation(const std::string& ext, const std::string& command) {
  return !ext.empty() && core::ini::Write(StoreFile(), "Extensions", ext.c_str(), command.c_str());
}

std::vector<std::pair<std::string, std::string>> ListAssociations() {
  std::vector<std::pair<std::string, std::string>> out;
  const std::string file = StoreFile();
  for (const std::string& ext : core::ini::KeyNames(file, "Extensions"))
    out.emplace_back(ext, core::ini::ReadString(file, "Extensions", ext, "", kAssociationMax));
  return out;
}

}  // namespace local
