// The two list editors: reading, editing and writing the ASCII and conversion lists.
#include "transfer/list_editors.h"

#include <cctype>
#include <cstdio>

#include "core/settings.h"
#include "platform/fs.h"

namespace transfer {
namespace {

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::vector<std::string> read;
  if (!platform::ReadFileLines(path, read)) return false;
  for (std::string& line : read) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

bool StartsWithNoCase(const std::string& s, const std::string& head) {
  if (head.size() > s.size()) return false;
  for (size_t i = 0; i < head.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(head[i])))
      return false;
  return true;
}

bool WriteItems(const std::string& path, const ui::ListBox& list, bool needEquals) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  for (int i = 0; i < list.Count(); ++i) {
    std::string item = list.Text(i);
    if (item.size() > 1 && (!needEquals || item.find('=') != std::string::npos)) std::fprintf(f, "%s\n", item.c_str());
  }
  return std::fclose(f) == 0;
}

}  // namespace

void AsciiExtensionsEditor::Open() {
  list_.Clear();
  std::vector<std::string> lines;
  if (!ReadLines(core::Files().extensionListFile, lines)) {
    list_.AddString(".TXT");
    return;
  }
  for (const auto& l : lines)
    if (l.size() > 1) list_.AddString(l.substr(0, 9));
}

void AsciiExtensionsEditor::Add() {
  std::string text = entry_.Text().substr(0, 9);
  if (text.size() <= 1 || list_.FindExact(text) >= 0) return;
  list_.AddString(text);
}

void AsciiExtensionsEditor::Select() {
  int sel = list_.CurSel();
  if (sel >= 0) entry_.SetText(list_.Text(sel));
}

void AsciiExtensionsEditor::Delete() {
  int i = list_.FindExact(entry_.Text());
  if (i >= 0) list_.DeleteString(i);
}

bool AsciiExtensionsEditor::Exit() { return WriteItems(core::Files().extensionListFile, list_, false); }

void ConversionsEditor::Open() {
  list_.Clear();
  std::vector<std::string> lines;
  if (!ReadLines(core::Files().conversionListFile, lines)) return;
  for (const auto& l : lines) {
    size_t eq = l.find('=');
    if (l.size() < 2 || eq == std::string::npos) continue;
    list_.AddString(l.substr(0, eq + 1) + l.substr(eq + 1, 20));
  }
}

int ConversionsEditor::FindSource(const std::string& source) const {
  for (int i = 0; i < list_.Count(); ++i)
    if (StartsWithNoCase(list_.Text(i), source + "=")) return i;
  return -1;
}

void ConversionsEditor::Add() {
  std::string source = source_.Text().substr(0, 19), dest = destination_.Text().substr(0, 19);
  int old = FindSource(source);
  if (old >= 0) list_.DeleteString(old);
  if ((source + "=").size() >= 2) list_.AddString(source + "=" + dest);
}

void ConversionsEditor::Select() {
  int sel = list_.CurSel();
  if (sel < 0) return;
  std::string item = list_.Text(sel);
  size_t eq = item.find('=');
  source_.SetText(item.substr(0, eq));
  destination_.SetText(eq == std::string::npos ? "" : item.substr(eq + 1));
}

void ConversionsEditor::Delete() {
  int i = FindSource(source_.Text().substr(0, 9));
  if (i >= 0) list_.DeleteString(i);
}

bool ConversionsEditor::Exit() { return WriteItems(core::Files().conversionListFile, list_, true); }

}  // namespace transfer
