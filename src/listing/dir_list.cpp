// Remote listing retrieval and the listing cache of the current connection.
#include "listing/dir_list.h"

#include <cctype>
#include <mutex>

#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "listing/listing_parser.h"
#include "platform/fs.h"
#include "platform/temp_file.h"
#include "profiles/session_profile.h"
#include "transfer/engine.h"
#include "ui/front_end.h"

namespace listing {
namespace {

// The listing cache: entries oldest first, the file of the listing in hand, and the names
// reserved at start-up. Guarded by `mutex` (the prompt's history may be read from any thread).
struct ListingCacheState {
  std::mutex mutex;
  std::vector<ListingCacheEntry> entries;
  std::string currentListingFile;
  bool currentListingMlsd = false;  // the listing in hand is an MLSD reply
  std::string scratchListingFile;  // "DIR" name for listings outside the cache (LIST/NLST commands)
  std::string viewerTempFile;      // "DSP" name for the viewer
};

ListingCacheState& Cache() {
  static ListingCacheState cache;
  return cache;
}

// Deletes a cache entry's temporary file (a stored name of three characters or fewer is none).
void DeleteEntryFile(const std::string& fileName) {
  if (fileName.size() > 3) platform::RemoveFile(fileName);
}

// Reserves a fresh name: the OS creates the file, which is deleted again so only the name stays.
std::string ReserveName(const char* prefix) {
  std::string name = platform::MakeTempFile(prefix);
  if (name.empty()) {
    core::LogMessage("can't create a temporary file in %s", platform::TempDirectory().c_str());
    return name;
  }
  platform::RemoveFile(name);
  return name;
}

// Forgets the entry whose listing file this is and deletes the file: a listing that did not
// arrive whole must not be shown later as the directory's contents.
void DropEntryOf(const std::string& fileName) {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
    if (it->fileName != fileName) continue;
    DeleteEntryFile(it->fileName);
    c.entries.erase(it);
    return;
  }
}

// BELL, HASH and AMODE off for the life of the guard, then restored.
class QuietTransferSettings {
 public:
  QuietTransferSettings() {
    core::ProgramSettings& s = core::Settings();
    bell_ = s.bell;
    hash_ = s.hash;
    amode_ = s.amode;
    s.bell = s.hash = s.amode = 0;
  }
  ~QuietTransferSettings() {
    core::ProgramSettings& s = core::Settings();
    s.bell = bell_;
    s.hash = hash_;
    s.amode = amode_;
  }
  QuietTransferSettings(const QuietTransferSettings&) = delete;
  QuietTransferSettings& operator=(const QuietTransferSettings&) = delete;

 private:
  int bell_, hash_, amode_;
};

int ReceiveListing(platform::Socket s, const std::string& command, const std::string& path) {
  QuietTransferSettings quiet;
  return transfer::ReceiveFile(s, command, path, 'A');
}

// Records whether the listing in `fileName` (and its cache entry) is an MLSD reply.
void MarkListingForm(const std::string& fileName, bool mlsd) {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (c.currentListingFile == fileName) c.currentListingMlsd = mlsd;
  for (ListingCacheEntry& e : c.entries)
    if (e.fileName == fileName) e.mlsd = mlsd;
}

bool CurrentListingIsMlsd() {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.currentListingMlsd;
}

bool EqualNoCase(const std::string& a, const std::string& b, size_t length) {
  if (a.size() < length || b.size() < length) return false;
  for (size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::vector<std::string> HistoryFromCache() { return CachedDirectoryNames(); }

}  // namespace

void RemotePaneState::Reset() {
  dirList = nullptr;
  fileList = nullptr;
  dirField = nullptr;
  remoteDirName = kUndecipherable;
  remoteMask.clear();
}

RemotePaneState& RemotePane() {
  static RemotePaneState pane;
  return pane;
}

void ReserveTempNames() {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (c.scratchListingFile.empty()) c.scratchListingFile = ReserveName("DIR");
  if (c.currentListingFile.empty()) c.currentListingFile = c.scratchListingFile;
  if (c.viewerTempFile.empty()) c.viewerTempFile = ReserveName("DSP");
}

std::string CurrentListingFile() {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.currentListingFile;
}

std::string ViewerTempFile() {
  ReserveTempNames();
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.viewerTempFile;
}

std::vector<ListingCacheEntry> ListingCacheEntries() {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.entries;
}

std::vector<std::string> CachedDirectoryNames() {
  ListingCacheState& c = Cache();
  std::lock_guard<std::mutex> lock(c.mutex);
  std::vector<std::string> names;
  names.reserve(c.entries.size());
  for (const ListingCacheEntry& e : c.entries) names.push_back(e.dirName);
  return names;
}

int LookUpListing(const std::string& dirName) {
  Parser().vosSection = VosSection::kNone;
  core::SetPromptHistorySource(&HistoryFromCache);
  ListingCacheState& c = Cache();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    if (dirName != kUndecipherable) {
      for (size_t i = 0; i < c.entries.size(); ++i) {
        if (c.entries[i].dirName != dirName) continue;
        c.currentListingFile = c.entries[i].fileName;
        c.currentListingMlsd = c.entries[i].mlsd;
        return static_cast<int>(i);
      }
    }
    if (c.entries.size() >= static_cast<size_t>(kCacheEntries)) {
      DeleteEntryFile(c.entries.front().fileName);
      c.entries.erase(c.entries.begin());
    }
  }
  // The OS makes the file: the name is unused and stays ours until the entry goes.
  std::string fileName = platform::MakeTempFile("DIR");
  if (fileName.empty())
    core::LogMessage("can't create a temporary file in %s", platform::TempDirectory().c_str());
  std::lock_guard<std::mutex> lock(c.mutex);
  c.currentListingFile = fileName;
  c.currentListingMlsd = false;
  if (!fileName.empty()) c.entries.push_back({dirName, fileName, false});
  return kNewCacheEntry;
}

void ClearListingCache() {
  ListingCacheState& c = Cache();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    for (const ListingCacheEntry& e : c.entries) DeleteEntryFile(e.fileName);
    c.entries.clear();
    if (!c.scratchListingFile.empty()) platform::RemoveFile(c.scratchListingFile);
    c.currentListingFile = c.scratchListingFile;
  }
  if (ui::ComboBox* field = RemotePane().dirField) field->Clear();
}

std::string RemoteDirFromPwdReply(const std::string& reply) {
  size_t open = reply.find('"');
  if (open != std::string::npos) {
    // RFC 959: the name runs to the closing quote; a quote inside it is written twice.
    std::string name;
    for (size_t i = open + 1; i < reply.size(); ++i) {
      if (reply[i] == '"') {
        if (i + 1 < reply.size() && reply[i + 1] == '"') {
          name += '"';
          ++i;
          continue;
        }
        break;
      }
      name += reply[i];
    }
    return name;
  }
  open = reply.find('\'');
  if (open == std::string::npos) return kUndecipherable;
  size_t close = reply.find('\'', open + 1);
  return reply.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

void ShowRemoteDirName(ui::ComboBox* field, const std::string& name) {
  if (field == nullptr) return;
  if (name.empty()) {
    field->SetCurSel(-1);
    field->SetText("");
    return;
  }
  int exact = -1, sameButCase = -1;
  for (int i = 0; i < field->Count() && exact < 0; ++i) {
    std::string item = field->ItemText(i);
    if (item == name) exact = i;
    else if (sameButCase < 0 && item.size() == name.size() && EqualNoCase(item, name, name.size())) sameButCase = i;
  }
  if (exact < 0 && sameButCase < 0) {
    field->AddString(name);
    for (int i = 0; i < field->Count() && exact < 0; ++i)
      if (field->ItemText(i) == name) exact = i;
  }
  if (exact >= 0) {
    field->SetCurSel(exact);
  } else {
    // Only a name differing in case is listed: show this one as it is, not the other.
    field->SetCurSel(-1);
    field->SetText(name);
  }
}

int ListToTempFile(platform::Socket s, const std::string& command) {
  ReserveTempNames();
  std::string path;
  {
    ListingCacheState& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.currentListingFile = c.scratchListingFile;
    c.currentListingMlsd = false;
    path = c.currentListingFile;
  }
  if (path.empty()) return 0;
  return ReceiveListing(s, command, path);
}

int SendQuoteCommand(platform::Socket s, const std::string& text) {
  if (text.compare(0, 4, "LIST") == 0 || text.compare(0, 4, "NLST") == 0) {
    ListToTempFile(s, text);
  } else {
    ftp::SendFtpCommandText(s, text);
  }
  return ftp::Conn().lastReplyCode / 100;
}

int DoDirList(int refresh) {
  core::BusyScope busy;
  if (!busy.taken()) return 0;
  RemotePaneState& pane = RemotePane();
  ui::MemoryListBox spareDirs(true), spareFiles;
  ui::ListBox& dirs = pane.dirList ? *pane.dirList : spareDirs;
  ui::ListBox& files = pane.fileList ? *pane.fileList : spareFiles;
  const int& hostType = profiles::CurrentProfile().hostType;  // detection below may change it

  if (hostType != ftp::kHostRsx) dirs.Clear();
  files.Clear();
  ftp::ConnectionState& conn = ftp::Conn();
  const platform::Socket s = conn.ctrl_skt;
  if (!conn.connected || s == ftp::kNoSocket) {
    dirs.Clear();
    ShowRemoteDirName(pane.dirField, "");
    return 0;
  }

  pane.remoteDirName = kUndecipherable;
  if (!(hostType == ftp::kHostCdcCyber && !refresh) && ftp::PrintRemoteDir(s) == 2)
    pane.remoteDirName = RemoteDirFromPwdReply(conn.replyLine);
  ShowRemoteDirName(pane.dirField, pane.remoteDirName);

  if (!ftp::Host().hostTypeKnown) ftp::DetectHostType(s);

  int index = LookUpListing(pane.remoteDirName);
  std::string file = CurrentListingFile();
  int result = 0;
  if (!refresh && index != kNewCacheEntry) {
    core::LogMessage("[%u] using cache %s", static_cast<unsigned>(index), file.c_str());
    result = 2;
  } else if (!file.empty()) {
    conn.abortFlag = 0;
    // MLSD where the server offers it, the profile leaves the host type to detection and no
    // mask asks for a LIST argument; a server that turns it down gets LIST from then on.
    bool mlsd = core::Settings().modernftp && conn.features.mlst && conn.mlsdAllowed && pane.remoteMask.empty();
    if (mlsd) {
      result = ReceiveListing(s, "MLSD", file);
      int code = conn.lastReplyCode.load();
      if (result != 2 && (code == 500 || code == 502 || code == 501)) {
        conn.features.mlst = false;
        mlsd = false;
        conn.abortFlag = 0;
        result = ReceiveListing(s, "LIST " + pane.remoteMask, file);
      }
    } else {
      result = ReceiveListing(s, "LIST " + pane.remoteMask, file);
    }
    MarkListingForm(file, mlsd);
  }

  if (result == 2) {
    ListingContext ctx = CurrentListingContext(dirs, files, pane.remoteDirName);
    ctx.mlsd = CurrentListingIsMlsd();
    // A long listing keeps the window answering while it fills, and Cancel stops it; a Cancel
    // from before this fill does not. Meanwhile the fill counts as an operation on the
    // connection, so that Close and Exit wait for it (they stop it).
    conn.abortFlag = 0;
    ctx.between = [] {
      ui::Front().PumpWaitingMessages();
      return ftp::Conn().abortFlag.load() == 0;
    };
    ++conn.commandDepth;
    ParseListing(file, ctx);
    --conn.commandDepth;
    return 1;
  }
  if (hostType != ftp::kHostRsx) {
    dirs.Clear();
    dirs.AddString("..");
  }
  files.Clear();
  core::LogMessage("DoDirList returned %u", static_cast<unsigned>(result));
  DropEntryOf(file);
  return 0;
}

bool ShowCurrentListingAgain() {
  core::BusyScope busy;
  if (!busy.taken()) return false;
  RemotePaneState& pane = RemotePane();
  const std::string file = CurrentListingFile();
  if (!ftp::Conn().connected || pane.dirList == nullptr || pane.fileList == nullptr || file.empty()) return false;
  if (profiles::CurrentProfile().hostType != ftp::kHostRsx) pane.dirList->Clear();
  pane.fileList->Clear();
  ListingContext ctx = CurrentListingContext(*pane.dirList, *pane.fileList, pane.remoteDirName);
  ctx.mlsd = CurrentListingIsMlsd();
  return ParseListing(file, ctx);
}

}  // namespace listing
