// Remote listing retrieval: the current remote directory from PWD, the LIST into a temporary
// file, and the cache of the listings of the last 19 directories of this connection.
#pragma once
#include <string>
#include <vector>

#include "platform/net.h"
#include "ui/controls.h"

namespace listing {

constexpr const char* kUndecipherable = "undecipherable";
constexpr int kCacheEntries = 19;     // listings kept; the 20th directory evicts the oldest
constexpr int kNewCacheEntry = 99;    // LookUpListing: no entry found, a new one was made

// The remote pane's lists and fields as the listing code fills them (nullptr: none attached).
struct RemotePaneState {
  ui::ListBox* dirList = nullptr;    // remote directory list
  ui::ListBox* fileList = nullptr;   // remote file list
  ui::ComboBox* dirField = nullptr;  // remote directory field (961)
  std::string remoteDirName = "undecipherable";  // RemoteDirName
  std::string remoteMask;                        // RemoteMask
  void Reset();
};
RemotePaneState& RemotePane();

// Brings the remote pane up to date (PWD, host-type detection before the first listing, LIST
// or the cache, the parser). refresh 1: always LIST; 0: a cached listing is shown as it is.
// Does nothing while the busy flag is set, and holds it while it runs. 1 when a listing was
// shown (received or cached); 0 when none was (the lists then hold ".." alone).
int DoDirList(int refresh);

// Parses the listing last shown again into the remote lists, with the current profile's host
// type (after the user changed it). Nothing while not connected, while the busy flag is set or
// before any listing; true when the lists were filled again.
bool ShowCurrentListingAgain();

// Receives a listing command's output ("LIST", "NLST", "LIST x") in ASCII with BELL, HASH and
// AMODE off (restored afterwards) into a scratch temporary file, which becomes
// CurrentListingFile(); never into a cached directory's file. The completion reply's class.
int ListToTempFile(platform::Socket s, const std::string& command);
// A user's raw command: "LIST..." and "NLST..." (exact case) go to ListToTempFile, anything
// else is sent unchanged. LastReplyCode / 100.
int SendQuoteCommand(platform::Socket s, const std::string& text);

// Deletes every cache entry with its temporary file (and the scratch listing file) and
// empties the remote directory field's list.
void ClearListingCache();

// The cache entry of a directory: its index with CurrentListingFile() set to its file, or
// kNewCacheEntry after making a new entry with a fresh "DIR" temporary file (evicting the
// oldest when the cache is full). "undecipherable" always makes a new entry.
int LookUpListing(const std::string& dirName);

// The file the last listing was written to or shown from ("" before any).
std::string CurrentListingFile();
// The temporary name reserved for the viewer ("DSP" prefix; the file itself is not kept).
std::string ViewerTempFile();
// Reserves the start-up names ("DIR" scratch listing, "DSP" viewer) when not yet done.
void ReserveTempNames();

// The directory named in a PWD reply line: the text after the first double quote up to the
// closing one (a doubled "" inside stands for one quote), else the text between single
// quotes; "undecipherable" without any quote.
std::string RemoteDirFromPwdReply(const std::string& reply);

// Puts a directory name into a directory field: a new non-empty name joins the field's list
// (compared without regard to case) and is selected; an empty name empties the field's text.
void ShowRemoteDirName(ui::ComboBox* field, const std::string& name);

// The cache's contents, oldest first (the combo prompt's history, tests).
struct ListingCacheEntry {
  std::string dirName;
  std::string fileName;
  bool mlsd = false;  // the file holds an MLSD reply
};
std::vector<ListingCacheEntry> ListingCacheEntries();
std::vector<std::string> CachedDirectoryNames();

}  // namespace listing
