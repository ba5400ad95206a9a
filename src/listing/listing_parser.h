// The remote listing parser: turns the text a server sent for LIST into the remote directory
// list and the remote file list, by the rules of the server's host type.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "ui/controls.h"

namespace listing {

// Lines longer than this (a hostile or broken listing) are skipped whole with a debug line;
// any real listing line, a 255-byte name and a long link target included, is far shorter.
constexpr size_t kMaxListingLine = 8192;
// Width a file entry's name is padded to before its information text.
constexpr size_t kNamePad = 12;

// Everything a listing is parsed against.
struct ListingContext {
  ui::ListBox* dirList = nullptr;   // the remote directory list (sorted)
  ui::ListBox* fileList = nullptr;  // the remote file list
  int hostType = 6000;
  std::string remoteDirName;        // the remote directory, as PWD gave it
  std::string userName;             // the profile's user (MVS/KNET names)
  int longDir = 1;                  // LONGDIR: file items carry their information text
  int vlink = 1;                    // VLINK: symbolic links are shown as directories
  platform::CalendarTime now{};     // "now", for dates that omit the year
  int dialogCharWidth = 8;          // average character width of the dialog font, in pixels
  bool mlsd = false;                // the listing is an MLSD reply, whatever the host type
  // Called between the chunks of a long listing file (nullptr: none): keeps the window alive
  // while the lists fill; false stops the fill there, with what was added left in the lists.
  bool (*between)() = nullptr;
};

// The context of the running client: host type and user of the current profile, the
// settings, the clock and the dialog font, over the given lists.
ListingContext CurrentListingContext(ui::ListBox& dirs, ui::ListBox& files, const std::string& remoteDirName);

enum class VosSection { kNone, kFiles, kDirs, kLinks };

// The parser's process-wide state within one listing.
struct ParserState {
  size_t widestEntry = 0;                  // characters of the widest file item so far
  VosSection vosSection = VosSection::kNone;
  void Reset();
};
ParserState& Parser();

// Fills both lists from a listing file. False (logged "couldn't open %s for read.") when the
// file cannot be read; the lists then hold only what the start of a listing leaves in them.
// A fill stopped by ctx.between is logged and returns true.
bool ParseListing(const std::string& path, const ListingContext& ctx);
// The same from listing text in memory.
void ParseListingText(std::string_view text, const ListingContext& ctx);

// Adds a directory entry; "." , ".." and "" are ignored, an unsafe name (see IsSafeDirName)
// is refused with a debug line.
void AddDirEntry(const ListingContext& ctx, const char* name);
// Adds a file entry; `info` null means the family supplies none. Item data holds the size.
void AddFileEntry(const ListingContext& ctx, const char* name, const char* info, uint64_t size);

// One trimmed line through the rules of the context's host type; the line is cut in place.
void ParseListingLine(char* line, const ListingContext& ctx);
// One MLSD line ("facts; name", the name kept exactly): the same entries and information text
// as a Unix line. A line without facts, type or a valid size and time, or a name holding a
// path, is refused with a log line.
void ParseMlsdLine(char* line, const ListingContext& ctx);

}  // namespace listing
