// Listing parser benchmark: generates 100,000-entry Unix, VMS, Windows NT and MLSD listings,
// times ParseListing into in-memory lists (LONGDIR on) and, for the Unix one, `awk '{print $9}'`.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "listing/listing_parser.h"
#include "ui/controls.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kRounds = 5;
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string UnixListing() {
  std::string s = "total 400000\n";
  char line[256];
  for (int i = 0; i < kEntries; ++i) {
    bool dir = i % 10 == 0;
    std::snprintf(line, sizeof line, "%s    1 ftp      ftp      %10llu %s %2d %s %s_%06d%s\n",
                  dir ? "drwxr-xr-x" : "-rw-r--r--", (unsigned long long)(i * 7919ULL % 10000000000ULL),
                  kMonths[i % 12], 1 + i % 28, (i % 3) ? "12:34" : " 2019", dir ? "directory" : "file_name", i,
                  dir ? "" : ".dat");
    s += line;
  }
  return s;
}

std::string VmsListing() {
  std::string s = "Directory USER$DISK:[JOHN]\n\n";
  char line[256];
  for (int i = 0; i < kEntries; ++i) {
    if (i % 10 == 0)
      std::snprintf(line, sizeof line, "SUB%06d.DIR;1            1  12-DEC-2019 10:01:11 [JOHN] (RWE,RWE,RE,RE)\n", i);
    else
      std::snprintf(line, sizeof line, "FILE%06d.DAT;%d          %d   9-APR-2020 14:38:44 [JOHN] (RWED,RWED,RE,)\n",
                    i, 1 + i % 9, i % 500);
    s += line;
  }
  return s + "\nTotal of 100000 files.\n";
}

std::string NtListing() {
  std::string s;
  char line[256];
  for (int i = 0; i < kEntries; ++i) {
    if (i % 10 == 0)
      std::snprintf(line, sizeof line, "%02d-%02d-%02d  %02d:%02d%cM       <DIR>          Folder %06d\n", 1 + i % 12,
                    1 + i % 28, i % 100, 1 + i % 12, i % 60, (i & 1) ? 'P' : 'A', i);
    else
      std::snprintf(line, sizeof line, "%02d-%02d-%02d  %02d:%02d%cM %20llu Document %06d.docx\n", 1 + i % 12,
                    1 + i % 28, i % 100, 1 + i % 12, i % 60, (i & 1) ? 'P' : 'A', (unsigned long long)i * 104729ULL, i);
    s += line;
  }
  return s;
}

std::string MlsdListing() {
  std::string s = "type=cdir;sizd=4096;modify=20260101000000;perm=el; .\r\n";
  char line[256];
  for (int i = 0; i < kEntries; ++i) {
    bool dir = i % 10 == 0;
    std::snprintf(line, sizeof line, "type=%s;size=%llu;modify=20%02d%02d%02d%02d%02d00;perm=r; %s_%06d%s\r\n",
                  dir ? "dir" : "file", (unsigned long long)(i * 7919ULL % 10000000000ULL), 19 + i % 7, 1 + i % 12,
                  1 + i % 28, i % 24, i % 60, dir ? "directory" : "file_name", i, dir ? "" : ".dat");
    s += line;
  }
  return s;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Best of several rounds of parsing the file, with the entry counts of the last round.
double TimeParse(const std::string& path, int hostType, bool mlsd, int& dirs, int& files) {
  double best = 1e9;
  for (int r = 0; r < kRounds; ++r) {
    ui::MemoryListBox dirList(true), fileList(false);
    listing::ListingContext ctx;
    ctx.dirList = &dirList;
    ctx.fileList = &fileList;
    ctx.hostType = hostType;
    ctx.mlsd = mlsd;
    ctx.longDir = 1;
    ctx.remoteDirName = "USER$DISK:[JOHN]";
    ctx.now = platform::CalendarTime{2026, 6, 15, 12, 0, 0};
    auto t0 = std::chrono::steady_clock::now();
    listing::ParseListing(path, ctx);
    auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, Seconds(t0, t1));
    dirs = dirList.Count();
    files = fileList.Count();
  }
  return best;
}

double TimeAwk(const std::string& path) {
  std::string cmd = "awk '{print $9}' '" + path + "' > /dev/null";
  double best = 1e9;
  for (int r = 0; r < kRounds; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) return -1;
    auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, Seconds(t0, t1));
  }
  return best;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : ".";
  struct Family {
    const char* name;
    int hostType;
    std::string text;
    bool mlsd = false;
  } families[] = {{"unix", 6010, UnixListing()},
                  {"vms", 6012, VmsListing()},
                  {"windows-nt", 6016, NtListing()},
                  {"mlsd", 6000, MlsdListing(), true}};
  double unixParse = 0, mlsdParse = 0;
  std::string unixPath;
  for (auto& f : families) {
    std::string path = dir + "/bench_listing_" + f.name + ".txt";
    if (!WriteFile(path, f.text)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    int dirs = 0, files = 0;
    double t = TimeParse(path, f.hostType, f.mlsd, dirs, files);
    if (f.mlsd) mlsdParse = t;
    std::printf("%-11s %6.1f MB  ParseListing %7.1f ms  (%d directories incl. \"..\", %d files)\n", f.name,
                f.text.size() / 1e6, t * 1e3, dirs, files);
    if (f.hostType == 6010) {
      unixParse = t;
      unixPath = path;
    }
  }
  double awk = TimeAwk(unixPath);
  if (awk < 0) {
    std::printf("awk could not be run\n");
    return 1;
  }
  std::printf("unix        awk '{print $9}' %7.1f ms\n", awk * 1e3);
  std::printf("ratio ParseListing / awk: %.2f (goal: at most 3)\n", unixParse / awk);
  std::printf("ratio MLSD ParseListing / awk: %.2f (goal: at most the Unix ratio)\n", mlsdParse / awk);
  for (auto& f : families) std::remove((dir + "/bench_listing_" + f.name + ".txt").c_str());
  return 0;
}
