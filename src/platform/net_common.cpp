// The socket seam's shared half: the per-thread blocking hook and cancellation, and the
// sliced waits every blocking call is built on.
#include <cctype>
#include <cstdio>

#include "platform/net.h"
#include "platform/net_internal.h"

namespace platform {
namespace {

thread_local BlockingHook threadHook = nullptr;
thread_local int blockingDepth = 0;
thread_local bool cancelRequested = false;

}  // namespace

void SetBlockingHook(BlockingHook hook) { threadHook = hook; }
bool IsBlocking() { return blockingDepth > 0; }

void CancelBlockingCall() {
  if (blockingDepth > 0) cancelRequested = true;
}

int WaitInSlices(Socket s, bool forWrite) {
  ++blockingDepth;
  int result;
  for (;;) {
    if (cancelRequested) {
      cancelRequested = false;
      SetLastSocketError(kErrCancelled);
      result = -1;
      break;
    }
    int ready = SelectOne(s, forWrite, kWaitSliceMs);
    if (ready != 0) {
      result = ready > 0 ? 0 : -1;
      break;
    }
    if (threadHook) threadHook();
  }
  --blockingDepth;
  if (blockingDepth == 0) cancelRequested = false;
  return result;
}

bool ParseIpv6Address(const std::string& text, NetAddress& out) {
  std::string body = text;
  uint32_t scope = 0;
  size_t percent = body.find('%');
  if (percent != std::string::npos) {
    std::string zone = body.substr(percent + 1);
    if (zone.empty() || zone.size() > 9) return false;
    for (char c : zone)
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    scope = static_cast<uint32_t>(std::stoul(zone));
    body.erase(percent);
  }
  // Groups before and after a "::"; an IPv4 tail counts as two groups.
  std::vector<uint16_t> head, tail;
  bool compressed = false;
  size_t i = 0;
  if (body.compare(0, 2, "::") == 0) {
    compressed = true;
    i = 2;
  }
  while (i < body.size()) {
    std::vector<uint16_t>& groups = compressed ? tail : head;
    size_t end = body.find(':', i);
    std::string word = body.substr(i, end == std::string::npos ? std::string::npos : end - i);
    if (word.find('.') != std::string::npos && end == std::string::npos) {
      unsigned a, b, c, d;
      char extra;
      if (std::sscanf(word.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &extra) != 4 || a > 255 || b > 255 ||
          c > 255 || d > 255)
        return false;
      groups.push_back(static_cast<uint16_t>(a << 8 | b));
      groups.push_back(static_cast<uint16_t>(c << 8 | d));
      i = body.size();
      break;
    }
    if (word.empty() || word.size() > 4) return false;
    unsigned value = 0;
    for (char c : word) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
      value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                          : std::tolower(c) - 'a' + 10);
    }
    groups.push_back(static_cast<uint16_t>(value));
    if (end == std::string::npos) {
      i = body.size();
    } else if (end + 1 < body.size() && body[end + 1] == ':') {
      if (compressed) return false;
      compressed = true;
      i = end + 2;
    } else {
      if (end + 1 >= body.size()) return false;
      i = end + 1;
    }
  }
  size_t count = head.size() + tail.size();
  if (compressed ? count > 7 : count != 8) return false;
  NetAddress a;
  a.v6 = true;
  a.scope = scope;
  for (size_t g = 0; g < head.size(); ++g) {
    a.address6[2 * g] = static_cast<uint8_t>(head[g] >> 8);
    a.address6[2 * g + 1] = static_cast<uint8_t>(head[g] & 0xFF);
  }
  for (size_t g = 0; g < tail.size(); ++g) {
    size_t at = 8 - tail.size() + g;
    a.address6[2 * at] = static_cast<uint8_t>(tail[g] >> 8);
    a.address6[2 * at + 1] = static_cast<uint8_t>(tail[g] & 0xFF);
  }
  a.port = out.port;
  out = a;
  return true;
}

std::string AddressText(const NetAddress& address) {
  if (!address.v6) return DottedAddress(address.address);
  uint16_t g[8];
  for (int i = 0; i < 8; ++i) g[i] = static_cast<uint16_t>(address.address6[2 * i] << 8 | address.address6[2 * i + 1]);
  // An IPv4-mapped address keeps its dotted tail.
  bool mapped = g[0] == 0 && g[1] == 0 && g[2] == 0 && g[3] == 0 && g[4] == 0 && g[5] == 0xFFFF;
  // RFC 5952: the longest run of two or more zero groups (the first of equals) becomes "::".
  int bestStart = -1, bestLength = 1;
  int groups = mapped ? 6 : 8;
  for (int i = 0; i < groups;) {
    if (g[i] != 0) {
      ++i;
      continue;
    }
    int j = i;
    while (j < groups && g[j] == 0) ++j;
    if (j - i > bestLength) {
      bestStart = i;
      bestLength = j - i;
    }
    i = j;
  }
  std::string text;
  char buf[8];
  for (int i = 0; i < groups; ++i) {
    if (i == bestStart) {
      text += "::";
      i += bestLength - 1;
      continue;
    }
    if (!text.empty() && text.back() != ':') text += ':';
    std::snprintf(buf, sizeof buf, "%x", g[i]);
    text += buf;
  }
  if (mapped) {
    if (!text.empty() && text.back() != ':') text += ':';
    std::snprintf(buf, sizeof buf, "%u.", address.address6[12]);
    text += buf;
    std::snprintf(buf, sizeof buf, "%u.", address.address6[13]);
    text += buf;
    std::snprintf(buf, sizeof buf, "%u.", address.address6[14]);
    text += buf;
    std::snprintf(buf, sizeof buf, "%u", address.address6[15]);
    text += buf;
  }
  if (address.scope != 0) text += "%" + std::to_string(address.scope);
  return text;
}

}  // namespace platform
