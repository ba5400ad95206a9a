// Private-profile files: each file is parsed once and parsed again only when it changed on disk
// (size, time or identity), under one lock, so a worker thread may read while the user-interface
// thread writes and changes made by other programs are seen. A write changes a fresh copy under
// a lock shared with other processes and replaces the file in one step.
#include "core/ini.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/fs.h"

#include "platform/file_replace.h"
#include "core/text.h"

namespace core::ini {
namespace {

constexpr int64_t kMaxFileBytes = kMaxSettingsFileBytes;

std::mutex& StoreMutex() {
  static std::mutex m;
  return m;
}

using core::EqualNoCase;
using core::IsBlank;
using core::Trim;


// One line of the file as read, with what it means.
struct Line {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string raw;   // the line without its line end
  std::string name;  // section name or key
  std::string value; // key's value (trimmed, quotes removed)
};

Line Classify(const std::string& raw) {
  Line line;
  line.raw = raw;
  std::string t = Trim(raw);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    // A header without its closing bracket opens no section (as Windows reads it).
    size_t close = t.find(']');
    if (close == std::string::npos) return line;
    line.kind = Line::kSection;
    line.name = Trim(t.substr(1, close - 1));
    return line;
  }
  size_t eq = t.find('=');
  if (eq == std::string::npos) return line;
  line.kind = Line::kKey;
  line.name = Trim(t.substr(0, eq));
  std::string v = Trim(t.substr(eq + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  line.value = v;
  return line;
}

// Reads the file into lines. kAbsent for a file that is not there (an empty store); kRefused
// for one that is not a regular file, is too large or cannot be read.
enum class Loaded { kOk, kAbsent, kRefused };

Loaded LoadLines(const std::string& file, const platform::FileStamp& stamp, std::vector<Line>& lines) {
  lines.clear();
  if (!stamp.exists) return Loaded::kAbsent;
  if (!stamp.regular || stamp.size > kMaxFileBytes) return Loaded::kRefused;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) return Loaded::kRefused;
  std::string text;
  text.reserve(static_cast<size_t>(stamp.size));
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    text.append(chunk, got);
    if (text.size() > static_cast<size_t>(kMaxFileBytes)) {  // grew while read
      std::fclose(in);
      return Loaded::kRefused;
    }
  }
  std::fclose(in);
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string::npos ? text.size() : nl;
    size_t stop = end;
    if (stop > pos && text[stop - 1] == '\r') --stop;
    lines.push_back(Classify(text.substr(pos, stop - pos)));
    pos = nl == std::string::npos ? text.size() : nl + 1;
  }
  return Loaded::kOk;
}

std::string Serialise(const std::vector<Line>& lines) {
  std::string text;
  for (const auto& l : lines) {
    text += l.raw;
    text += "\r\n";
  }
  return text;
}

// The parsed files, each with the stamp of the file it was read from.
struct CachedFile {
  platform::FileStamp stamp;
  Loaded state = Loaded::kAbsent;
  std::vector<Line> lines;
};

std::map<std::string, CachedFile>& Cache() {
  static std::map<std::string, CachedFile> cache;
  return cache;
}

// The file's lines as they are on disk now (parsed again only when it changed). Call with the
// store's lock held; the result is valid until the lock is released.
const CachedFile& Current(const std::string& file) {
  CachedFile& c = Cache()[file];
  platform::FileStamp now = platform::StampFile(file);
  if (now != c.stamp || (now.exists && c.state == Loaded::kAbsent)) {
    c.stamp = now;
    c.state = LoadLines(file, now, c.lines);
    if (c.state == Loaded::kRefused) c.lines.clear();
  }
  return c;
}

// Index of the first section header of that name, or -1.
int FindSection(const std::vector<Line>& lines, const std::string& section) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].kind == Line::kSection && EqualNoCase(lines[i].name, section)) return static_cast<int>(i);
  return -1;
}

// One past the last line of the section starting at header index h.
size_t SectionEnd(const std::vector<Line>& lines, size_t h) {
  size_t i = h + 1;
  while (i < lines.size() && lines[i].kind != Line::kSection) ++i;
  return i;
}

const Line* FindKey(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
  int h = FindSection(lines, section);
  if (h < 0) return nullptr;
  for (size_t i = h + 1, e = SectionEnd(lines, h); i < e; ++i)
    if (lines[i].kind == Line::kKey && EqualNoCase(lines[i].name, key)) return &lines[i];
  return nullptr;
}

}  // namespace

int32_t ParseInt(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  uint32_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = v * 10u + static_cast<uint32_t>(text[i] - '0');
  if (negative) v = 0u - v;
  return static_cast<int32_t>(v);
}

std::string UnusableReason(const std::string& file) {
  platform::FileStamp stamp = platform::StampFile(file);
  if (!stamp.exists) return "";
  if (!stamp.regular) return "not a regular file";
  if (stamp.size > kMaxFileBytes) return "larger than 64 MB";
  return "";
}

std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& def, size_t maxLen) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  const Line* l = FindKey(Current(file).lines, section, key);
  return (l ? l->value : def).substr(0, maxLen);
}

bool HasKey(const std::string& file, const std::string& section, const std::string& key) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  return FindKey(Current(file).lines, section, key) != nullptr;
}

int32_t ReadInt(const std::string& file, const std::string& section, const std::string& key, int32_t def) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  const Line* l = FindKey(Current(file).lines, section, key);
  return l ? ParseInt(l->value) : def;
}

namespace {

// The change a write asks for, made to `lines`; false when it changes nothing.
bool ApplyWrite(std::vector<Line>& lines, const std::string& section, const char* key, const char* value) {
  int h = FindSection(lines, section);
  if (!key) {
    if (h < 0) return false;
    lines.erase(lines.begin() + h, lines.begin() + static_cast<long>(SectionEnd(lines, h)));
    return true;
  }
  std::string k = key;
  if (h < 0) {
    if (!value) return false;
    if (!lines.empty() && !Trim(lines.back().raw).empty()) lines.push_back(Classify(""));
    lines.push_back(Classify("[" + section + "]"));
    lines.push_back(Classify(k + "=" + value));
    return true;
  }
  size_t end = SectionEnd(lines, h);
  for (size_t i = h + 1; i < end; ++i) {
    if (lines[i].kind == Line::kKey && EqualNoCase(lines[i].name, k)) {
      if (value) {
        Line changed = Classify(lines[i].name + "=" + value);
        if (changed.value == lines[i].value) return false;
        lines[i] = changed;
      }
      else lines.erase(lines.begin() + static_cast<long>(i));
      return true;
    }
  }
  if (!value) return false;
  // After the section's last non-blank line, so blank separators stay between sections.
  size_t at = end;
  while (at > static_cast<size_t>(h) + 1 && Trim(lines[at - 1].raw).empty()) --at;
  lines.insert(lines.begin() + static_cast<long>(at), Classify(k + "=" + value));
  return true;
}

}  // namespace

bool Write(const std::string& file, const std::string& section, const char* key, const char* value) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  // Other processes write this file too: the whole read-change-write runs under their lock.
  platform::FileWriteLock writers(file);
  const std::string target = platform::ResolveLinks(file);
  const CachedFile& now = Current(file);
  if (now.state == Loaded::kRefused) return false;  // never replace what could not be read
  std::vector<Line> lines = now.lines;
  if (!ApplyWrite(lines, section, key, value)) return true;  // nothing changes: the file stays as it is
  if (!platform::WriteFileReplacing(target, Serialise(lines))) return false;
  // Another process may replace the file right after this one did: the next read looks again.
  Cache()[file].stamp = platform::FileStamp();
  return true;
}

bool WriteUnsigned(const std::string& file, const std::string& section, const std::string& key, int64_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(static_cast<uint32_t>(value)));
  return Write(file, section, key.c_str(), buf);
}

std::vector<std::string> SectionNames(const std::string& file) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  std::vector<std::string> out;
  for (const auto& l : Current(file).lines) {
    if (l.kind != Line::kSection) continue;
    bool seen = false;
    for (const auto& s : out) seen = seen || EqualNoCase(s, l.name);
    if (!seen) out.push_back(l.name);
  }
  return out;
}

std::vector<std::string> KeyNames(const std::string& file, const std::string& section) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  std::vector<std::string> out;
  const std::vector<Line>& lines = Current(file).lines;
  int h = FindSection(lines, section);
  if (h < 0) return out;
  for (size_t i = h + 1, e = SectionEnd(lines, h); i < e; ++i) {
    if (lines[i].kind != Line::kKey) continue;
    bool seen = false;
    for (const auto& k : out) seen = seen || EqualNoCase(k, lines[i].name);
    if (!seen) out.push_back(lines[i].name);
  }
  return out;
}

}  // namespace core::ini
