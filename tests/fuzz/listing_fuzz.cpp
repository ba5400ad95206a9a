// Fuzzes the listing parser: arbitrary bytes parsed under every host type, checking that no
// directory entry is empty or unsafe and that every file item has a name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/listing_parser.h"
#include "listing/listing_text.h"
#include "ui/controls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the settings; the rest is the listing.
  uint8_t flags = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  ui::MemoryListBox dirs(true), files(false);
  listing::ListingContext ctx;
  ctx.dirList = &dirs;
  ctx.fileList = &files;
  ctx.longDir = flags & 1;
  ctx.vlink = (flags >> 1) & 1;
  ctx.remoteDirName = (flags & 4) ? "USER$DISK:[JOHN]" : "A";
  ctx.userName = (flags & 8) ? "USER1" : "";
  ctx.now = platform::CalendarTime{2026, 1 + (flags >> 4) % 12, 15, 12, 0, 0};
  for (int host = 6000; host <= 6041; ++host) {
    ctx.hostType = host;
    listing::ParseListingText(text, ctx);
    for (int i = 0; i < dirs.Count(); ++i) {
      std::string name = dirs.Text(i);
      if (name.empty()) __builtin_trap();
      if (name != ".." && !listing::IsSafeDirName(name.c_str())) __builtin_trap();
    }
    for (int i = 0; i < files.Count(); ++i) {
      std::string item = files.Text(i);
      if (item.empty() || item[0] == '\0') __builtin_trap();
      if (files.ItemData(i) < 0) __builtin_trap();
    }
  }
  return 0;
}
