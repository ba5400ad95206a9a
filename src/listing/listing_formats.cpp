// The families whose file entries show date, time and size in the normalised form: standard
// Unix, Windows NT, NetWare, Corvex and PCNFS-Pro, IBM VM, QVT/Net 4.0 and VersaTerm.
#include "listing/listing_formats.h"

#include <cstdio>
#include <cstring>

#include "ftp/host_type_codes.h"
#include "listing/listing_rules.h"
#include "listing/listing_text.h"

namespace listing {
namespace {

thread_local char infoBuffer[150];

// The character at index i of a text, or the end of text when the text is shorter.
char CharAt(const char* s, size_t i) {
  if (s == nullptr) return '\0';
  for (size_t k = 0; k < i; ++k)
    if (s[k] == '\0') return '\0';
  return s[i];
}

// The text from index i, or the empty end when the text is shorter.
const char* Skip(const char* s, size_t i) {
  if (s == nullptr) return nullptr;
  for (size_t k = 0; k < i; ++k)
    if (s[k] == '\0') return s + k;
  return s + i;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    char a = *text;
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != *prefix) return false;
  }
  return true;
}

// A year within the twelve months up to now, for a date given without one.
unsigned RecentYear(int month, const platform::CalendarTime& now) {
  int year = now.year - (month > now.month ? 1 : 0);
  return static_cast<unsigned>(((year % 100) + 100) % 100);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the columns before the name hold a directory marker (the name itself may hold
// " dir " or "<DIR>" without being a directory).
bool MarkerBeforeName(char* line, char* name) {
  if (name == line) return false;
  char saved = *name;
  *name = '\0';
  bool marker = HasDirMarker(line);
  *name = saved;
  return marker;
}

void RemoveTrailingSlash(char* name) {
  size_t n = std::strlen(name);
  if (n > 0 && (name[n - 1] == '/' || name[n - 1] == '\\')) name[n - 1] = '\0';
}

void CutAtArrow(char* name) {
  char* arrow = std::strstr(name, " ->");
  if (arrow != nullptr) *arrow = '\0';
}

void CutBeforeName(char* line, char* name) {
  if (name != line) name[-1] = '\0';
}

}  // namespace

const char* FormatInfo(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, uint64_t size,
                       int sizeWidth) {
  std::snprintf(infoBuffer, sizeof infoBuffer, "%02u%02u%02u %02u:%02u %*llu", year, month, day, hour, minute,
                sizeWidth, static_cast<unsigned long long>(size));
  return infoBuffer;
}

const char* UnixInfo(const char* line, const UnixWords& w, const platform::CalendarTime& now) {
  int month = MonthNumber(NthWord(line, w.month));
  unsigned day = static_cast<unsigned>(NumberAt(NthWord(line, w.day)));
  unsigned year = 0, hour = 0, minute = 0;
  const char* t = NthWord(line, w.time);
  if (w.year != 0) {
    year = static_cast<unsigned>(NumberAt(NthWord(line, w.year)));
    if (t != nullptr) {
      int h = NumberAt(t);
      if (CharAt(t, 2) == ':') minute = static_cast<unsigned>(NumberAt(Skip(t, 3)));
      else if (CharAt(t, 1) == ':') minute = static_cast<unsigned>(NumberAt(Skip(t, 2)));
      const char* mark = NthWord(line, w.time + 1);
      if (mark != nullptr && (mark[0] == 'p' || mark[0] == 'P') && h < 12) h += 12;
      hour = static_cast<unsigned>(h);
    }
  } else if (t != nullptr) {
    if (CharAt(t, 2) == ':') {
      hour = static_cast<unsigned>(NumberAt(t));
      minute = static_cast<unsigned>(NumberAt(Skip(t, 3)));
      year = RecentYear(month, now);
    } else {
      year = static_cast<unsigned>(NumberAt(Skip(t, 2)));
    }
  }
  const char* sizeWord = NthWord(line, w.size);
  return FormatInfo(year, static_cast<unsigned>(month), day, hour, minute, SizeAt(sizeWord));
}

const char* ColumnInfo(const char* line, size_t len, const platform::CalendarTime& now) {
  auto at = [&](size_t col) { return col < len ? line[col] : '\0'; };
  auto from = [&](size_t col) { return line + (col < len ? col : len); };
  if (line[0] == '-') {
    int month = MonthNumber(from(46));
    unsigned day = static_cast<unsigned>(NumberAt(from(50)));
    unsigned year, hour = 0, minute = 0;
    if (at(55) == ':') {
      hour = static_cast<unsigned>(NumberAt(from(53)));
      minute = static_cast<unsigned>(NumberAt(from(56)));
      year = RecentYear(month, now);
    } else {
      year = static_cast<unsigned>(NumberAt(from(56)));
    }
    return FormatInfo(year, static_cast<unsigned>(month), day, hour, minute, SizeAt(from(29)));
  }
  // DOS style: the date's digits as they stand, then the time in 24-hour form.
  char* out = infoBuffer;
  auto copy = [&](size_t col, size_t max) {
    const char* p = from(col);
    for (size_t i = 0; i < max && p[i] != '\0' && p[i] != ' '; ++i) *out++ = p[i];
  };
  copy(6, 2);
  copy(0, 2);
  copy(3, 2);
  *out++ = ' ';
  const char* t = from(10);
  if (CharAt(t, 2) == ':' && CharAt(t, 6) == 'M') {
    int hour = NumberAt(t);
    int minute = NumberAt(Skip(t, 3));
    char mark = t[5];
    if (mark == 'P' && hour < 12) hour += 12;
    if (mark == 'A' && hour == 12) hour = 0;
    out += std::snprintf(out, 16, "%02u:%02u", static_cast<unsigned>(hour), static_cast<unsigned>(minute));
  } else {
    copy(10, 7);
  }
  std::snprintf(out, sizeof infoBuffer - static_cast<size_t>(out - infoBuffer), " %10llu",
                static_cast<unsigned long long>(SizeAt(from(20))));
  return infoBuffer;
}

void UnixRules(Line& l, const ListingContext& ctx) {
  if (StartsWithNoCase(l.buf, "total")) return;
  bool full = true;
  char* name = NthWord(l.buf, 9);
  if (name == nullptr || *name == '\0') {
    name = LastWord(l.buf);
    full = false;
  }
  if (*name == '\0') return;
  char first = l.buf[0];
  if (first == 'd' || first == 'D' || ((first == 'l' || first == 'L') && ctx.vlink == 1) ||
      MarkerBeforeName(l.buf, name)) {
    RemoveTrailingSlash(name);
    CutAtArrow(name);
    AddDirEntry(ctx, name);
    return;
  }
  CutBeforeName(l.buf, name);
  CutAtArrow(name);
  if (full) {
    UnixWords words;
    AddFileEntry(ctx, name, UnixInfo(l.buf, words, ctx.now), SizeAt(NthWord(l.buf, 5)));
  } else {
    AddFileEntry(ctx, name, l.buf, 0);
  }
}

void WindowsNtRules(Line& l, const ListingContext& ctx) {
  char first = l.buf[0];
  bool unixStyle = first == 'd' || first == '-';
  char* name;
  if (unixStyle) name = l.len > 58 ? l.From(59) : LastWord(l.buf);
  else name = l.len > 38 ? l.From(39) : LastWord(l.buf);
  if (*name == '\0') return;
  if (first == 'd' || MarkerBeforeName(l.buf, name)) {
    AddDirEntry(ctx, name);
    return;
  }
  CutBeforeName(l.buf, name);
  // The DOS style's size column is 20 wide: read from its start, so that no digit of a
  // large size is lost.
  uint64_t size = 0;
  if (l.len > 35) size = SizeAt(l.From(first == '-' ? 30 : 20));
  AddFileEntry(ctx, name, ColumnInfo(l.buf, l.len, ctx.now), size);
}

void NetWareRules(Line& l, const ListingContext& ctx) {
  if (StartsWithNoCase(l.buf, "total")) return;
  char* name = NthWord(l.buf, 11);
  if (name == nullptr || *name == '\0') name = LastWord(l.buf);
  if (*name == '\0') return;
  if (l.buf[0] == 'd' || l.buf[0] == 'D') {
    AddDirEntry(ctx, name);
    return;
  }
  uint64_t size = SizeAt(NthWord(l.buf, 5));
  CutBeforeName(l.buf, name);
  UnixWords words;
  words.year = 8;
  words.time = 9;
  AddFileEntry(ctx, name, UnixInfo(l.buf, words, ctx.now), size);
}

void CorvexRules(Line& l, const ListingContext& ctx) {
  if (l.buf[0] == ' ' || l.buf[0] == '.' || l.len <= 13) return;
  l.Cut(12);
  if (l.At(9) != ' ') {
    l.buf[8] = '.';
    if (l.At(7) == ' ') {
      char* out = l.buf;
      for (size_t i = 0; i < 12; ++i)
        if (l.buf[i] != ' ') *out++ = l.buf[i];
      *out = '\0';
    }
  }
  if (HasDirMarker(l.From(13))) {
    // An 8.3 name holds no blanks: the padding of the name columns is not part of it.
    AddDirEntry(ctx, TrimRight(l.buf));
    return;
  }
  uint64_t size = SizeAt(l.From(14));
  char* out = infoBuffer;
  auto copy2 = [&](size_t col, bool zeroBlank) {
    for (size_t i = 0; i < 2; ++i) {
      char c = l.At(col + i);
      if (c == '\0') break;
      if (i == 0 && zeroBlank && c == ' ') c = '0';
      *out++ = c;
    }
  };
  copy2(29, false);
  copy2(23, true);
  copy2(26, true);
  int hour = NumberAt(l.From(33));
  if (l.At(38) == 'p' && hour < 12) hour += 12;
  std::snprintf(out, sizeof infoBuffer - static_cast<size_t>(out - infoBuffer), " %02u:%02u %10llu",
                static_cast<unsigned>(hour), static_cast<unsigned>(NumberAt(l.From(36))),
                static_cast<unsigned long long>(size));
  AddFileEntry(ctx, l.buf, infoBuffer, size);
}

void IbmVmRules(Line& l, const ListingContext& ctx) {
  bool dir = std::strstr(l.buf, " DIR ") != nullptr;
  char kept = l.At(18);
  l.Cut(18);
  TrimRight(l.buf);
  // File name, ".", file type.
  char* blank = std::strchr(l.buf, ' ');
  if (blank != nullptr) {
    *blank = '.';
    char* out = blank + 1;
    for (char* in = blank + 1; *in != '\0'; ++in)
      if (*in != ' ') *out++ = *in;
    *out = '\0';
  }
  const char* p = l.From(53);
  while (*p == ' ') ++p;
  unsigned month = static_cast<unsigned>(NumberAt(p)), day = 0, year = 0, hour = 0, minute = 0;
  if ((p = std::strchr(p, '/')) != nullptr) {
    day = static_cast<unsigned>(NumberAt(++p));
    if ((p = std::strchr(p, '/')) != nullptr) {
      year = static_cast<unsigned>(NumberAt(++p));
      if ((p = std::strchr(p, ' ')) != nullptr) {
        hour = static_cast<unsigned>(NumberAt(++p));
        if ((p = std::strchr(p, ':')) != nullptr) minute = static_cast<unsigned>(NumberAt(++p));
      }
    }
  }
  uint64_t lrecl = SizeAt(l.From(23)), records = SizeAt(l.From(31));
  uint64_t size = (records != 0 && lrecl > static_cast<uint64_t>(INT64_MAX) / records) ? INT64_MAX : lrecl * records;
  const char* info = FormatInfo(year, month, day, hour, minute, size, 8);
  char* name = l.buf;
  if (*name == '\0' || *name == ' ' || *name == '\t') return;
  if (dir) {
    AddDirEntry(ctx, name);
    return;
  }
  const std::string& rdir = ctx.remoteDirName;
  if (!rdir.empty() && std::strncmp(name, rdir.c_str(), rdir.size()) == 0) {
    if (std::strlen(name) == 18) {
      name[18] = kept;
      name[std::strcspn(name, " ")] = '\0';
    }
    AddFileEntry(ctx, name + rdir.size(), info, size);
    return;
  }
  unsigned char c0 = static_cast<unsigned char>(name[0]);
  if (c0 == '.' || c0 < 0x20) {
    std::string squeezed = SqueezeName(name + 1, ftp::kHostIbmVm);
    AddFileEntry(ctx, squeezed.c_str(), info, size);
    return;
  }
  AddFileEntry(ctx, name, info, size);
}

void QvtNet40Rules(Line& l, const ListingContext& ctx) {
  if (l.len <= 44) return;
  size_t p = 44;
  while (p > 0 && l.buf[p] != ' ' && l.buf[p] != '\t') --p;
  if (l.buf[p] != ' ' && l.buf[p] != '\t') return;
  size_t q = p;
  while (q > 0 && (l.buf[q - 1] == ' ' || l.buf[q - 1] == '\t')) --q;
  l.buf[q] = '\0';
  // The rest begins after the blank found first (which the cut may have taken).
  const char* rest = l.buf + p + 1;
  if (std::strstr(rest, "[dir]") != nullptr) {
    AddDirEntry(ctx, l.buf);
    return;
  }
  const char* s = rest;
  while (*s == ' ' || *s == '\t') ++s;
  uint64_t size = SizeAt(s);
  while (IsDigit(*s)) ++s;
  unsigned month = static_cast<unsigned>(NumberAt(s)), day = 0, year = 0, hour = 0, minute = 0;
  if ((s = std::strchr(s, '-')) != nullptr) {
    day = static_cast<unsigned>(NumberAt(++s));
    if ((s = std::strchr(s, '-')) != nullptr) {
      year = static_cast<unsigned>(NumberAt(Skip(s, 3)));
      s = Skip(s, 1);
      s += std::strcspn(s, " \t");
      if (*s != '\0') {
        while (*s == ' ' || *s == '\t') ++s;
        hour = static_cast<unsigned>(NumberAt(s));
        minute = static_cast<unsigned>(NumberAt(Skip(s, 3)));
      }
    }
  }
  AddFileEntry(ctx, l.buf, FormatInfo(year, month, day, hour, minute, size), size);
}

void VersaTermRules(Line& l, const ListingContext& ctx) {
  if (l.len > 76) {
    size_t i = 30;
    while (i > 0 && l.buf[i] == '.') l.buf[i--] = '\0';
    if (l.buf[i] == '/') {
      l.buf[i] = '\0';
      AddDirEntry(ctx, l.buf);
      return;
    }
    size_t k = 31;
    while (k < l.len && l.buf[k] == '.') l.buf[k++] = '\0';
    for (; k < l.len; ++k)
      if (l.buf[k] == '.') l.buf[k] = ' ';
    uint64_t size = SizeAt(l.From(41));
    unsigned year = static_cast<unsigned>(NumberAt(l.From(76)));
    unsigned month = static_cast<unsigned>(MonthNumber(l.From(57)));
    unsigned day = static_cast<unsigned>(NumberAt(l.From(61)));
    int hour = NumberAt(l.From(65));
    if (l.At(71) == 'P' && hour < 12) hour += 12;
    unsigned minute = static_cast<unsigned>(NumberAt(l.From(68)));
    AddFileEntry(ctx, l.buf, FormatInfo(year, month, day, static_cast<unsigned>(hour), minute, size), size);
    return;
  }
  if (char* slash = std::strchr(l.buf, '/')) {
    *slash = '\0';
    AddDirEntry(ctx, l.buf);
  } else if (char* dots = std::strstr(l.buf, "..")) {
    *dots = '\0';
    AddFileEntry(ctx, l.buf, "", 0);
  }
}

}  // namespace listing
