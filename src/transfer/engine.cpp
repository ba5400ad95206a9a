// SendFile / ReceiveFile and their data loops.
#include "transfer/engine.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/socket_errors.h"
#include "ftp/host_type_codes.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/fs.h"
#include "platform/pump.h"
#include "profiles/session_profile.h"
#include "transfer/data_connection.h"
#include "transfer/progress.h"
#include "transfer/rules.h"
#include "transfer/transfer_state.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace transfer {

using core::LogMessage;
using platform::kNoSocket;

namespace {


void ErrorSound() {
  if (core::Settings().bell) PlaySoundEvent(kSoundError);
}

// Bytes per system call: the SBP/RBP block of 1 to 4096 bytes, or with MODERNFTP up to 256 KiB.
int BlockSize(int setting) {
  if (core::Settings().modernftp) return kModernBlockSize;
  return setting < 1 ? 1 : setting > kBlockBufferSize ? kBlockBufferSize : setting;
}

uint64_t Tick() { return platform::CurrentClock().NowMs(); }

// The common start: 0 when the transfer cannot begin, else 1 with the type settled.
int BeginTransfer(Socket ctrl, const std::string& amodeName, char& type) {
  ftp::ConnectionState& c = ftp::Conn();
  c.lastReplyCode = 0;
  if (ctrl == kNoSocket) {
    LogMessage("no ctrl_skt, ignored");
    return 0;
  }
  if (c.commandDepth.load() != 0) {
    LogMessage("command in process, ignored");
    return 0;
  }
  if (core::Settings().amode) {
    type = IsAsciiExtension(amodeName) ? 'A' : 'I';
    core::Settings().mode = type;
    ui::Front().TransferTypeChanged();
  }
  if (type != c.serverTransferType) {
    if (type == 'L') ftp::SendFtpCommand(ctrl, "TYPE L 8");
    else ftp::SendFtpCommand(ctrl, "TYPE %c", type);
    c.serverTransferType = type;
  }
  return 1;
}

// Sends the store command, once more as STOR when STOU was refused with 500.
int SendStoreCommand(Socket ctrl, std::string& command) {
  int r = ftp::SendFtpCommandText(ctrl, command);
  if (r == 5 && ftp::Conn().lastReplyCode.load() == 500 && command.size() > 3 && command[3] == 'U' &&
      core::Settings().stou == 1) {
    command[3] = 'R';
    r = ftp::SendFtpCommandText(ctrl, command);
  }
  return r;
}

// Whether a download target can be written, without creating or truncating it.
bool CanWriteTarget(const std::string& path) {
  if (platform::PathExists(path)) {
    if (platform::IsDirectory(path)) return false;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return false;
    std::fclose(f);
    return true;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fclose(f);
  platform::RemoveFile(path);
  return true;
}

void SetStatusText(const std::string& text) { core::Prompts().promptText = text; }

class ProgressScope {
 public:
  ProgressScope(bool sending, const std::string& status) {
    ResetProgressThrottle();
    if (ProgressPort* p = CurrentProgressPort()) {
      p->Open(sending, status);
      p->SetProgress("");
    }
  }
  ~ProgressScope() {
    ftp::Conn().commandDepth--;
    if (ProgressPort* p = CurrentProgressPort()) {
      p->SetProgress("");
      p->Close();
    }
  }
};

// A local file that cannot be read for sending: logged, sounded and, in command-line mode,
// shown in a message box.
void ReportOpenFailure(const std::string& path, int err) {
  LogMessage("failed to open file %s (%u)", path.c_str(), static_cast<unsigned>(err));
  ErrorSound();
  if (core::App().commandLineMode) {
    char text[400];
    std::snprintf(text, sizeof text, "failed to open file %s (%u)", path.c_str(), static_cast<unsigned>(err));
    ui::ShowMessageBox(text, core::kProgramCaption, ui::kMbOk);
  }
}

// 1 when the local file is a regular file that opens for reading; otherwise the failure is
// reported. A directory opens for reading on some systems and then fails every read: sending it
// would store an empty file over the server's.
int CanReadSource(const std::string& path) {
  platform::FileStamp stamp = platform::StampFile(path);
  if (stamp.exists && !stamp.regular) {
    LogMessage("%s is not a regular file: not sent", path.c_str());
    ErrorSound();
    if (core::App().commandLineMode) {
      std::string text = path + " is not a regular file: not sent";
      ui::ShowMessageBox(text, core::kProgramCaption, ui::kMbOk);
    }
    return 0;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    ReportOpenFailure(path, errno);
    return 0;
  }
  std::fclose(f);
  return 1;
}

}  // namespace


void QuoteArgument(std::string& command) {
  size_t word = command.find(' ');
  if (word == std::string::npos) return;
  size_t arg = command.find_first_not_of(' ', word);
  if (arg == std::string::npos) arg = command.size();
  command = command.substr(0, arg) + "'" + command.substr(arg) + "'";
}

namespace {

// One transfer over a data connection: passive when the profile asks for it (falling back to
// active when no passive connection can be made), else active. `sendCommand(active)` sends the
// transfer command with its fall-backs and returns the reply's class; `moveData(data)` runs the
// data loop and says whether all the data went through. The result is the completion reply's
// class, or 0 when the transfer did not start or its data failed (whatever the server replied:
// the completion reply is still read so the connection stays in step).
template <typename SendCommand, typename MoveData>
int OverDataConnection(Socket ctrl, SendCommand sendCommand, MoveData moveData, bool receiving) {
  ftp::ConnectionState& c = ftp::Conn();
  if (profiles::CurrentProfile().passive == 1) {
    Socket data = OpenPassiveData(ctrl);
    if (data != kNoSocket) {
      c.dataSocket = data;
      if (sendCommand(false) == 1) {
        bool moved = moveData(data);
        CloseDataConnection(data);
        int cls = ftp::GetTransferReply(ctrl, moved);
        return moved ? cls : 0;
      }
      CloseDataConnection(data);
      ErrorSound();
      return 0;
    }
  }
  Socket listener = OpenActiveListener(ctrl);
  if (listener == kNoSocket) {
    ErrorSound();
    return 0;
  }
  if (sendCommand(true) == 1) {
    Socket data = AcceptActiveData(listener);
    if (data == kNoSocket) return 0;
    c.dataSocket = data;
    bool moved = moveData(data);
    CloseDataConnection(data);
    if (receiving) LogMessage("[%u] looking for completion line", static_cast<unsigned>(ctrl));
    int cls = ftp::GetTransferReply(ctrl, moved);
    return moved ? cls : 0;
  }
  c.listenSocket = ftp::CancelAndCloseSocket(listener);
  ErrorSound();
  return 0;
}

}  // namespace

int SendFile(Socket ctrl, std::string command, const std::string& localPath, char type) {
  if (!BeginTransfer(ctrl, localPath, type)) return 0;
  // An unreadable local file stops the upload before the store command: the server would
  // otherwise store an empty file over the real one and report it complete.
  if (!CanReadSource(localPath)) return 0;
  if (core::Settings().stou == 1 && command.size() > 3 && command[3] == 'R') command[3] = 'U';
  return OverDataConnection(
      ctrl, [&](bool) { return SendStoreCommand(ctrl, command); },
      [&](Socket data) { return SendFileData(data, localPath) == 1; }, false);
}

int ReceiveFile(Socket ctrl, std::string command, const std::string& localPath, char type) {
  if (!BeginTransfer(ctrl, command, type)) return 0;
  if (!CanWriteTarget(localPath)) {
    LogMessage("FAILED TO OPEN %s FOR WRITE!", localPath.c_str());
    return 0;
  }
  Transfer().transferTotal = 0;
  // The bytes go to a new file beside the target, which replaces it only after a complete
  // transfer: a failure keeps the old file. A device or a pipe is written directly.
  const std::string target = platform::ResolveLinks(localPath);
  platform::FileStamp targetStamp = platform::StampFile(target);
  const bool replace = !targetStamp.exists || targetStamp.regular;
  std::string receivePath = target;
  if (replace) {
    receivePath = platform::MakeTempFileBeside(target);
    if (receivePath.empty()) {
      LogMessage("FAILED TO OPEN %s FOR WRITE!", localPath.c_str());
      return 0;
    }
  }
  ftp::ConnectionState& c = ftp::Conn();
  Transfer().restartOffset = 0;
  const bool retrieve = command.compare(0, 5, "RETR ") == 0 && command.size() > 5;
  int64_t remoteSize = -1;
  if (core::Settings().modernftp && c.features.size && retrieve) {
    // The expected total for the progress figures, whatever the 150 reply says.
    if (ftp::SendFtpCommandText(ctrl, "SIZE " + command.substr(5)) == 2) {
      int64_t n = 0;
      if (ftp::ParseSizeReply(c.replyLine, n)) {
        remoteSize = n;
        Transfer().transferTotal = n;
      } else {
        LogMessage("SIZE reply not understood: %s", c.replyLine.c_str());
      }
    }
  }
  int64_t resumeAt = 0;
  if (core::Settings().modernftp && core::Settings().resume && retrieve && targetStamp.exists && targetStamp.regular) {
    int64_t localSize = platform::FileSize(target);
    if (localSize > 0) {
      if (type != 'I') LogMessage("%s not resumed: only binary downloads are resumed", localPath.c_str());
      else if (remoteSize < 0) LogMessage("%s not resumed: the server gave no size", localPath.c_str());
      else if (localSize < remoteSize) resumeAt = localSize;
    }
  }
  // A resumed download appends to the target itself; a whole one goes to the new file.
  bool resumed = false;
  auto sendRetrieve = [&](bool active) {
    if (resumeAt > 0) {
      // REST right before the retrieve command; a refusal means the whole file.
      resumed = ftp::SendFtpCommand(ctrl, "REST %lld", static_cast<long long>(resumeAt)) == 3;
      if (!resumed) LogMessage("REST refused: %s is received whole", localPath.c_str());
      Transfer().restartOffset = resumed ? resumeAt : 0;
    }
    int r = ftp::SendFtpCommandText(ctrl, command);
    // Some hosts want a refused name again in quotes (tried on active connections).
    if (active && c.lastReplyCode.load() == 550 && profiles::CurrentProfile().hostType == ftp::kHostMvsKnet) {
      QuoteArgument(command);
      r = ftp::SendFtpCommandText(ctrl, command);
    }
    if (r == 1) SetStatusText(c.replyLine);  // the server's preliminary reply describes the download
    return r;
  };
  int cls = OverDataConnection(
      ctrl, sendRetrieve, [&](Socket data) { return ReceiveFileData(data, resumed ? target : receivePath) == 1; }, true);
  if (replace && resumed) {
    platform::RemoveFile(receivePath);  // the resumed bytes went to the target
  } else if (replace) {
    if (cls == 2 && !platform::ReplaceFileWith(receivePath, target)) {
      LogMessage("failed to replace %s (%u)", localPath.c_str(), static_cast<unsigned>(errno));
      ErrorSound();
      cls = 0;
    }
    if (cls != 2) platform::RemoveFile(receivePath);
  }
  return cls;
}

namespace {

// After the last byte of an upload: tells the server the data has ended and waits (bounded by
// the time-out) for it to close its side. False when the server reset the connection instead,
// which means it did not take everything that was sent.
bool EndOfUpload(Socket data) {
  if (platform::ShutdownSend(data) != 0) {
    ftp::LogSocketError("shutdown", platform::LastSocketError());
    return false;
  }
  char buf[512];
  for (;;) {
    ftp::StartNetTimer();
    int n = platform::Recv(data, buf, sizeof buf);
    int error = platform::LastSocketError();
    ftp::StopNetTimer();
    if (n > 0) continue;  // nothing is expected here; whatever comes is dropped
    if (n == 0) return true;
    if (error == platform::kErrCancelled) {
      ftp::Conn().abortFlag = 0;  // the server did not close in time: its reply decides
      return true;
    }
    ftp::LogSocketError("send", error);
    return false;
  }
}

}  // namespace

int SendFileData(Socket data, const std::string& path) {
  ftp::ConnectionState& c = ftp::Conn();
  if (data == kNoSocket || !c.connected.load()) return 0;
  c.commandDepth++;
  c.abortFlag = 0;
  int64_t size = platform::FileSize(path);
  char status[600];
  const char* word = c.serverTransferType == 'A' ? "ASCII" : "BINARY";
  if (size >= 0) std::snprintf(status, sizeof status, "Sending %s file %s (%lld bytes)", word, path.c_str(), static_cast<long long>(size));
  else std::snprintf(status, sizeof status, "Sending %s file %s", word, path.c_str());
  SetStatusText(status);
  ProgressScope progress(true, status);

  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    ReportOpenFailure(path, errno);
    return 0;
  }
  std::vector<char> fileBuffer(1 << 16);  // one disk read per 64 KiB, not per block
  std::setvbuf(f, fileBuffer.data(), _IOFBF, fileBuffer.size());
  int blockSize = BlockSize(core::Settings().sbp);
  std::vector<char> block(static_cast<size_t>(blockSize));
  int64_t total = 0;
  bool failed = false;
  uint64_t start = Tick();
  while (!c.abortFlag.load()) {
    size_t n = std::fread(block.data(), 1, static_cast<size_t>(blockSize), f);
    if (n == 0) {
      if (std::ferror(f)) {
        LogMessage("failed to read file %s (%u)", path.c_str(), static_cast<unsigned>(errno));
        failed = true;
      }
      break;
    }
    ftp::StartNetTimer();  // a server that takes nothing for the time-out is given up
    int sent = ftp::SendAll(data, block.data(), static_cast<int>(n));
    ftp::StopNetTimer();
    total += sent;
    if (sent < static_cast<int>(n)) {
      failed = true;  // the data connection broke: the rest cannot follow
      break;
    }
    ShowProgress(total, start, Tick(), size > 0 ? size : 0);
    ui::Front().PumpWaitingMessages();
  }
  std::fclose(f);
  if (!failed && !c.abortFlag.load()) failed = !EndOfUpload(data);
  uint64_t end = Tick();
  failed = failed || c.abortFlag.load();
  ReportTransferStats("Transmitted", total, start, end, failed);
  return failed ? 0 : 1;
}

int ReceiveFileData(Socket data, const std::string& path) {
  ftp::ConnectionState& c = ftp::Conn();
  if (data == kNoSocket || !c.connected.load()) return 0;
  c.commandDepth++;
  c.abortFlag = 0;
  ProgressScope progress(false, core::Prompts().promptText);

  // The file is created (replacing an old one) when the first bytes arrive, or at a clean end
  // with nothing received: a transfer that fails before sending anything leaves it untouched.
  std::FILE* f = nullptr;
  bool openFailed = false;
  // A resumed download keeps the file's first bytes and appends behind them.
  const int64_t restartOffset = Transfer().restartOffset.exchange(0);
  const int blockSize = BlockSize(core::Settings().rbp);
  // Small blocks are gathered into one disk write per 64 KiB; large ones go straight to the
  // file (a buffer would only copy them once more).
  std::vector<char> fileBuffer(blockSize < (1 << 16) ? 1 << 16 : 0);
  auto openTarget = [&] {
    if (f || openFailed) return;
    f = std::fopen(path.c_str(), restartOffset > 0 ? "ab" : "wb");
    if (f && !fileBuffer.empty()) std::setvbuf(f, fileBuffer.data(), _IOFBF, fileBuffer.size());
    else if (f) std::setvbuf(f, nullptr, _IONBF, 0);
    else {
      openFailed = true;
      LogMessage("failed to open file %s (%u)", path.c_str(), static_cast<unsigned>(errno));
    }
  };
  std::vector<char> block(static_cast<size_t>(blockSize));
  int64_t total = 0;
  int lastRecv = 0, recvError = 0;
  uint64_t start = Tick();
  while (!c.abortFlag.load()) {
    ftp::StartNetTimer();  // nothing arriving for the time-out ends the transfer
    lastRecv = platform::Recv(data, block.data(), blockSize);
    if (lastRecv < 0) recvError = platform::LastSocketError();
    ftp::StopNetTimer();
    if (lastRecv <= 0) break;
    openTarget();
    if (!f || std::fwrite(block.data(), 1, static_cast<size_t>(lastRecv), f) != static_cast<size_t>(lastRecv)) {
      // ABOR has a reply of its own after the transfer's: read before the next command, so
      // the replies after it stay paired with their commands.
      if (platform::Send(ftp::Conn().ctrl_skt.load(), "ABOR\r\n", 6, true) == 6) ++c.owedReplies;
      c.abortFlag = 1;
      LogMessage("File error on WRITE! Aborted");
    }
    total += lastRecv;
    int64_t expected = Transfer().transferTotal.load();
    ShowProgress(total, start, Tick(), expected > restartOffset ? expected - restartOffset : 0);
    ui::Front().PumpWaitingMessages();
  }
  uint64_t end = Tick();
  if (lastRecv == 0 && total == 0 && !c.abortFlag.load()) openTarget();  // an empty file
  bool writeFailed = openFailed;
  if (f) {
    writeFailed = (std::fflush(f) != 0) || writeFailed;
    writeFailed = (std::fclose(f) != 0) || writeFailed;
    if (writeFailed && !c.abortFlag.load()) LogMessage("File error on WRITE! Aborted");
  }
  if (lastRecv < 0) {
    ftp::LogSocketError("recv", recvError);
    if (total == 0) ErrorSound();
  }
  // A connection that broke before or during the data is a failed transfer, not a short success.
  bool failed = writeFailed || lastRecv < 0 || c.abortFlag.load();
  ReportTransferStats("Received", total, start, end, failed);
  if (c.abortFlag.load()) {
    platform::ShutdownSocket(data);
    LogMessage("You MAY have to press Cancel and/or Close this connection.");
  }
  return failed ? 0 : 1;
}

}  // namespace transfer
