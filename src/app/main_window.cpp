// The main window's logic: enabling, masks, the command dispatch with its guards, Connect and
// Close, the abort sequence (which stops a worker without killing it), drops and the close request.
#include "app/main_window.h"

#include <algorithm>
#include <cctype>

#include "app/command_line.h"
#include "app/worker.h"
#include "core/app_state.h"
#include "core/help.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "ftp/login.h"
#include "listing/dir_list.h"
#include "local/local_list.h"
#include "platform/net.h"
#include "profiles/profile_settings.h"
#include "resources/resource.h"
#include "transfer/data_connection.h"
#include "transfer/rules.h"
#include "ui/front_end.h"

namespace app {
namespace {

constexpr int kMaxLoginRetries = 40;  // what the session dialog accepts

void Enable(ui::Control* c, bool on) {
  if (c) c->SetEnabled(on);
}
int SelectedCount(const ui::ListBox* list) { return list ? static_cast<int>(list->SelectedItems().size()) : 0; }
bool Connected() { return ftp::Conn().connected != 0; }
ui::Button* PaneButtonOf(PaneControls& pane, int k) { return pane.buttons[k]; }

void SetConnectText(MainWindowState& w, const char* text) {
  if (w.connect) w.connect->SetText(text);
}
void SetArrow(MainWindowState& w) {
  if (w.host) w.host->SetCursor(CursorKind::kDefault);
}

// The remote lists brought up to date, then the remote buttons follow them.
void ListRemote(MainWindowState& w, int refresh) {
  listing::DoDirList(refresh);
  EnableRemoteDirButtons(w);
  EnableRemoteFileButtons(w);
}

void ClearCapabilities() {
  ftp::HostFacts& h = ftp::Host();
  h.canMkd = h.canRmd = h.canRename = h.canDele = 0;
}

// Closes the data connections and the control connection. With `quit` "QUIT" goes first: with
// `waitReply` its reply is awaited (the Close command), else it is only sent, so that a server
// that has stopped answering cannot hold the client.
void CloseConnections(bool quit, bool waitReply) {
  ftp::ConnectionState& c = ftp::Conn();
  if (c.dataSocket.load() != ftp::kNoSocket) c.dataSocket = transfer::CloseDataConnection(c.dataSocket.load());
  if (c.listenSocket.load() != ftp::kNoSocket) c.listenSocket = ftp::CloseSocket(c.listenSocket.load());
  ftp::Socket s = c.ctrl_skt.load();
  if (s != ftp::kNoSocket) {
    if (quit && waitReply) {
      ftp::SendFtpCommand(s, "QUIT");
    } else if (quit) {
      core::LogLine("QUIT");
      ftp::SendCommandLine(s, "QUIT");
    }
    // A close that fails (a blocking call on it) is cancelled and retried.
    c.ctrl_skt = ftp::CancelAndCloseSocket(s);
  }
  c.connected = 0;
  ClearCapabilities();
}

void FinishAbort(MainWindowState& w, int id, bool sendQuit) {
  CloseConnections(sendQuit, false);
  w.closing = false;
  ui::Front().SetMainCaption(core::kProgramCaption);
  SetConnectText(w, kConnectText);
  EnableRemoteDirButtons(w);
  EnableRemoteFileButtons(w);
  if (id == IDM_EXIT) {
    if (w.host) w.host->SendCloseRequest();
  } else {
    ListRemote(w, 0);
  }
}

// Close or Exit while an FTP operation runs. The worker, when one runs, is stopped through the
// flags and waited for; an operation of this thread below us in the stack ends at its next wait
// once the control connection is shut down, and the rest waits for it (RunDeferredAbort).
void AbortSequence(MainWindowState& w, int id) {
  ftp::ConnectionState& c = ftp::Conn();
  c.abortFlag = 1;
  if (w.closing) return;
  w.closing = true;
  bool workerStopped = true;
  if (WorkerRunning()) {
    core::LogLine("Aborting thread.");
    workerStopped = StopWorker();
  }
  if (c.commandDepth == 0 && workerStopped) {
    FinishAbort(w, id, true);
    return;
  }
  // Something still runs on the connection: end its waits now and finish once it has returned.
  ftp::Socket s = c.ctrl_skt.load();
  if (s != ftp::kNoSocket) {
    if (workerStopped) {  // only this thread uses the socket: say goodbye first
      core::LogLine("QUIT");
      platform::Send(s, "QUIT\r\n", 6);
    }
    platform::ShutdownSocket(s);
  }
  ftp::Socket data = c.dataSocket.load();
  if (data != ftp::kNoSocket) platform::ShutdownSocket(data);
  w.deferredAbort = id;
}

void CloseCommand(MainWindowState& w) {
  ftp::ConnectionState& c = ftp::Conn();
  c.batchCancel = 1;
  if (w.closing) return;
  w.closing = true;
  CloseConnections(true, true);
  w.closing = false;
  ui::Front().SetMainCaption(core::kProgramCaption);
  SetConnectText(w, kConnectText);
  ListRemote(w, 0);
  ClearCapabilities();
  EnableAllButtons(w);
  EnableAllButtons(w);
  ui::Front().SetMainCaption(core::kProgramCaption);
  listing::ClearListingCache();
}

void ConnectCommand(MainWindowState& w, bool fromButton) {
  if (core::IsBusy()) return;
  ftp::ConnectionState& c = ftp::Conn();
  if (c.ctrl_skt.load() != ftp::kNoSocket) {
    // "&Close" pressed while a command waits: closed as the popup's Close does then, rather than
    // a QUIT that would wait behind the command it interrupts.
    if (c.commandDepth != 0) AbortSequence(w, IDM_POPUP_CLOSE);
    else CloseCommand(w);
    return;
  }
  listing::ClearListingCache();
  profiles::SessionProfile chosen = profiles::CurrentProfile();
  if (w.host && w.host->RunSessionDialog(chosen)) {
    c.abortFlag = 0;
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p = chosen;
    // A profile without a local mask shows every file, and the field says so.
    if (w.local.mask) w.local.mask->SetText(p.localMask.empty() ? "*.*" : p.localMask);
    if (w.remote.mask) w.remote.mask->SetText(p.remoteMask);
    ReadLocalMask(w);
    if (!p.localDir.empty()) {
      ftp::SetLocalDir(p.localDir == "origdir" ? core::App().startDirectory : p.localDir);
      if (w.panes) w.panes->FillLocalLists();
    }
    if (ui::ListBox* files = w.host->RecreateRemoteFileList()) w.remote.files = files;
    AttachRemotePane(w);
    c.ctrl_skt = ftp::Login(p);
    int retries = std::min(p.retries, kMaxLoginRetries);
    while (c.ctrl_skt.load() == ftp::kNoSocket && retries-- > 0 && !c.abortFlag) {
      w.host->ProcessPendingMessages();
      c.ctrl_skt = ftp::Login(p);
    }
    if (Connected() && c.ctrl_skt.load() != ftp::kNoSocket) {
      SetConnectText(w, kCloseText);
      if (!p.remoteDir.empty()) ftp::ChangeRemoteDir(c.ctrl_skt.load(), p.remoteDir);
      if (fromButton) {
        ReadRemoteMask(w);
        ListRemote(w, 0);
      }
    }
  }
  EnableAllButtons(w);
  SetArrow(w);
  if (w.host) w.host->PostCommand(IDM_TYPECHANGED);
  if (core::Settings().bell) transfer::PlaySoundEvent(Connected() ? transfer::kSoundConnect : transfer::kSoundError);
}

// Upload (939) or download (940): the selected files, or after a question the selected trees.
void TransferCommand(MainWindowState& w, bool upload) {
  PaneControls& from = upload ? w.local : w.remote;
  if (SelectedCount(from.files) > 0 || SelectedCount(from.dirs) == 0) {
    bool held = w.host && w.host->CtrlOrShiftHeld();
    if (w.panes) upload ? w.panes->StartUpload(held) : w.panes->StartDownload(held);
    SetArrow(w);
    return;
  }
  if (!w.host || !w.host->AskYesNo(kTreeQuestion, core::kProgramCaption)) return;
  core::ProgramSettings& s = core::Settings();
  const int hash = s.hash, bell = s.bell, prompt = s.prompt;
  s.hash = s.bell = s.prompt = 0;
  if (w.panes) upload ? w.panes->UploadTree() : w.panes->DownloadTree();
  s.hash = hash;
  s.bell = bell;
  s.prompt = prompt;
  if (s.bell) transfer::PlaySoundEvent(transfer::kSoundComplete);
}

// A popup command that asks for one line first; the answer, or false when cancelled.
bool Ask(int helpContext, const char* prompt, std::string& answer) {
  core::Prompts().currentHelpContext = helpContext;
  answer.clear();
  return core::GetInputString(&answer, "%s", prompt) == 1;
}

void FileListDoubleClick(MainWindowState& w, bool remote) {
  switch (core::Settings().dblclk) {
    case 0:
      HandleCommand(w, remote ? IDC_DOWNLOAD : IDC_UPLOAD);
      return;
    case 1:
      if (remote && core::IsBusy()) return;
      if (w.panes) w.panes->ViewFile(remote);
      return;
    default:
      remote ? EnableRemoteFileButtons(w) : EnableLocalFileButtons(w);
  }
}

void Dispatch(MainWindowState& w, int id, int notify) {
  ftp::ConnectionState& c = ftp::Conn();
  PaneCommands* p = w.panes;
  const ftp::Socket s = c.ctrl_skt.load();
  std::string answer;
  switch (id) {
    // The lists: a double-click acts, every other notification runs that list's enabling.
    case IDC_LOCAL_DIRS:
      if (notify == kNotifyDoubleClick) HandleCommand(w, IDC_LOCAL_CHGDIR);
      else EnableLocalDirButtons(w);
      return;
    case IDC_REMOTE_DIRS:
      if (notify == kNotifyDoubleClick) HandleCommand(w, IDC_REMOTE_CHGDIR);
      else EnableRemoteDirButtons(w);
      return;
    case IDC_LOCAL_FILES:
      if (notify == kNotifyDoubleClick) FileListDoubleClick(w, false);
      else EnableLocalFileButtons(w);
      return;
    case IDC_REMOTE_FILES:
      if (notify == kNotifyDoubleClick) FileListDoubleClick(w, true);
      else EnableRemoteFileButtons(w);
      return;

    // The pane commands.
    case IDC_LOCAL_CHGDIR:
      ReadLocalMask(w);
      if (p) p->ChangeDir(false);
      return;
    case IDC_REMOTE_CHGDIR:
      ReadRemoteMask(w);
      if (p) p->ChangeDir(true);
      SetArrow(w);
      return;
    case IDC_LOCAL_MKDIR:
    case IDC_REMOTE_MKDIR:
      if (p) p->MakeDir(id == IDC_REMOTE_MKDIR);
      return;
    case IDC_LOCAL_RMDIR:
    case IDC_REMOTE_RMDIR:
      if (p) p->RemoveDir(id == IDC_REMOTE_RMDIR);
      return;
    case IDC_UPLOAD:
    case IDC_DOWNLOAD:
      TransferCommand(w, id == IDC_UPLOAD);
      return;
    case IDC_LOCAL_VIEW:
    case IDC_REMOTE_VIEW:
      if (p) p->ViewFile(id == IDC_REMOTE_VIEW);
      SetArrow(w);
      return;
    case IDC_LOCAL_EXEC:
    case IDC_REMOTE_EXEC:
      if (p) p->ExecFile(id == IDC_REMOTE_EXEC);
      SetArrow(w);
      return;
    case IDC_LOCAL_REFRESH:
      ReadLocalMask(w);
      if (p) p->FillLocalLists();
      EnableLocalDirButtons(w);
      EnableLocalFileButtons(w);
      return;
    case IDC_REMOTE_REFRESH:
      ReadRemoteMask(w);
      ListRemote(w, 1);
      SetArrow(w);
      return;
    case IDC_LOCAL_DELETE:
    case IDC_REMOTE_DELETE:
      if (p) p->DeleteFiles(id == IDC_REMOTE_DELETE);
      return;
    case IDC_LOCAL_RENAME:
    case IDC_REMOTE_RENAME:
      if (p) p->RenameFiles(id == IDC_REMOTE_RENAME);
      return;
    case IDC_LOCAL_DIRINFO:
    case IDC_REMOTE_DIRINFO:
      if (p) p->DirInfo(id == IDC_REMOTE_DIRINFO);
      return;
    case IDC_LOCAL_DIRCOMBO:
    case IDC_REMOTE_DIRCOMBO:
      if (p) p->DirComboNotify(id == IDC_REMOTE_DIRCOMBO, notify);
      return;

    // The transfer type.
    case IDC_MODE_ASCII:
      core::Settings().mode = 'A';
      core::Settings().amode = 0;
      RefreshModeButtons(w);
      return;
    case IDC_MODE_BINARY:
      core::Settings().mode = 'I';
      core::Settings().amode = 0;
      RefreshModeButtons(w);
      return;
    case IDC_MODE_AUTO:
      core::Settings().amode = core::Settings().amode ? 0 : 1;
      RefreshModeButtons(w);
      return;
    case IDM_TYPECHANGED:
      RefreshModeButtons(w);
      return;

    // The session.
    case IDM_CONNECT:
    case IDM_POPUP_CONNECT:
      ConnectCommand(w, id == IDM_CONNECT);
      w.hasConnected = true;
      return;
    case IDM_POPUP_CLOSE:
      CloseCommand(w);
      return;

    // The general buttons and the popup's own entries.
    case IDM_LOGWND:
    case IDM_SHOWLOG:
      if (w.host) w.host->ShowLogWindow();
      return;
    case IDM_HELP:
      core::ShowHelp(0);
      return;
    case IDM_OPTIONS:
    case IDM_POPUP_OPTIONS:
      if (w.host) {
        w.host->ShowOptions();
        w.host->ApplyListFonts();
        w.host->PostCommand(IDM_TYPECHANGED);
      }
      return;
    case IDM_ABOUT:
    case IDM_POPUP_ABOUT:
      if (w.host) w.host->ShowAbout();
      return;
    case IDM_POPUP_ASSOCIATE:
      if (w.host) w.host->ShowAssociations();
      return;
    case IDM_EXIT:
      if (w.host) w.host->SendCloseRequest();
      return;

    // Raw FTP commands of the popup.
    case IDM_POPUP_CWD:
      if (Ask(HLP_DIRECTORIES, "Enter remote directory name:", answer)) ftp::ChangeRemoteDir(s, answer);
      return;
    case IDM_POPUP_PWD:
      ftp::PrintRemoteDir(s);
      return;
    case IDM_POPUP_HELP:
      ftp::SendFtpCommand(s, "HELP");
      return;
    case IDM_POPUP_SYST:
      ftp::SendFtpCommand(s, "SYST");
      return;
    case IDM_POPUP_SITE:
      if (Ask(HLP_SITE, "Enter SITE string:", answer)) ftp::SendFtpCommandText(s, "SITE " + answer);
      return;
    case IDM_POPUP_QUOTE:
      if (Ask(HLP_QUOTE, "Enter command for remote host:", answer)) listing::SendQuoteCommand(s, answer);
      return;
    case IDM_POPUP_LIST:
    case IDM_POPUP_NLST:
      if (listing::ListToTempFile(s, id == IDM_POPUP_LIST ? "LIST" : "NLST") == 2 && p)
        p->ShowInViewer(listing::CurrentListingFile());
      return;
    case IDM_POPUP_RETR:
      if (Ask(HLP_RECEIVE_NAME, "Enter remote file name:", answer) && p) p->ReceiveOneFile(answer, 0, 0, true);
      return;
    case IDM_POPUP_STOR:
      if (Ask(HLP_SEND_NAME, "Enter local file name:", answer) && p) p->SendOneFile(answer, 0, 0, true);
      return;

    // The command-line transfer start-up posts.
    case IDM_CMDLINE:
      if (RunCommandLine(core::App().commandLineBuffer) == 2) {
        EnableAllButtons(w);
        RefreshModeButtons(w);
      } else if (w.host) {
        w.host->SendCloseRequest();
      }
      return;
    default:
      return;
  }
}

}  // namespace

void AttachRemotePane(MainWindowState& w) {
  listing::RemotePaneState& pane = listing::RemotePane();
  pane.dirList = w.remote.dirs;
  pane.fileList = w.remote.files;
  pane.dirField = w.remote.dirField;
}

void FinishCreation(MainWindowState& w) {
  if (w.local.mask) w.local.mask->SetText(local::LocalPane().localMask);
  if (w.remote.mask) w.remote.mask->SetText(listing::RemotePane().remoteMask);
  if (core::Settings().layout) {
    if (w.upload) w.upload->SetText("Send");
    if (w.download) w.download->SetText("Receive");
  }
  AttachRemotePane(w);
  if (w.panes) w.panes->FillLocalLists();
  EnableAllButtons(w);
  ListRemote(w, 0);
  RefreshModeButtons(w);
}

void EnableLocalDirButtons(MainWindowState& w) { Enable(PaneButtonOf(w.local, kPaneRmDir), true); }

void EnableRemoteDirButtons(MainWindowState& w) {
  const bool on = Connected();
  const ftp::HostFacts& h = ftp::Host();
  Enable(PaneButtonOf(w.remote, kPaneRmDir), on && h.canRmd);
  Enable(PaneButtonOf(w.remote, kPaneChgDir), on);
  Enable(PaneButtonOf(w.remote, kPaneMkDir), on && h.canMkd);
}

void EnableLocalFileButtons(MainWindowState& w) {
  const int n = SelectedCount(w.local.files);
  Enable(PaneButtonOf(w.local, kPaneView), n == 1);
  Enable(PaneButtonOf(w.local, kPaneExec), n == 1);
  Enable(PaneButtonOf(w.local, kPaneRename), n == 1);
  Enable(PaneButtonOf(w.local, kPaneDelete), n > 0);
}

void EnableRemoteFileButtons(MainWindowState& w) {
  const int n = SelectedCount(w.remote.files);
  const bool on = Connected();
  const ftp::HostFacts& h = ftp::Host();
  Enable(PaneButtonOf(w.remote, kPaneView), n == 1);
  Enable(PaneButtonOf(w.remote, kPaneExec), n == 1);
  Enable(PaneButtonOf(w.remote, kPaneDelete), n > 0 && h.canDele);
  Enable(PaneButtonOf(w.remote, kPaneRename), n == 1 && h.canRename);
  Enable(w.upload, on);
  Enable(w.download, on);
  Enable(PaneButtonOf(w.remote, kPaneRefresh), on);
  Enable(PaneButtonOf(w.remote, kPaneDirInfo), on);
}

void EnableAllButtons(MainWindowState& w) {
  EnableLocalDirButtons(w);
  EnableRemoteDirButtons(w);
  EnableLocalFileButtons(w);
  EnableRemoteFileButtons(w);
}

void ReadLocalMask(MainWindowState& w) {
  if (!w.local.mask) return;
  std::string mask = w.local.mask->Text().substr(0, local::kLocalMaskMax);
  local::LocalPane().localMask = mask.empty() ? "*.*" : mask;
}

void ReadRemoteMask(MainWindowState& w) {
  if (w.remote.mask) listing::RemotePane().remoteMask = w.remote.mask->Text().substr(0, kRemoteMaskMax);
}

void MaskEnter(MainWindowState& w, bool remote) {
  if (remote) {
    ReadRemoteMask(w);
    ListRemote(w, 1);
  } else {
    ReadLocalMask(w);
    if (w.panes) w.panes->FillLocalLists();
    EnableLocalDirButtons(w);
    EnableLocalFileButtons(w);
  }
}

void MaskFocusLost(MainWindowState& w, bool remote) { remote ? ReadRemoteMask(w) : ReadLocalMask(w); }

bool IsBusyGuarded(int id) {
  switch (id) {
    case IDC_REMOTE_CHGDIR:
    case IDC_REMOTE_MKDIR:
    case IDC_REMOTE_RMDIR:
    case IDC_UPLOAD:
    case IDC_DOWNLOAD:
    case IDC_REMOTE_VIEW:
    case IDC_REMOTE_EXEC:
    case IDC_REMOTE_REFRESH:
    case IDC_REMOTE_DELETE:
    case IDC_REMOTE_RENAME:
      return true;
    default:
      return false;
  }
}

CommandRoute RouteCommand(int id, bool busy, int commandDepth) {
  if (id == IDM_CANCEL) return CommandRoute::kCancel;
  if (commandDepth != 0 && (id == IDM_POPUP_CLOSE || id == IDM_EXIT)) return CommandRoute::kAbort;
  if (busy && IsBusyGuarded(id)) return CommandRoute::kIgnored;
  return CommandRoute::kRun;
}

void HandleCommand(MainWindowState& w, int id, int notify) {
  ftp::ConnectionState& c = ftp::Conn();
  switch (RouteCommand(id, core::IsBusy() != 0, c.commandDepth.load())) {
    case CommandRoute::kCancel:
      c.abortFlag = 1;
      c.batchCancel = 1;
      if (platform::IsBlocking()) platform::CancelBlockingCall();
      // A worker reads the control connection itself; only this thread's connection is drained.
      if (!WorkerRunning()) ftp::DrainControl(c.ctrl_skt.load());
      break;
    case CommandRoute::kAbort:
      AbortSequence(w, id);
      break;
    case CommandRoute::kIgnored:
      break;
    case CommandRoute::kRun:
      Dispatch(w, id, notify);
      break;
  }
  RunDeferredAbort(w);
}

void RefreshModeButtons(MainWindowState& w) {
  const int mode = core::Settings().mode;
  if (w.modeAscii) w.modeAscii->SetChecked(mode == 'A');
  if (w.modeBinary) w.modeBinary->SetChecked(mode == 'I' || mode == 'L');
  if (w.modeAuto) w.modeAuto->SetChecked(core::Settings().amode != 0);
}

bool OnCloseRequest(MainWindowState& w) {
  if (ftp::Conn().commandDepth != 0 || w.deferredAbort) {
    if (!w.deferredAbort) AbortSequence(w, IDM_EXIT);
    return false;
  }
  if (WorkerRunning()) {
    core::LogLine("Aborting thread.");
    StopWorker();
  } else {
    StopWorker(0);  // a worker that ended on its own is joined before the program ends
  }
  CloseConnections(true, false);
  profiles::SaveCurrentSessionName();
  return true;
}

void RunDeferredAbort(MainWindowState& w) {
  if (!w.deferredAbort || ftp::Conn().commandDepth != 0 || WorkerRunning()) return;
  StopWorker(0);  // releases a worker that ended on its own
  const int id = w.deferredAbort;
  w.deferredAbort = 0;
  FinishAbort(w, id, false);
}

void KeepAliveTimer(MainWindowState& w) {
  // A worker owns the control connection while it runs, also between its commands.
  if (core::IsBusy() || WorkerRunning() || w.closing || w.deferredAbort) return;
  if (ftp::KeepAliveTick()) HandleCommand(w, IDM_POPUP_CLOSE);
}

void HandleDroppedFiles(MainWindowState& w, const std::vector<std::string>& names) {
  ftp::ConnectionState& c = ftp::Conn();
  if (!c.connected) {
    core::LogMessage("NOT CONNECTED!! File(s) ignored.");
    return;
  }
  // A batch on the worker owns the connection as much as a command of this thread does.
  if (c.commandDepth != 0 || core::IsBusy()) {
    core::LogMessage("Busy!! File(s) ignored.");
    return;
  }
  if (!w.panes) return;
  w.panes->DropFiles(names);
  EnableRemoteDirButtons(w);
  EnableRemoteFileButtons(w);
}

}  // namespace app
