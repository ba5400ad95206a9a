// Path helpers shared by both platform halves.
#include "platform/fs.h"

#include <cstdio>

namespace platform {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (IsPathSeparator(dir.back())) return dir + name;
  return dir + PathSeparator() + name;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  contents.clear();
  char buf[16384];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) contents.append(buf, n);
  std::fclose(f);
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) {
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, nl - pos));
    pos = nl + 1;
  }
  return lines;
}

bool ReadFileLines(const std::string& path, std::vector<std::string>& lines) {
  std::string text;
  if (!ReadWholeFile(path, text)) return false;
  lines = SplitLines(text);
  return true;
}

std::string ProgramDirectory() {
  std::string prog = ProgramPath();
  size_t cut = prog.size();
  while (cut > 0 && !IsPathSeparator(prog[cut - 1])) --cut;
  return prog.substr(0, cut);
}

}  // namespace platform
