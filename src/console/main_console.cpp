// mirvan: the console program. Runs one command-line transfer (the same command line as
// MIRVAN32: -i, -p, then the transfer) with the message log and progress on stderr and the
// prompts on the terminal. Exit status 0 after a transfer or a listed directory, 1 after a
// failure, 2 for a command line it cannot use.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "profiles/profile_settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "app/startup.h"
#include "transfer/data_connection.h"
#include "transfer/progress.h"
#include "transfer/rules.h"
#include "transfer/transfer_state.h"
#include "ui/controls.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace {

constexpr const char* kUsage =
    "Usage: mirvan [-i settings.ini] [-p profile] host:path [local:path] [options]\n"
    "       mirvan [-i settings.ini] [-p profile] local:path host:path [options]\n"
    "\n"
    "Receives one file from an FTP server, sends one to it, or lists a remote directory\n"
    "(\"D name\" and \"F name\" lines on standard output).\n"
    "\n"
    "The host part:\n"
    "  host:path                  a host name, an address ([::1] for IPv6) or a profile name\n"
    "  ftp://[user[:password]@]host[:port]/path\n"
    "  //host/path, file://host/path\n"
    "\n"
    "Options:\n"
    "  -i file      the settings file (default MIRVAN.INI)\n"
    "  -p profile   the session profile to start with\n"
    "  -ascii       transfer in ASCII type (default binary)\n"
    "  -resume      complete a shorter local file instead of receiving it again\n"
    "  -quiet       no message at the end\n"
    "  --help       this text\n"
    "  --version    the program's version\n"
    "\n"
    "Exit status: 0 the transfer was made or the directory listed, 1 it failed,\n"
    "2 the command line could not be used.\n";

// "1.5 MiB" style byte counts for the progress line.
std::string Bytes(double n) {
  static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int u = 0;
  while (n >= 1024 && u < 4) {
    n /= 1024;
    ++u;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", n, units[u]);
  return buf;
}

// The terminal's progress line from the progress text's byte count (its first number), the
// time since the transfer opened and the expected total (SIZE): the percentage, bytes, rate
// and time left.
std::string ProgressLine(const std::string& text, uint64_t elapsedMs) {
  long long bytes = std::atoll(text.c_str());
  if (bytes <= 0) return std::string();
  long long total = transfer::Transfer().transferTotal.load();
  double seconds = elapsedMs < 100 ? 0.1 : static_cast<double>(elapsedMs) / 1000.0;
  double rate = static_cast<double>(bytes) / seconds;
  std::string line;
  char buf[64];
  if (total > 0) {
    std::snprintf(buf, sizeof buf, "%3d%% ", static_cast<int>(bytes >= total ? 100 : bytes * 100 / total));
    line += buf;
  }
  line += Bytes(static_cast<double>(bytes));
  if (total > 0) line += " of " + Bytes(static_cast<double>(total));
  line += "  " + Bytes(rate) + "/s";
  if (total > bytes && rate > 0) {
    uint64_t left = static_cast<uint64_t>(static_cast<double>(total - bytes) / rate);
    std::snprintf(buf, sizeof buf, "  %u:%02u left", static_cast<unsigned>(left / 60), static_cast<unsigned>(left % 60));
    line += buf;
  }
  return line;
}

// Text from the server shown on a terminal: control characters (ESC, CR, BS...) could move the
// cursor, rewrite earlier lines or change the terminal's settings, so each is shown as \xHH.
// Tabs stay; in a file or a pipe nothing changes. `keepNewlines` keeps the line breaks of a text
// made of several lines.
std::string ForTerminal(const std::string& text, int fd, bool keepNewlines = false) {
  if (!isatty(fd)) return text;
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t' && !(keepNewlines && c == '\n')) || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", c);
      out += esc;
    } else {
      out += ch;
    }
  }
  return out;
}

// stderr shared by the log and the progress line: a log line first clears the progress line.
class ConsoleErr {
 public:
  void Line(const std::string& text) {
    ClearProgress();
    std::fprintf(stderr, "%s\n", ForTerminal(text, STDERR_FILENO).c_str());
    std::fflush(stderr);
  }
  void Progress(const std::string& text) {
    if (text.empty()) {
      ClearProgress();
      return;
    }
    std::string shown = ForTerminal(text.substr(0, 79), STDERR_FILENO);
    std::fprintf(stderr, "\r%s", shown.c_str());
    for (size_t i = shown.size(); i < progressWidth_; ++i) std::fputc(' ', stderr);
    std::fflush(stderr);
    progressWidth_ = shown.size();
  }
  void EndProgress() {
    if (progressWidth_ > 0) std::fputc('\n', stderr);
    progressWidth_ = 0;
    std::fflush(stderr);
  }

 private:
  void ClearProgress() {
    if (progressWidth_ == 0) return;
    // On a terminal the line is wiped; in a file or a pipe the last figures stay on their own line.
    if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\r%*s\r", static_cast<int>(progressWidth_), "");
    else std::fputc('\n', stderr);
    progressWidth_ = 0;
  }
  size_t progressWidth_ = 0;
};
ConsoleErr err;

// The closing message (and any other box) on stderr, as "MIRVAN32: text", server text made safe
// for a terminal; answers Ok (Yes to a question).
int ShowOnStderr(const std::string& text, const std::string& caption, unsigned flags) {
  std::string shown = ForTerminal(text, STDERR_FILENO, true);
  err.Line("");
  if (caption.empty()) std::fprintf(stderr, "%s\n", shown.c_str());
  else std::fprintf(stderr, "%s: %s\n", caption.c_str(), shown.c_str());
  std::fflush(stderr);
  unsigned buttons = flags & 0xF;
  return (buttons == ui::kMbYesNo || buttons == ui::kMbYesNoCancel) ? ui::kIdYes : ui::kIdOk;
}

// Prompts on the terminal, with the echo off for passwords. Without a terminal (or at the end
// of input) the prompt is cancelled.
int AskOnTerminal(core::PromptKind kind, const std::string& promptText, std::string& input) {
  {
    if (!isatty(STDIN_FILENO)) return 0;
    bool hidden = kind == core::PromptKind::kPassword;
    err.Line("");
    if (!input.empty() && !hidden) std::fprintf(stderr, "%s [%s] ", promptText.c_str(), input.c_str());
    else std::fprintf(stderr, "%s ", promptText.c_str());
    std::fflush(stderr);
    termios saved{};
    bool echoOff = hidden && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (echoOff) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    bool ended = true;
    int c;
    while ((c = std::fgetc(stdin)) != EOF) {
      if (c == '\n') {
        ended = false;
        break;
      }
      line += static_cast<char>(c);
    }
    if (echoOff) {
      tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
      std::fputc('\n', stderr);
    }
    if (ended && line.empty()) return 0;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() || hidden) input = line;
    return 1;
  }
}

// The console's front end: every line of the message log goes to stderr as it is appended,
// prompts are asked on the terminal, a transfer's running figures update one line; message
// boxes are printed (the memory front end's way).
class ConsoleFrontEnd : public ui::MemoryFrontEnd {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool) override {
    return ShowOnStderr(text, caption, flags);
  }
  void AppendLogLine(const std::string& line) override { err.Line(line); }
  int Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
             const std::vector<std::string>&) override {
    return AskOnTerminal(kind, promptText, input);
  }
  // The status text is already in the log; the console shows only the running figures.
  void ProgressOpen(bool, const std::string&) override {
    progressShown_ = true;
    openedMs_ = platform::CurrentClock().NowMs();
  }
  // On a terminal one line shows the running figures; elsewhere nothing: the log lines and the
  // statistics line say it all.
  void ProgressText(const std::string& text) override {
    if (!terminal_) return;
    err.Progress(text.empty() ? text : ProgressLine(text, platform::CurrentClock().NowMs() - openedMs_));
  }
  void ProgressClose() override {
    err.EndProgress();
    progressShown_ = false;
  }
  bool ProgressIsOpen() const override { return progressShown_; }

 private:
  bool terminal_ = isatty(STDERR_FILENO) != 0;
  bool progressShown_ = false;
  uint64_t openedMs_ = 0;
};

// The remote lists of a listed directory on stdout: "D <item>" for each directory-list item,
// then "F <item>" for each file-list item, each as the list holds it.
void PrintRemoteLists(const ui::ListBox& dirs, const ui::ListBox& files) {
  for (int i = 0; i < dirs.Count(); ++i) std::printf("D %s\n", ForTerminal(dirs.Text(i), STDOUT_FILENO).c_str());
  for (int i = 0; i < files.Count(); ++i) std::printf("F %s\n", ForTerminal(files.Text(i), STDOUT_FILENO).c_str());
  std::fflush(stdout);
}


}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("mirvan %s\n", app::kProgramVersion);
    return 0;
  }
  std::string raw;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) raw += ' ';
    raw += argv[i];
  }
  std::string line;
  if (!core::TakeCommandLine(raw, line)) {
    std::fprintf(stderr, "mirvan: the command line is longer than %zu characters\n", core::kCommandLineMax);
    return 2;
  }
  if (!platform::NetStartup()) {
    std::fprintf(stderr, "mirvan: the socket library did not start\n");
    return 1;
  }
  ftp::InstallBlockingHook();
  ConsoleFrontEnd frontEnd;
  ui::InstallFrontEnd(&frontEnd);

  core::AppState& app = core::App();
  app::ReadStartupState(line);
  app.startDirectory = platform::CurrentDirectory();
  transfer::LoadSounds();

  // The remote pane the directory case fills: directories sorted, files as SORTLBX says.
  ui::MemoryListBox remoteDirs(true), remoteFiles(core::ReadConfigInt("SORTLBX", 0) == 1);
  ui::MemoryComboBox remoteDirField(true);
  listing::RemotePaneState& pane = listing::RemotePane();
  pane.dirList = &remoteDirs;
  pane.fileList = &remoteFiles;
  pane.dirField = &remoteDirField;

  bool listed = true;
  int result = app::RunCommandLine(app.commandLineBuffer, &listed);
  // A directory whose listing did not come is a failure, not an empty directory.
  if (result == 2 && listed) PrintRemoteLists(remoteDirs, remoteFiles);
  app::EndSession();
  pane.Reset();
  ui::InstallFrontEnd(nullptr);
  return result == 1 || (result == 2 && listed) ? 0 : 1;
}
