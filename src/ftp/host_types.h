// Server families ("host types"): their names, and recognising the server from its greeting,
// its SYST reply and its HELP reply, with the capabilities each family allows.
#pragma once
#include <string>

#include "ftp/host_type_codes.h"
#include "platform/net.h"
#include "ui/controls.h"

namespace ftp {


// What the session knows of the server beyond its type (the type is CurrentProfile().hostType).
struct HostFacts {
  int hostTypeKnown = 0;   // detection before the first listing has run
  int canMkd = 0, canRmd = 0, canRename = 0, canDele = 0;
  int useCdup = 1;         // ".." is sent as CDUP
  void Reset();            // also what closing a session does
};
HostFacts& Host();

// The name of a host type; "" for a code outside 6000-6040.
const char* HostTypeName(int code);

// Offers one greeting line: while the current type is automatic, the first pattern that the
// line contains sets the type (logged). Returns the (possibly new) type.
int DetectHostTypeFromGreeting(const std::string& line);

// Before the first listing: settles the type (SYST, then the HELP scan), the capability
// flags and UseCdup, updates the remote buttons and sets hostTypeKnown (see the RSX case).
void DetectHostType(platform::Socket s);

// The remote MkDir, RmDir, Rename and Delete buttons follow the capability flags (through the
// front end).
void UpdateRemoteButtons();

}  // namespace ftp
