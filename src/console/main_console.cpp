// mirvan: the console program. Runs one command-line transfer (the same command line as
// MIRVAN32: -i, -p, then the transfer) with the message log and progress on stderr and the
// prompts on the terminal. Exit status 0 after a transfer or a listed directory, else 1.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
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
#include "platform/net.h"
#include "app/command_line.h"
#include "transfer/data_connection.h"
#include "transfer/progress.h"
#include "transfer/rules.h"
#include "ui/controls.h"
#include "ui/message_box.h"

namespace {

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

// The console's log window: every line of the message log goes to stderr as it is appended.
class ConsoleLogText : public ui::Edit {
 public:
  void SetEnabled(bool) override {}
  bool IsEnabled() const override { return true; }
  void SetText(const std::string&) override {}
  std::string Text() const override { return std::string(); }
  void AppendText(const std::string& text) override {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      err.Line(text.substr(start, end - start));
      start = end + 2;
    }
  }
  void SelectAll() override {}
};

class ConsoleProgress : public transfer::ProgressPort {
 public:
  // The status text is already in the log; the console shows only the running figures.
  void Open(bool, const std::string&) override { open_ = true; }
  void SetProgress(const std::string& text) override {
    err.Progress(text);
  }
  void Close() override {
    err.EndProgress();
    open_ = false;
  }
  bool IsOpen() const override { return open_; }

 private:
  bool open_ = false;
};

// The closing message (and any other box) on stderr, as "MIRVAN32: text"; answers Ok.
class ConsoleMessageBox : public ui::MessageBoxPort {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned flags, bool) override {
    std::string shown = ForTerminal(text, STDERR_FILENO, true);
    err.Line("");
    if (caption.empty()) std::fprintf(stderr, "%s\n", shown.c_str());
    else std::fprintf(stderr, "%s: %s\n", caption.c_str(), shown.c_str());
    std::fflush(stderr);
    unsigned buttons = flags & 0xF;
    return (buttons == ui::kMbYesNo || buttons == ui::kMbYesNoCancel) ? ui::kIdYes : ui::kIdOk;
  }
};

// Prompts on the terminal, with the echo off for passwords. Without a terminal (or at the end
// of input) the prompt is cancelled.
class ConsolePrompts : public core::PromptPort {
 public:
  int Run(core::PromptKind kind, const std::string& promptText, std::string& input,
          const std::vector<std::string>&) override {
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
};

// The remote lists of a listed directory on stdout: "D <item>" for each directory-list item,
// then "F <item>" for each file-list item, each as the list holds it.
void PrintRemoteLists(const ui::ListBox& dirs, const ui::ListBox& files) {
  for (int i = 0; i < dirs.Count(); ++i) std::printf("D %s\n", ForTerminal(dirs.Text(i), STDOUT_FILENO).c_str());
  for (int i = 0; i < files.Count(); ++i) std::printf("F %s\n", ForTerminal(files.Text(i), STDOUT_FILENO).c_str());
  std::fflush(stdout);
}

// Sends QUIT on a control connection still open, closes every socket of the session and
// deletes the listing files.
void EndSession() {
  ftp::ConnectionState& c = ftp::Conn();
  c.dataSocket = transfer::CloseDataConnection(c.dataSocket.load());
  if (c.listenSocket.load() != ftp::kNoSocket) c.listenSocket = ftp::CancelAndCloseSocket(c.listenSocket.load());
  if (c.ctrl_skt.load() != ftp::kNoSocket) {
    ftp::SendFtpCommand(c.ctrl_skt.load(), "QUIT");
    c.ctrl_skt = ftp::CloseSocket(c.ctrl_skt.load());
    c.connected = 0;
  }
  listing::ClearListingCache();
}

}  // namespace

int main(int argc, char** argv) {
  std::string raw;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) raw += ' ';
    raw += argv[i];
  }
  std::string line;
  if (!core::TakeCommandLine(raw, line)) {
    std::fprintf(stderr, "mirvan: the command line is longer than %zu characters\n", core::kCommandLineMax);
    return 1;
  }
  if (!platform::NetStartup()) {
    std::fprintf(stderr, "mirvan: the socket library did not start\n");
    return 1;
  }
  ftp::InstallBlockingHook();
  ConsolePrompts prompts;
  ConsoleProgress progress;
  ConsoleLogText logText;
  ConsoleMessageBox messageBox;
  ui::SetMessageBoxPort(&messageBox);
  core::SetPromptPort(&prompts);
  transfer::SetProgressPort(&progress);
  core::AttachLogText(&logText);

  core::AppState& app = core::App();
  std::optional<size_t> rest = profiles::ReadProgramSettings(line);
  app.commandLineBuffer = rest ? line.substr(*rest) : std::string();
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
  EndSession();
  pane.Reset();
  core::AttachLogText(nullptr);
  transfer::SetProgressPort(nullptr);
  core::SetPromptPort(nullptr);
  ui::SetMessageBoxPort(nullptr);
  return result == 1 || (result == 2 && listed) ? 0 : 1;
}
