// The listing parser: the line loop, the entries it adds, the dispatch by host type and the
// rules of the families that only pick out names.
#include "listing/listing_parser.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/app_state.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/host_type_codes.h"
#include "listing/listing_rules.h"
#include "listing/listing_text.h"
#include "profiles/session_profile.h"

namespace listing {

void ParserState::Reset() {
  widestEntry = 0;
  vosSection = VosSection::kNone;
}

ParserState& Parser() {
  static ParserState state;
  return state;
}

ListingContext CurrentListingContext(ui::ListBox& dirs, ui::ListBox& files, const std::string& remoteDirName) {
  ListingContext ctx;
  ctx.dirList = &dirs;
  ctx.fileList = &files;
  ctx.hostType = profiles::CurrentProfile().hostType;
  ctx.remoteDirName = remoteDirName;
  ctx.userName = profiles::CurrentProfile().user;
  ctx.longDir = core::Settings().longdir;
  ctx.vlink = core::Settings().vlink;
  ctx.now = platform::CurrentClock().LocalNow();
  ctx.dialogCharWidth = core::App().dialogUnitX;
  return ctx;
}

bool Line::StartsWith(const char* prefix) const { return std::strncmp(buf, prefix, std::strlen(prefix)) == 0; }

char* Line::SplitAtLastWord() {
  char* name = LastWord(buf);
  if (name != buf) name[-1] = '\0';
  return name;
}

// ---- entries ---------------------------------------------------------------------------

namespace {

// A printable copy of an untrusted name for the log.
std::string Printable(const char* name) {
  std::string out;
  for (const char* p = name; *p != '\0' && out.size() < 60; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    out.push_back((c < 0x20 || c == 0x7F) ? '?' : *p);
  }
  return out;
}

}  // namespace

void AddDirEntry(const ListingContext& ctx, const char* name) {
  if (name == nullptr || name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return;
  if (!IsSafeDirName(name)) {
    core::LogMessage("unsafe directory name not listed: %s", Printable(name).c_str());
    return;
  }
  if (ctx.dirList != nullptr) ctx.dirList->AddString(name);
}

void AddFileEntry(const ListingContext& ctx, const char* name, const char* info, uint64_t size) {
  if (name == nullptr || name[0] == '\0' || ctx.fileList == nullptr) return;
  // Built in one buffer reused across items: one allocation per item is the list's own copy.
  static thread_local std::string item;
  item.assign(name);
  if (ctx.longDir && info != nullptr) {
    if (item.size() < kNamePad) item.append(kNamePad - item.size(), ' ');
    item.append("\t| ");
    item.append(info);
  }
  int index = ctx.fileList->AddString(item);
  if (index >= 0) {
    ctx.fileList->SetItemData(index, size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size));
  }
  ParserState& st = Parser();
  if (item.size() > st.widestEntry) {
    st.widestEntry = item.size();
    ctx.fileList->SetHorizontalExtent(ctx.fileList->TextWidth(item) + 12 * ctx.dialogCharWidth);
  }
}

// ---- the families of this file ----------------------------------------------------------

namespace {

bool EndsWithSlash(const char* text, size_t n) { return n > 0 && (text[n - 1] == '/' || text[n - 1] == '\\'); }

void CutAtFirstBlank(char* text) {
  char* p = std::strchr(text, ' ');
  if (p != nullptr) *p = '\0';
}

void CutAtFirstBlankOrTab(char* text) { text[std::strcspn(text, " \t")] = '\0'; }

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    char a = *text, b = *prefix;
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// A name ending in "/" or "\" is a directory without that character; any other a file.
void DirOrFile(const ListingContext& ctx, char* name, const char* info) {
  size_t n = std::strlen(name);
  if (n == 0) return;
  if (EndsWithSlash(name, n)) {
    name[n - 1] = '\0';
    AddDirEntry(ctx, name);
  } else {
    AddFileEntry(ctx, name, info, 0);
  }
}

void DosLikeRules(Line& l, const ListingContext& ctx) {
  if (HasDirMarker(l.buf)) {
    CutAtFirstBlank(l.buf);
    AddDirEntry(ctx, l.buf);
    return;
  }
  if (l.StartsWith("Files match") || l.StartsWith("Directories match")) return;
  CutAtFirstBlank(l.buf);
  AddFileEntry(ctx, l.buf, l.From(14), 0);
}

void Os2LikeRules(Line& l, const ListingContext& ctx) {
  if (StartsWithNoCase(l.buf, "dirs:")) return;
  bool dir = HasDirMarker(l.buf) || l.StartsWith("drwx") || l.StartsWith("dr-");
  char* name = LastWord(l.buf);
  if (*name == '\0') return;
  if (dir) {
    AddDirEntry(ctx, name);
    return;
  }
  // A single-word line has nothing before its name: its information text is empty.
  if (name == l.buf) {
    AddFileEntry(ctx, name, "", 0);
    return;
  }
  name[-1] = '\0';
  AddFileEntry(ctx, name, SqueezeInfo(l.buf), 0);
}

void Ka9qRules(Line& l, const ListingContext& ctx) {
  if (std::strstr(l.buf, "Disk size") != nullptr) return;
  if (l.len > 41) {
    l.Cut(40);
    l.Cut(54);
    char* second = TrimRight(l.From(41));
    DirOrFile(ctx, second, l.From(55));
  }
  if (std::strlen(l.buf) > 12) {
    l.Cut(13);
    DirOrFile(ctx, TrimRight(l.buf), l.From(14));
  }
}

// Cuts a link line at its arrow and returns the link's own name, or the name unchanged.
char* LinkName(Line& l, char* name) {
  char* arrow = std::strstr(l.buf, " ->");
  if (arrow == nullptr) return name;
  *arrow = '\0';
  return LastWord(l.buf);
}

void SiNtRules(Line& l, const ListingContext& ctx) {
  char* name = l.SplitAtLastWord();
  if (std::strlen(l.buf) <= 3 || *name == '\0') return;
  char first = l.buf[0];
  if (first == 'd' || first == 'D' || (first == 'l' && ctx.vlink == 1) || HasDirMarker(l.buf)) {
    size_t n = std::strlen(name);
    if (EndsWithSlash(name, n)) name[n - 1] = '\0';
    AddDirEntry(ctx, LinkName(l, name));
    return;
  }
  if (ctx.vlink == 0 && first == 'l') name = LinkName(l, name);
  AddFileEntry(ctx, name, l.buf, 0);
}

const char* AfterRemoteDir(const ListingContext& ctx, const char* name) {
  const std::string& dir = ctx.remoteDirName;
  if (!dir.empty() && std::strncmp(name, dir.c_str(), dir.size()) == 0) return name + dir.size();
  return name;
}

void VmsRules(Line& l, const ListingContext& ctx) {
  if (l.buf[0] == ' ') return;
  char* semi = std::strchr(l.buf, ';');
  if (semi == nullptr) return;
  size_t stem = static_cast<size_t>(semi - l.buf);
  if (stem > 4 && std::strncmp(semi - 4, ".DIR", 4) == 0) {
    semi[-4] = '\0';
    if (ctx.hostType == ftp::kHostRsx) {
      char name[16];
      const char* rest = std::strlen(l.buf) > 3 ? l.buf + 3 : "";
      std::snprintf(name, sizeof name, "[%3.3s,%3.3s]", l.buf, rest);
      AddDirEntry(ctx, name);
    } else {
      AddDirEntry(ctx, AfterRemoteDir(ctx, l.buf));
    }
    return;
  }
  char* info = NextWord(semi);
  char* end = semi + 1;
  while (*end == ';' || (*end >= '0' && *end <= '9')) ++end;
  *end = '\0';
  CutAtFirstBlankOrTab(l.buf);
  const char* name = l.buf;
  if (ctx.hostType != ftp::kHostRsx) name = AfterRemoteDir(ctx, name);
  AddFileEntry(ctx, name, info, 0);
}

void QvtMacNcsaRules(Line& l, const ListingContext& ctx) {
  if (ctx.hostType == ftp::kHostQvtNet23) CutAtFirstBlank(l.buf);
  DirOrFile(ctx, l.buf, nullptr);
}

void MacPeterRules(Line& l, const ListingContext& ctx) {
  if (l.len <= 54) return;
  if (l.buf[0] == 'd') AddDirEntry(ctx, l.From(54));
  else if (l.buf[0] == '-') AddFileEntry(ctx, l.From(54), nullptr, 0);
}

void As400Rules(Line& l, const ListingContext& ctx) {
  char* mem = std::strstr(l.buf, "*MEM");
  if (mem == nullptr) return;
  *mem = '\0';
  AddFileEntry(ctx, LastWord(l.buf), nullptr, 0);
}

char* SkipBlanks(char* p) {
  while (*p == ' ') ++p;
  return p;
}

void MvsRules(Line& l, const ListingContext& ctx) {
  bool dataSet = l.len > 54 && !l.StartsWith("Migrated") && l.buf[0] != ' ' &&
                 std::strstr(l.buf, "Not Direct Acc") == nullptr && std::strstr(l.buf, " VSAM ") == nullptr &&
                 std::strstr(l.buf, "Lrecl") == nullptr;
  if (dataSet) {
    // Today's servers print a wider date column, so the name may start a little after
    // column 54: the blanks before it are not part of it.
    if (std::strstr(l.buf, " PO ") != nullptr) {
      AddDirEntry(ctx, SkipBlanks(l.From(54)));
    } else if (l.At(9) == ' ' && l.At(10) >= '0' && l.At(10) <= '9') {
      l.Cut(9);
      AddFileEntry(ctx, l.buf, l.From(10), 0);
    } else {
      l.Cut(53);
      AddFileEntry(ctx, SkipBlanks(l.From(54)), l.buf, 0);
    }
    return;
  }
  if (l.buf[0] == ' ') return;
  // A migrated data set names itself in its last word; the word "Migrated" is no name.
  if (l.StartsWith("Migrated")) {
    char* name = LastWord(l.buf);
    if (name != l.buf) AddFileEntry(ctx, name, nullptr, 0);
    return;
  }
  if (l.At(9) == ' ' || l.At(9) == '\0') {
    l.Cut(9);
    AddFileEntry(ctx, l.buf, nullptr, 0);
  }
}

void Os9Rules(Line& l, const ListingContext& ctx) {
  if (std::strstr(l.buf, "Directory") || std::strstr(l.buf, "Owner") || l.At(1) == '-') return;
  char* name = l.SplitAtLastWord();
  if (l.At(26) == 'd') AddDirEntry(ctx, name);
  else AddFileEntry(ctx, name, l.From(10), 0);
}

void GcosRules(Line& l, const ListingContext& ctx) {
  char* name = l.SplitAtLastWord();
  if (std::strlen(l.buf) <= 3 || *name == '\0') return;
  if (l.StartsWith(" d ")) AddDirEntry(ctx, name);
  else if (l.StartsWith(" - ")) AddFileEntry(ctx, name, l.From(14), 0);
}

// The first word and the rest after the one character that ends it.
char* FirstWordRest(Line& l) {
  size_t n = std::strcspn(l.buf, " \t");
  if (l.buf[n] == '\0') return l.buf + n;
  l.buf[n] = '\0';
  return l.buf + n + 1;
}

void MvsKnetRules(Line& l, const ListingContext& ctx) {
  char* rest = FirstWordRest(l);
  const char* name = l.buf;
  const std::string& user = ctx.userName;
  if (!user.empty() && StartsWithNoCase(name, user.c_str()) && name[user.size()] == '.') name += user.size() + 1;
  if (std::strstr(rest, " PO ") != nullptr) AddDirEntry(ctx, name);
  else AddFileEntry(ctx, name, rest, 0);
}

void CdcCyberRules(Line& l, const ListingContext& ctx) {
  if (l.len <= 40) return;
  auto digit = [&](size_t col) { return l.At(col) >= '0' && l.At(col) <= '9'; };
  if (!digit(36) && !digit(37)) return;
  l.Cut(14);
  AddFileEntry(ctx, SkipBlanks(l.buf), nullptr, 0);
}

void R1000Rules(Line& l, const ListingContext& ctx) {
  char* rest = SkipBlanks(FirstWordRest(l));
  if (std::strstr(rest, "DIRECTORY") || std::strstr(rest, "WORLD")) AddDirEntry(ctx, l.buf);
  else if (std::strstr(rest, "SESSION") == nullptr) AddFileEntry(ctx, l.buf, rest, 0);
}

void Cp6Rules(Line& l, const ListingContext& ctx) {
  if (l.len <= 44 || std::strstr(l.buf, "t modified") || std::strstr(l.buf, "s listed") || l.At(2) == ':') return;
  size_t col = 43;
  while (col < l.len && l.buf[col] == ' ') l.buf[col++] = '\0';
  char* name = l.From(col);
  CutAtFirstBlank(name);
  AddFileEntry(ctx, name, l.buf, 0);
}

void SpartacusRules(Line& l, const ListingContext& ctx) {
  l.Cut(23);
  char* name = SkipBlanks(TrimRight(l.buf));
  if (std::strlen(name) >= 2) AddFileEntry(ctx, name, SkipBlanks(l.From(24)), 0);
}

void TandemRules(Line& l, const ListingContext& ctx) {
  if (l.StartsWith("File")) return;
  l.Cut(10);
  AddFileEntry(ctx, TrimRight(l.buf), l.From(11), 0);
}

void StratusVosRules(Line& l, const ListingContext& ctx) {
  ParserState& st = Parser();
  if (l.StartsWith("Files:")) { st.vosSection = VosSection::kFiles; return; }
  if (l.StartsWith("Dirs:")) { st.vosSection = VosSection::kDirs; return; }
  if (l.StartsWith("Links:")) { st.vosSection = VosSection::kLinks; return; }
  if (l.len <= 20) return;
  char* name = l.SplitAtLastWord();
  switch (st.vosSection) {
    case VosSection::kFiles:
      AddFileEntry(ctx, name, l.buf, 0);
      break;
    case VosSection::kDirs:
      AddDirEntry(ctx, name);
      break;
    case VosSection::kLinks: {
      TrimRight(l.buf);
      size_t n = std::strlen(l.buf);
      if (n >= 2 && l.buf[n - 2] == '-') {
        l.buf[n - 2] = '\0';
        TrimRight(l.buf);
        name = l.SplitAtLastWord();
      }
      if (ctx.vlink == 0) AddFileEntry(ctx, name, l.buf, 0);
      else AddDirEntry(ctx, name);
      break;
    }
    case VosSection::kNone:
      break;
  }
}

// Reads lines of any length from chunks of input into one bounded buffer.
class LineFeeder {
 public:
  explicit LineFeeder(const ListingContext& ctx) : ctx_(ctx), buf_(new char[kMaxListingLine + 1]) {}

  void Feed(const char* data, size_t n) {
    while (n > 0) {
      const char* nl = static_cast<const char*>(std::memchr(data, '\n', n));
      size_t take = nl ? static_cast<size_t>(nl - data) : n;
      if (!overlong_) {
        if (used_ + take > kMaxListingLine) {
          overlong_ = true;
        } else {
          std::memcpy(buf_.get() + used_, data, take);
          used_ += take;
        }
      }
      if (nl == nullptr) return;
      EndLine();
      data = nl + 1;
      n -= take + 1;
    }
  }

  void Finish() {
    if (used_ > 0 || overlong_) EndLine();
  }

 private:
  void EndLine() {
    if (overlong_) {
      core::LogMessage("[x] listing line longer than %u characters skipped", static_cast<unsigned>(kMaxListingLine));
    } else {
      buf_[used_] = '\0';
      ParseListingLine(buf_.get(), ctx_);
    }
    used_ = 0;
    overlong_ = false;
  }

  const ListingContext& ctx_;
  std::unique_ptr<char[]> buf_;
  size_t used_ = 0;
  bool overlong_ = false;
};

void BeginListing(const ListingContext& ctx) {
  if (ctx.hostType != ftp::kHostRsx && ctx.dirList != nullptr) {
    ctx.dirList->Clear();
    ctx.dirList->AddString("..");
  }
  if (ctx.fileList != nullptr) ctx.fileList->Clear();
  Parser().Reset();
}

}  // namespace

void ParseListingLine(char* line, const ListingContext& ctx) {
  if (ctx.mlsd) {
    ParseMlsdLine(line, ctx);
    return;
  }
  TrimRight(line);
  Line l{line, std::strlen(line)};
  switch (ctx.hostType) {
    case ftp::kHostChameleon: case ftp::kHostNcsaCutcp: case ftp::kHostSuperTcp: case ftp::kHostHp3000: case ftp::kHostTgvMultiNet:
    case ftp::kHostFtpPcTcp30:
      DosLikeRules(l, ctx);
      break;
    case ftp::kHostFtpPcTcp:
      l.Cut(30);
      l.len = std::strlen(l.buf);
      Os2LikeRules(l, ctx);
      break;
    case ftp::kHostIbmPcTcpIp: case ftp::kHostAmiga: Os2LikeRules(l, ctx); break;
    case ftp::kHostIbmVm: IbmVmRules(l, ctx); break;
    case ftp::kHostKa9q: Ka9qRules(l, ctx); break;
    case ftp::kHostSiNtFtpd: SiNtRules(l, ctx); break;
    case ftp::kHostVmsMultiNet: case ftp::kHostVmsUcx: case ftp::kHostRsx: VmsRules(l, ctx); break;
    case ftp::kHostQvtNet23: case ftp::kHostMacNcsa: QvtMacNcsaRules(l, ctx); break;
    case ftp::kHostMacPeter: MacPeterRules(l, ctx); break;
    case ftp::kHostMicrosoftNt: WindowsNtRules(l, ctx); break;
    case ftp::kHostAs400: As400Rules(l, ctx); break;
    case ftp::kHostMvs: MvsRules(l, ctx); break;
    case ftp::kHostOs9: Os9Rules(l, ctx); break;
    case ftp::kHostCorvex: case ftp::kHostPcnfsPro: CorvexRules(l, ctx); break;
    case ftp::kHostBullGcos: GcosRules(l, ctx); break;
    case ftp::kHostMvsKnet: MvsKnetRules(l, ctx); break;
    case ftp::kHostCdcCyber: CdcCyberRules(l, ctx); break;
    case ftp::kHostR1000: R1000Rules(l, ctx); break;
    case ftp::kHostBullCp6: Cp6Rules(l, ctx); break;
    case ftp::kHostSpartacusKnet: SpartacusRules(l, ctx); break;
    case ftp::kHostTandem: TandemRules(l, ctx); break;
    case ftp::kHostStratusVos: StratusVosRules(l, ctx); break;
    case ftp::kHostNetWare4: NetWareRules(l, ctx); break;
    case ftp::kHostQvtNet40: QvtNet40Rules(l, ctx); break;
    case ftp::kHostMacVersaTerm: VersaTermRules(l, ctx); break;
    default: UnixRules(l, ctx); break;
  }
}

void ParseListingText(std::string_view text, const ListingContext& ctx) {
  ui::ListUpdate dirBatch(ctx.dirList), fileBatch(ctx.fileList);  // one repaint, one sort
  BeginListing(ctx);
  LineFeeder feeder(ctx);
  feeder.Feed(text.data(), text.size());
  feeder.Finish();
}

bool ParseListing(const std::string& path, const ListingContext& ctx) {
  ui::ListUpdate dirBatch(ctx.dirList), fileBatch(ctx.fileList);  // one repaint, one sort
  BeginListing(ctx);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    core::LogMessage("couldn't open %s for read.", path.c_str());
    return false;
  }
  LineFeeder feeder(ctx);
  static thread_local char chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    feeder.Feed(chunk, n);
    if (n == sizeof chunk && ctx.between != nullptr && !ctx.between()) {
      std::fclose(f);
      int shown = (ctx.dirList ? ctx.dirList->Count() : 0) + (ctx.fileList ? ctx.fileList->Count() : 0);
      core::LogMessage("listing display stopped: %d entries shown", shown);
      return true;
    }
  }
  feeder.Finish();
  std::fclose(f);
  return true;
}

}  // namespace listing
