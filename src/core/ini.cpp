// Private-profile files: parse on every access under one lock, so a worker thread may read
// while the user-interface thread writes, and changes made by other programs are seen at once.
#include "core/ini.h"

#include <cctype>
#include <cstdio>
#include <mutex>

#include "platform/fs.h"

namespace core::ini {
namespace {

std::mutex& StoreMutex() {
  static std::mutex m;
  return m;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

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

bool LoadLines(const std::string& file, std::vector<Line>& lines) {
  std::string text;
  if (!platform::ReadWholeFile(file, text)) return false;
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
  return true;
}

bool SaveLines(const std::string& file, const std::vector<Line>& lines) {
  std::string text;
  for (const auto& l : lines) {
    text += l.raw;
    text += "\r\n";
  }
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
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

std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& def, size_t maxLen) {
  std::vector<Line> lines;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    if (!LoadLines(file, lines)) return def.substr(0, maxLen);
  }
  const Line* l = FindKey(lines, section, key);
  return (l ? l->value : def).substr(0, maxLen);
}

bool HasKey(const std::string& file, const std::string& section, const std::string& key) {
  std::vector<Line> lines;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    if (!LoadLines(file, lines)) return false;
  }
  return FindKey(lines, section, key) != nullptr;
}

int32_t ReadInt(const std::string& file, const std::string& section, const std::string& key, int32_t def) {
  std::vector<Line> lines;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    if (!LoadLines(file, lines)) return def;
  }
  const Line* l = FindKey(lines, section, key);
  return l ? ParseInt(l->value) : def;
}

bool Write(const std::string& file, const std::string& section, const char* key, const char* value) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  std::vector<Line> lines;
  LoadLines(file, lines);  // an absent file is an empty one
  int h = FindSection(lines, section);
  if (!key) {
    if (h < 0) return true;
    lines.erase(lines.begin() + h, lines.begin() + static_cast<long>(SectionEnd(lines, h)));
    return SaveLines(file, lines);
  }
  std::string k = key;
  if (h < 0) {
    if (!value) return true;
    if (!lines.empty() && !Trim(lines.back().raw).empty()) lines.push_back(Classify(""));
    lines.push_back(Classify("[" + section + "]"));
    lines.push_back(Classify(k + "=" + value));
    return SaveLines(file, lines);
  }
  size_t end = SectionEnd(lines, h);
  for (size_t i = h + 1; i < end; ++i) {
    if (lines[i].kind == Line::kKey && EqualNoCase(lines[i].name, k)) {
      if (value) lines[i] = Classify(lines[i].name + "=" + value);
      else lines.erase(lines.begin() + static_cast<long>(i));
      return SaveLines(file, lines);
    }
  }
  if (!value) return true;
  // After the section's last non-blank line, so blank separators stay between sections.
  size_t at = end;
  while (at > static_cast<size_t>(h) + 1 && Trim(lines[at - 1].raw).empty()) --at;
  lines.insert(lines.begin() + static_cast<long>(at), Classify(k + "=" + value));
  return SaveLines(file, lines);
}

bool WriteUnsigned(const std::string& file, const std::string& section, const std::string& key, int64_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(static_cast<uint32_t>(value)));
  return Write(file, section, key.c_str(), buf);
}

std::vector<std::string> SectionNames(const std::string& file) {
  std::vector<Line> lines;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    if (!LoadLines(file, lines)) return {};
  }
  std::vector<std::string> out;
  for (const auto& l : lines) {
    if (l.kind != Line::kSection) continue;
    bool seen = false;
    for (const auto& s : out) seen = seen || EqualNoCase(s, l.name);
    if (!seen) out.push_back(l.name);
  }
  return out;
}

}  // namespace core::ini
