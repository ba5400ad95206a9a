// Machine-readable listings (MLSD): each line's facts and name become the same directory and
// file entries, with the same information text, as a Unix listing gives.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/message_log.h"
#include "listing/listing_formats.h"
#include "listing/listing_parser.h"

namespace listing {
namespace {

bool EqualNoCase(const char* a, size_t n, const char* b) {
  if (std::strlen(b) != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A decimal number of the whole text; false when empty, not all digits or beyond 2^63 - 1.
bool ReadNumber(const std::string& text, uint64_t& out) {
  if (text.empty() || text.size() > 19) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > static_cast<uint64_t>(INT64_MAX)) return false;
  out = v;
  return true;
}

// "YYYYMMDDHHMMSS[.sss]" into its fields; false for anything else.
bool ReadModifyTime(const std::string& text, unsigned f[5]) {
  if (text.size() < 14) return false;
  for (size_t i = 0; i < 14; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  auto num = [&](size_t at, size_t n) {
    unsigned v = 0;
    for (size_t i = at; i < at + n; ++i) v = v * 10 + static_cast<unsigned>(text[i] - '0');
    return v;
  };
  f[0] = num(0, 4);
  f[1] = num(4, 2);
  f[2] = num(6, 2);
  f[3] = num(8, 2);
  f[4] = num(10, 2);
  return f[1] >= 1 && f[1] <= 12 && f[2] >= 1 && f[2] <= 31 && f[3] <= 23 && f[4] <= 59;
}

void Refuse(const char* why, const char* line) {
  std::string shown;
  for (const char* p = line; *p != '\0' && shown.size() < 60; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    shown.push_back(c < 0x20 || c == 0x7F ? '?' : *p);
  }
  core::LogMessage("MLSD line refused (%s): %s", why, shown.c_str());
}

}  // namespace

void ParseMlsdLine(char* line, const ListingContext& ctx) {
  size_t len = std::strlen(line);
  if (len > 0 && line[len - 1] == '\r') line[--len] = '\0';
  if (len == 0) return;
  // "fact=value;fact=value; name": the facts hold no blank, the name is all behind the first one.
  char* blank = std::strchr(line, ' ');
  if (blank == nullptr || blank == line || blank[-1] != ';') {
    Refuse("no facts", line);
    return;
  }
  *blank = '\0';
  const char* name = blank + 1;
  if (*name == '\0') {
    Refuse("no name", line);
    return;
  }
  if (std::strchr(name, '/') != nullptr || std::strchr(name, '\\') != nullptr || std::strchr(name, '\r') != nullptr) {
    Refuse("name with a path", name);
    return;
  }

  std::string type, size, modify;
  bool hasSize = false;
  for (char* fact = line; *fact != '\0';) {
    char* end = std::strchr(fact, ';');
    if (end == nullptr) break;
    *end = '\0';
    char* eq = std::strchr(fact, '=');
    if (eq == nullptr) {
      Refuse("a fact without a value", name);
      return;
    }
    size_t keyLength = static_cast<size_t>(eq - fact);
    std::string value(eq + 1);
    if (EqualNoCase(fact, keyLength, "type")) type = value;
    else if (EqualNoCase(fact, keyLength, "size") || (!hasSize && EqualNoCase(fact, keyLength, "sizd"))) {
      size = value;
      hasSize = EqualNoCase(fact, keyLength, "size");
    } else if (EqualNoCase(fact, keyLength, "modify")) {
      modify = value;
    }
    fact = end + 1;
  }
  if (type.empty()) {
    Refuse("no type", name);
    return;
  }
  const char* t = type.c_str();
  size_t tl = type.size();
  if (EqualNoCase(t, tl, "cdir") || EqualNoCase(t, tl, "pdir")) return;  // "." and ".."
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return;
  // A link: "OS.unix=symlink" or "OS.unix=slink:<target>"; VLINK decides what it is shown as.
  bool link = type.size() > 8 && EqualNoCase(t, 8, "os.unix=") &&
              (EqualNoCase(t + 8, tl - 8, "symlink") || (tl >= 14 && EqualNoCase(t + 8, 6, "slink:")));
  if (EqualNoCase(t, tl, "dir") || (link && ctx.vlink == 1)) {
    AddDirEntry(ctx, name);
    return;
  }
  if (!EqualNoCase(t, tl, "file") && !link) {
    Refuse("unknown type", name);
    return;
  }
  uint64_t bytes = 0;
  if (!size.empty() && !ReadNumber(size, bytes)) {
    Refuse("bad size", name);
    return;
  }
  unsigned when[5] = {1970, 1, 1, 0, 0};
  if (!modify.empty() && !ReadModifyTime(modify, when)) {
    Refuse("bad time", name);
    return;
  }
  AddFileEntry(ctx, name, FormatInfo(when[0] % 100, when[1], when[2], when[3], when[4], bytes), bytes);
}

}  // namespace listing
