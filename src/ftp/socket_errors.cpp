// The WinSock error texts: string-table ids 1-27 with built-in copies of their texts.
#include "ftp/socket_errors.h"

#include <cstdio>

#include "core/message_log.h"

namespace ftp {
namespace {

struct ErrorEntry {
  int code;
  int id;
};

constexpr ErrorEntry kErrorIds[] = {
    {10092, 1},  {10091, 2},  {10022, 3},  {11001, 4},  {11002, 4},  {11003, 5},  {11004, 6},
    {10093, 7},  {10050, 8},  {10036, 9},  {10004, 10}, {10047, 11}, {10024, 12}, {10055, 13},
    {10043, 14}, {10041, 15}, {10044, 16}, {10038, 17}, {10035, 18}, {10048, 19}, {10053, 20},
    {10054, 21}, {10057, 22}, {10060, 23}, {10061, 24}, {10064, 25}, {10065, 26}, {10049, 27},
};

constexpr const char* kTexts[] = {
    "",
    "Winsock version not supported",
    "No WinSock present",
    "app version not supported by DLL",
    "Host not found or server failure",
    "Non-recoverable: refused or not implemented",
    "Valid name, no data record for type",
    "WSA Startup not initialized",
    "Network subsystem failed",
    "Blocking operation in progress",
    "Blocking call cancelled",
    "address family not supported",
    "no file descriptors available",
    "no buffer space available",
    "specified protocol not supported",
    "protocol wrong type for this socket",
    "socket type not for address family",
    "descriptor is not a socket",
    "socket marked as non-blocking and SO_LINGER set not 0",
    "address already in use",
    "connection aborted",
    "connection reset",
    "not connected",
    "connection timed out",
    "connection refused",
    "host down",
    "host unreachable",
    "address not available",
};

}  // namespace

int SocketErrorStringId(int error) {
  for (const auto& e : kErrorIds)
    if (e.code == error) return e.id;
  return 0;
}

const char* SocketErrorBuiltinText(int id) {
  if (id < 1 || id >= static_cast<int>(sizeof kTexts / sizeof kTexts[0])) return "";
  return kTexts[id];
}

std::string SocketErrorText(int error, std::string* out) {
  std::string text;
  if (int id = SocketErrorStringId(error)) {
    text = LoadResourceString(id);
    if (text.empty()) text = SocketErrorBuiltinText(id);
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "error %u", static_cast<unsigned>(error));
    text = buf;
  }
  if (text.size() > 125) text.resize(125);
  if (out) *out = text;
  return text;
}

void LogSocketError(const char* operation, int error) {
  std::string text = SocketErrorText(error);
  if (operation) core::LogMessage("%s: %s", operation, text.c_str());
  else core::LogLine(text);
}

}  // namespace ftp
