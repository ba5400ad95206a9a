// Runs the listing fixture tables of tests/data/listings: each case whole, and each of its
// lines alone, against the directory and file entries the table expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "listing/listing_parser.h"
#include "ui/controls.h"

namespace {

struct Expected {
  bool dir = false;
  std::string name;
  bool hasInfo = false;
  std::string info;
  long long size = 0;
};

struct RawLine {
  std::string text;
  std::vector<Expected> entries;
};

struct Settings {
  int host = 6010;
  int longDir = 1;
  int vlink = 1;
  bool alone = true;
  std::string crlf = "\n";
  std::string remoteDir, user;
  platform::CalendarTime now{2026, 12, 10, 12, 0, 0};
};

struct Case {
  std::string file, name;
  Settings settings;
  std::vector<RawLine> lines;
  std::string error;  // a malformed table line, reported by the test
};

// "text" with \t \r \n \\ \" \xNN escapes; advances `pos` past the closing quote.
bool ReadQuoted(const std::string& s, size_t& pos, std::string& out) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < s.size()) {
      char e = s[++pos];
      if (e == 't') out.push_back('\t');
      else if (e == 'r') out.push_back('\r');
      else if (e == 'n') out.push_back('\n');
      else if (e == 'x' && pos + 2 < s.size()) {
        out.push_back(static_cast<char>(std::stoi(s.substr(pos + 1, 2), nullptr, 16)));
        pos += 2;
      } else out.push_back(e);
    } else {
      out.push_back(c);
    }
  }
  return false;
}

bool ApplySetting(Settings& st, const std::string& line) {
  std::istringstream in(line);
  std::string key;
  in >> key;
  std::string rest;
  std::getline(in, rest);
  size_t b = rest.find_first_not_of(' ');
  rest = (b == std::string::npos) ? "" : rest.substr(b);
  if (key == "host") st.host = std::stoi(rest);
  else if (key == "longdir") st.longDir = std::stoi(rest);
  else if (key == "vlink") st.vlink = std::stoi(rest);
  else if (key == "alone") st.alone = rest != "no";
  else if (key == "crlf") st.crlf = rest == "yes" ? "\r\n" : "\n";
  else if (key == "remotedir") st.remoteDir = rest;
  else if (key == "user") st.user = rest;
  else if (key == "now") {
    platform::CalendarTime t{};
    if (std::sscanf(rest.c_str(), "%d-%d-%d %d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute) != 5) return false;
    st.now = t;
  } else return false;
  return true;
}

std::vector<Case> LoadFile(const std::filesystem::path& path) {
  std::vector<Case> cases;
  Settings defaults;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    if (cases.empty()) cases.push_back(Case{path.stem().string(), "table", defaults, {}, ""});
    if (cases.back().error.empty())
      cases.back().error = path.filename().string() + ":" + std::to_string(lineNo) + ": " + why;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("== ", 0) == 0) {
      cases.push_back(Case{path.stem().string(), line.substr(3), defaults, {}, ""});
      continue;
    }
    if (line.rfind("> ", 0) == 0 || line == ">") {
      if (cases.empty()) { fail("raw line before the first case"); continue; }
      cases.back().lines.push_back(RawLine{line.size() > 2 ? line.substr(2) : "", {}});
      continue;
    }
    if (line.rfind("q> ", 0) == 0) {
      size_t pos = 3;
      std::string text;
      if (cases.empty() || !ReadQuoted(line, pos, text)) { fail("bad quoted line"); continue; }
      cases.back().lines.push_back(RawLine{text, {}});
      continue;
    }
    if (line.rfind("  dir ", 0) == 0 || line.rfind("  file ", 0) == 0) {
      if (cases.empty() || cases.back().lines.empty()) { fail("entry before any raw line"); continue; }
      Expected e;
      e.dir = line.rfind("  dir ", 0) == 0;
      size_t pos = e.dir ? 6 : 7;
      if (!ReadQuoted(line, pos, e.name)) { fail("bad name"); continue; }
      if (!e.dir) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        if (pos < line.size() && line[pos] == '-') {
          ++pos;
        } else if (ReadQuoted(line, pos, e.info)) {
          e.hasInfo = true;
        } else { fail("bad info"); continue; }
        std::string rest = line.substr(pos);
        if (std::sscanf(rest.c_str(), "%lld", &e.size) != 1) { fail("bad size"); continue; }
      }
      cases.back().lines.back().entries.push_back(e);
      continue;
    }
    Settings& target = cases.empty() ? defaults : cases.back().settings;
    if (!ApplySetting(target, line)) fail("unknown line: " + line);
  }
  return cases;
}

std::vector<Case> LoadAll() {
  std::vector<Case> all;
  std::filesystem::path dir = std::filesystem::path(MIRVAN_TEST_DATA) / "listings";
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (auto& f : files) {
    auto cases = LoadFile(f);
    all.insert(all.end(), cases.begin(), cases.end());
  }
  return all;
}

struct Lists {
  ui::MemoryListBox dirs{true};
  ui::MemoryListBox files{false};
};

listing::ListingContext ContextFor(const Settings& st, Lists& lists, int longDir) {
  listing::ListingContext ctx;
  ctx.dirList = &lists.dirs;
  ctx.fileList = &lists.files;
  ctx.hostType = st.host;
  ctx.remoteDirName = st.remoteDir;
  ctx.userName = st.user;
  ctx.longDir = longDir;
  ctx.vlink = st.vlink;
  ctx.now = st.now;
  return ctx;
}

std::string ItemText(const Expected& e, int longDir) {
  if (!longDir || !e.hasInfo) return e.name;
  std::string s = e.name;
  if (s.size() < listing::kNamePad) s.append(listing::kNamePad - s.size(), ' ');
  return s + "\t| " + e.info;
}

std::string Show(const std::string& s) {
  std::string out;
  for (char c : s) out += (c == '\t') ? std::string("\\t") : std::string(1, c);
  return "\"" + out + "\"";
}

// Parses `text` and compares both lists with what `lines` expect.
void Check(const Case& c, const std::vector<const RawLine*>& lines, const std::string& text, int longDir) {
  Lists got;
  listing::ParseListingText(text, ContextFor(c.settings, got, longDir));
  Lists want;
  if (c.settings.host != 6019) want.dirs.AddString("..");
  std::vector<std::pair<std::string, long long>> wantFiles;
  for (const RawLine* l : lines)
    for (const Expected& e : l->entries) {
      if (e.dir) want.dirs.AddString(e.name);
      else wantFiles.emplace_back(ItemText(e, longDir), e.size);
    }
  std::vector<std::string> gotDirs, wantDirs;
  for (int i = 0; i < got.dirs.Count(); ++i) gotDirs.push_back(Show(got.dirs.Text(i)));
  for (int i = 0; i < want.dirs.Count(); ++i) wantDirs.push_back(Show(want.dirs.Text(i)));
  EXPECT_EQ(gotDirs, wantDirs) << "directory entries";
  std::vector<std::string> gotFiles, wantFileTexts;
  for (int i = 0; i < got.files.Count(); ++i)
    gotFiles.push_back(Show(got.files.Text(i)) + " " + std::to_string(got.files.ItemData(i)));
  for (auto& f : wantFiles) wantFileTexts.push_back(Show(f.first) + " " + std::to_string(f.second));
  EXPECT_EQ(gotFiles, wantFileTexts) << "file entries";
}

// Shown when a case fails, in place of the raw bytes of the case.
void PrintTo(const Case& c, std::ostream* os) { *os << c.file << ": " << c.name; }

class ListingFixture : public ::testing::TestWithParam<Case> {};

TEST_P(ListingFixture, WholeListing) {
  const Case& c = GetParam();
  ASSERT_TRUE(c.error.empty()) << c.error;
  ASSERT_FALSE(c.lines.empty()) << "a case without lines";
  std::vector<const RawLine*> all;
  std::string text;
  for (const RawLine& l : c.lines) {
    all.push_back(&l);
    text += l.text + c.settings.crlf;
  }
  {
    SCOPED_TRACE("LONGDIR on");
    Check(c, all, text, 1);
  }
  {
    SCOPED_TRACE("LONGDIR off");
    Check(c, all, text, 0);
  }
}

TEST_P(ListingFixture, EachLineAlone) {
  const Case& c = GetParam();
  ASSERT_TRUE(c.error.empty()) << c.error;
  if (!c.settings.alone) GTEST_SKIP() << "lines of this family depend on the lines before them";
  for (const RawLine& l : c.lines) {
    SCOPED_TRACE("line: " + l.text);
    Check(c, {&l}, l.text, c.settings.longDir);
  }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string s = info.param.file + "_" + info.param.name;
  for (char& ch : s)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return s;
}

INSTANTIATE_TEST_SUITE_P(Tables, ListingFixture, ::testing::ValuesIn(LoadAll()), CaseName);

}  // namespace
