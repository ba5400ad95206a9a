// The association store on Windows: the user profile's [Extensions] section.
#include <windows.h>

#include <cstring>

#include "local/associations.h"

namespace local {

std::string ReadAssociation(const std::string& ext) {
  if (ext.empty()) return "";
  char value[kAssociationMax + 1] = "";
  GetProfileStringA("Extensions", ext.c_str(), "", value, sizeof value);
  return value;
}

bool WriteAssociation(const std::string& ext, const std::string& command) {
  return !ext.empty() && WriteProfileStringA("Extensions", ext.c_str(), command.c_str()) != 0;
}

std::vector<std::pair<std::string, std::string>> ListAssociations() {
  std::vector<std::pair<std::string, std::string>> out;
  std::vector<char> keys(8192);
  for (;;) {  // the keys, each ended by a zero, the list by a second one
    DWORD n = GetProfileStringA("Extensions", nullptr, "", keys.data(), static_cast<DWORD>(keys.size()));
    if (n < keys.size() - 2 || keys.size() >= (1u << 20)) break;
    keys.resize(keys.size() * 2);
  }
  for (const char* k = keys.data(); *k; k += std::strlen(k) + 1) out.emplace_back(k, ReadAssociation(k));
  return out;
}

}  // namespace local
