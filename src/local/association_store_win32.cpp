// The association store on Windows: the user profile's [Extensions] section.
#include <windows.h>

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

}  // namespace local
