// The least a list fill can cost: a minimal window with plain (unsorted) list boxes, the texts
// added in the order the client shows them, redrawing off during the adds and one repaint at the
// end. The texts are made by the client's own code, untimed: the remote lists' from a listing
// file (a Unix LIST reply), the local lists' from a directory.
// Usage: list_floor --listing <file> | --local <dir>  [rounds, default 3]
// Prints the time of every round and the best.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "listing/listing_parser.h"
#include "local/local_list.h"
#include "platform/clock.h"
#include "platform/dir_scan.h"
#include "platform/pump.h"
#include "ui/controls.h"

namespace {

std::vector<std::string> Texts(const ui::ListBox& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
  return out;
}

// The remote lists as the client fills them from this listing (Unix host type, long entries).
std::vector<std::vector<std::string>> FromListing(const char* path) {
  ui::MemoryListBox dirs(true), files(false);
  listing::ListingContext ctx;
  ctx.dirList = &dirs;
  ctx.fileList = &files;
  ctx.now = platform::CurrentClock().LocalNow();
  if (!listing::ParseListing(path, ctx)) return {};
  return {Texts(dirs), Texts(files)};
}

// The local lists as the client fills them from this directory: its subdirectories and its files.
std::vector<std::vector<std::string>> FromDirectory(const char* dir) {
  std::vector<platform::DirEntry> entries;
  auto start = std::chrono::steady_clock::now();
  if (!platform::ScanDirectory(dir, entries)) return {};
  // What reading the directory alone costs (the client's fill includes it; bench/gui/run adds it to the floor).
  std::printf("scan_ms=%.0f ",
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  ui::MemoryListBox dirs(true), files(true);
  {
    ui::ListUpdate a(dirs), b(files);
    for (const auto& e : entries) {
      if (e.isDirectory && e.name != ".") dirs.AddString(e.name);
      else if (!e.isDirectory) files.AddString(local::LocalFileItemText(e, true));
    }
  }
  return {Texts(dirs), Texts(files)};
}

double Fill(const std::vector<std::vector<std::string>>& lists) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  HWND frame = CreateWindowExA(0, "STATIC", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                               inst, nullptr);
  std::vector<HWND> boxes;
  for (size_t i = 0; i < lists.size(); ++i)
    boxes.push_back(CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_HASSTRINGS,
                                    static_cast<int>(i) * 390, 0, 380, 560, frame, nullptr, inst, nullptr));
  UpdateWindow(frame);
  platform::PumpWaitingMessages();
  auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < lists.size(); ++i) {
    SendMessageA(boxes[i], WM_SETREDRAW, FALSE, 0);
    for (const std::string& text : lists[i])
      SendMessageA(boxes[i], LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(boxes[i], WM_SETREDRAW, TRUE, 0);
    InvalidateRect(boxes[i], nullptr, TRUE);
  }
  UpdateWindow(frame);
  platform::PumpWaitingMessages();
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  DestroyWindow(frame);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "--listing") != 0 && std::strcmp(argv[1], "--local") != 0)) {
    std::fprintf(stderr, "usage: list_floor --listing <file> | --local <dir> [rounds]\n");
    return 2;
  }
  auto lists = std::strcmp(argv[1], "--listing") == 0 ? FromListing(argv[2]) : FromDirectory(argv[2]);
  size_t total = 0;
  for (auto& l : lists) total += l.size();
  if (total == 0) {
    std::fprintf(stderr, "no texts from %s\n", argv[2]);
    return 1;
  }
  int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  double best = 1e30;
  std::printf("items=%zu lists=%zu", total, lists.size());
  for (int i = 0; i < rounds; ++i) {
    double ms = Fill(lists);
    best = std::min(best, ms);
    std::printf(" fill_ms=%.0f", ms);
  }
  std::printf(" best_ms=%.0f\n", best);
  return 0;
}
