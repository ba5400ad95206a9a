// The local pane's listing: directories and drives, files under the mask, the DirInfo report.
#include "local/local_list.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "core/settings.h"
#include "listing/dir_list.h"
#include "platform/fs.h"

namespace local {

void LocalPaneState::Reset() { *this = LocalPaneState(); }

LocalPaneState& LocalPane() {
  static LocalPaneState state;
  return state;
}

std::string DriveItemText(char letter) {
  std::string item = "[-";
  item += static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  item += "-]";
  return item;
}

std::string LocalFileItemText(const platform::DirEntry& e, bool longDir) {
  std::string name = e.name;
  bool hasLower = false;
  for (char c : name) hasLower = hasLower || std::islower(static_cast<unsigned char>(c));
  if (!hasLower)
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!longDir) return name;
  if (name.size() < 12) name.append(12 - name.size(), ' ');
  char info[64];
  std::snprintf(info, sizeof info, "\t| %02u%02u%02u %02u:%02u %10" PRId64, static_cast<unsigned>(e.year % 100),
                static_cast<unsigned>(e.month), static_cast<unsigned>(e.day), static_cast<unsigned>(e.hour),
                static_cast<unsigned>(e.minute), e.size);
  return name + info;
}

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool Match(const char* n, const char* m) {
  for (; *m; ++m) {
    if (*m == '*') {
      while (m[1] == '*') ++m;
      if (!m[1]) return true;
      for (const char* k = n; *k; ++k)
        if (Match(k, m + 1)) return true;
      return Match("", m + 1);
    }
    if (!*n) return false;
    if (*m != '?' && Lower(*m) != Lower(*n)) return false;
    ++n;
  }
  return *n == '\0';
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask.empty() || mask == "*.*" || mask == "*") return true;
  if (Match(name.c_str(), mask.c_str())) return true;
  // "name.*" also takes a name without any extension, as the system's own matching does.
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
    return Match(name.c_str(), mask.substr(0, mask.size() - 2).c_str());
  return false;
}

void ListLocalDirectory() {
  LocalPaneState& pane = LocalPane();
  std::string cwd = platform::CurrentDirectory();
  if (cwd.size() > 180) cwd.resize(180);
  if (pane.dirField) listing::ShowRemoteDirName(pane.dirField, cwd);

  std::vector<platform::DirEntry> entries;
  platform::ScanDirectory(platform::CurrentDirectory(), entries);

  if (pane.dirList) {
    ui::ListUpdate batch(pane.dirList);  // one repaint and one sort for the whole fill
    pane.dirList->Clear();
    for (const auto& e : entries)
      if (e.isDirectory && e.name != ".") pane.dirList->AddString(e.name);
    for (char letter : platform::DriveLetters()) pane.dirList->AddString(DriveItemText(letter));
  }

  if (pane.localMask.empty()) pane.localMask = "*.*";
  if (pane.fileList) {
    ui::ListBox* list = pane.fileList;
    ui::ListUpdate batch(list);
    list->Clear();
    list->SetHorizontalExtent(0);
    const bool longDir = core::Settings().longdir != 0;
    size_t widest = 0;
    for (const auto& e : entries) {
      if (e.isDirectory || !MatchesMask(e.name, pane.localMask)) continue;
      std::string item = LocalFileItemText(e, longDir);
      list->AddString(item);
      if (item.size() > widest) {
        widest = item.size();
        list->SetHorizontalExtent(list->TextWidth(item) + kExtentCharWidths * pane.dialogCharWidth);
      }
    }
  }
}

int WriteLocalDirInfo(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return 1;
  std::string cwd = platform::CurrentDirectory();
  std::fprintf(f, " Directory of %s\n\n", cwd.c_str());
  std::vector<platform::DirEntry> entries;
  platform::ScanDirectory(cwd, entries);
  for (const auto& e : entries) {
    unsigned yy = static_cast<unsigned>(e.year % 100), mo = static_cast<unsigned>(e.month),
             dd = static_cast<unsigned>(e.day), hh = static_cast<unsigned>(e.hour),
             mi = static_cast<unsigned>(e.minute);
    if (e.isDirectory)
      std::fprintf(f, "%-30.30s <DIR>      %02u-%02u-%02u  %2u:%02u\n", e.name.c_str(), yy, mo, dd, hh, mi);
    else
      std::fprintf(f, "%-30.30s %10" PRId64 " %02u-%02u-%02u  %2u:%02u\n", e.name.c_str(), e.size, yy, mo, dd, hh,
                   mi);
  }
  std::fclose(f);
  return 1;
}

bool IsReservedLocalName(const std::string& name) {
  if (name.empty()) return true;
  char last = name.back();
  if (last == '.' || last == ' ') return true;
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::string up;
  for (char c : base) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (up == d) return true;
  if (up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0) && up[3] >= '0' &&
      up[3] <= '9')
    return true;
  return false;
}

}  // namespace local
