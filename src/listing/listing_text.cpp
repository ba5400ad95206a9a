// Text helpers of the listing rules.
#include "listing/listing_text.h"

#include <cstring>

#include "ftp/host_type_codes.h"

namespace listing {
namespace {

inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const char* const kMonths[13] = {"unk", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

char* TrimRight(char* text) {
  size_t n = std::strlen(text);
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t' || text[n - 1] == '\r' || text[n - 1] == '\n')) --n;
  text[n] = '\0';
  return text;
}

char* LastWord(char* text) {
  TrimRight(text);
  char* p = std::strrchr(text, ' ');
  if (p == nullptr) p = std::strrchr(text, '\t');
  p = (p == nullptr) ? text : p + 1;
  while (IsBlankOrTab(*p)) ++p;
  return p;
}

char* NextWord(char* pos) {
  while (*pos != '\0' && !IsBlankOrTab(*pos)) ++pos;
  while (IsBlankOrTab(*pos)) ++pos;
  return pos;
}

bool HasDirMarker(const char* text) {
  return std::strstr(text, " DIR ") || std::strstr(text, " dir ") || std::strstr(text, " Dir ") ||
         std::strstr(text, "<DIR>") || std::strstr(text, "<DIRECTORY>") || std::strstr(text, "<dir>");
}

char* SqueezeInfo(char* text) {
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    char c = (*in == '\t') ? ' ' : *in;
    if (c == '-') continue;
    if (c == ' ') {
      char next = in[1] == '\t' ? ' ' : in[1];
      if (next == ' ') continue;
    }
    *out++ = c;
  }
  *out = '\0';
  return text;
}

const char* NthWord(const char* text, int n) {
  if (text == nullptr || n < 1) return nullptr;
  const char* p = text;
  for (int i = 1; i < n; ++i) {
    while (*p != '\0' && *p != ' ') ++p;
    while (*p == ' ') ++p;
    if (*p == '\0') return nullptr;
  }
  return p;
}

char* NthWord(char* text, int n) { return const_cast<char*>(NthWord(static_cast<const char*>(text), n)); }

int MonthNumber(const char* text) {
  if (text == nullptr) return 0;
  int found = 0;
  for (int m = 1; m <= 12; ++m) {
    int k = 0;
    while (k < 3 && text[k] != '\0' && Lower(text[k]) == Lower(kMonths[m][k])) ++k;
    if (k == 3) found = m;
  }
  return found;
}

int32_t NumberAt(const char* text) {
  if (text == nullptr) return 0;
  while (IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  int64_t v = 0;
  for (; IsDigit(*text); ++text) {
    v = v * 10 + (*text - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return static_cast<int32_t>(v);
}

uint64_t SizeAt(const char* text) {
  if (text == nullptr) return 0;
  while (IsSpace(*text)) ++text;
  if (*text == '-') return 0;
  if (*text == '+') ++text;
  const uint64_t kMax = static_cast<uint64_t>(INT64_MAX);
  uint64_t v = 0;
  for (; IsDigit(*text); ++text) {
    unsigned d = static_cast<unsigned>(*text - '0');
    v = (v > (kMax - d) / 10) ? kMax : v * 10 + d;
  }
  return v;
}

std::string SqueezeName(const char* text, int hostType) {
  std::string out;
  if (text == nullptr) return out;
  size_t end = std::strlen(text);
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' || text[end - 1] == '\n'))
    --end;
  size_t i = 0;
  while (i < end && text[i] == ' ') ++i;
  out.reserve(end - i);
  for (; i < end; ++i) {
    if (text[i] == ' ') {
      if (hostType == ftp::kHostSpartacusKnet && (out.empty() || out.back() != ' ')) out.push_back(' ');
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

bool IsSafeDirName(const char* name) {
  if (name == nullptr) return false;
  if (((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) && name[1] == ':') return false;
  if (std::strstr(name, "..") != nullptr) return false;
  bool onlyDotsAndBlanks = true;
  for (const char* p = name; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    if (c != '.' && c != ' ') onlyDotsAndBlanks = false;
  }
  return !onlyDotsAndBlanks;
}

}  // namespace listing
