// The local pane: the current directory's field, its directory list (subdirectories and
// drives) and its file list (files matching the local mask), and the DirInfo report.
#pragma once
#include <cstdint>
#include <string>

#include "platform/dir_scan.h"
#include "ui/controls.h"

namespace local {

constexpr size_t kLocalMaskMax = 12;   // longest local mask taken from the field
constexpr int kExtentCharWidths = 12;  // scroll range slack, in average dialog characters

// The local pane's controls as the local listing fills them (nullptr: none attached).
struct LocalPaneState {
  ui::ComboBox* dirField = nullptr;  // local directory field (960)
  ui::ListBox* dirList = nullptr;    // local directory list (924)
  ui::ListBox* fileList = nullptr;   // local file list (927)
  std::string localMask = "*.*";     // LocalMask
  int dialogCharWidth = 8;           // average character width of the system dialog font
  void Reset();
};
LocalPaneState& LocalPane();

// Rebuilds the local directory field and both local lists from the current directory.
void ListLocalDirectory();

// The file list's item for a file: the display name (lower case when it holds no lower-case
// letter), and with `longDir` the name padded to 12, "\t| ", the local write time and the
// 64-bit size, laid out as the remote file list's items.
std::string LocalFileItemText(const platform::DirEntry& entry, bool longDir);
// The drive item of a drive letter: "[-c-]".
std::string DriveItemText(char letter);

// Whether a name matches a file mask: '*' any run, '?' one character, letters without regard
// to case; "*.*" matches every name and a mask ending ".*" also matches names without a dot.
bool MatchesMask(const std::string& name, const std::string& mask);

// Writes the current directory's report (" Directory of ...", one line per entry) into a text
// file. Returns 1, also when the file cannot be created.
int WriteLocalDirInfo(const std::string& path);

// True for a name that Windows reads as a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or
// without an extension, any case) or that it cannot keep as a name of its own (trailing dots
// or blanks): such a name is never created or entered as a local directory.
bool IsReservedLocalName(const std::string& name);

}  // namespace local
