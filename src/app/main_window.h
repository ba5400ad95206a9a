// The main window's logic: its state in one struct, what it asks of its window (MainWindowHost)
// and of the pane commands (PaneCommands), the button enabling, and the command dispatch with
// its guards, Connect, Close, the abort sequence, the drop handler and the close request.
// The Win32 window procedure forwards messages here; tests drive it with memory controls.
#pragma once
#include <string>
#include <vector>

#include "app/main_layout.h"
#include "app/panes.h"
#include "profiles/session_profile.h"
#include "ui/controls.h"

namespace app {

constexpr size_t kRemoteMaskMax = 19;  // characters of the remote mask
constexpr const char* kConnectText = "&Connect";
constexpr const char* kCloseText = "&Close";
constexpr const char* kTreeQuestion = "Do you want to transfer the selected directory structures?";

// List notification codes passed with a command (the Win32 values of LBN_SELCHANGE, LBN_DBLCLK).
constexpr int kNotifySelChange = 1;
constexpr int kNotifyDoubleClick = 2;

// What the logic asks of its window beyond the front end (the caption and the remote buttons'
// capabilities go through ui::Front()). The Win32 shell implements it over the main window; tests
// use a fake that records the calls.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // Posts a command (WM_COMMAND with this id) to the main window: it runs after the current one.
  virtual void PostCommand(int id) = 0;
  // Sends the close request (WM_CLOSE) to the main window; it arrives at OnCloseRequest.
  virtual void SendCloseRequest() = 0;
  // Sets the mouse cursor now (kDefault: the arrow).
  virtual void SetCursor(CursorKind cursor) = 0;
  // Whether Ctrl or Shift is held down right now.
  virtual bool CtrlOrShiftHeld() = 0;
  // Lets the platform handle waiting messages without taking them off the queue (between retries).
  virtual void ProcessPendingMessages() = 0;
  // The session dialog: true on OK with the chosen profile in `chosen`, false on Cancel.
  virtual bool RunSessionDialog(profiles::SessionProfile& chosen) = 0;
  virtual void ShowOptions() = 0;       // the program options dialog (modal)
  virtual void ShowAbout() = 0;         // the about box
  virtual void ShowAssociations() = 0;  // the associations dialog
  virtual void ShowLogWindow() = 0;     // opens or raises the log window
  // Destroys the remote file list and creates it again (sorted when SORTLBX is non-zero) at its
  // place, with its handler, tab place and list font; returns the new control.
  virtual ui::ListBox* RecreateRemoteFileList() = 0;
  // Applies the list fonts to the eight controls that use them.
  virtual void ApplyListFonts() = 0;
  // A Yes/No question box with the question icon; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
};

// What the pane commands do (the local pane, the file commands, batches and the viewer). Each
// command id of the dispatch calls exactly one of these. `remote` picks the pane.
class PaneCommands {
 public:
  virtual ~PaneCommands() = default;
  // Fills the local directory and file lists from the current directory with the local mask.
  virtual void FillLocalLists() = 0;
  // ChgDir (933/934; double-click on 924/929): change into the selected or typed directory.
  virtual void ChangeDir(bool remote) = 0;
  virtual void MakeDir(bool remote) = 0;      // 935/936
  virtual void RemoveDir(bool remote) = 0;    // 937/938
  virtual void ViewFile(bool remote) = 0;     // 941/942, and DBLCLK 1 on a file list
  virtual void ExecFile(bool remote) = 0;     // 9045/9046
  virtual void RenameFiles(bool remote) = 0;  // 947/948
  virtual void DeleteFiles(bool remote) = 0;  // 945/946
  virtual void DirInfo(bool remote) = 0;      // 949/950
  // 960/961: a notification of a directory combo (the Win32 notification code).
  virtual void DirComboNotify(bool remote, int notification) = 0;
  // Upload (939) and download (940) of the selected files; `ctrlOrShift` as held when pressed.
  virtual void StartUpload(bool ctrlOrShift) = 0;
  virtual void StartDownload(bool ctrlOrShift) = 0;
  // The selected directory trees, on this thread.
  virtual void UploadTree() = 0;
  virtual void DownloadTree() = 0;
  // One file: number k of n (0, 0: a lone file), asking for the destination name when `ask`.
  // The class of the transfer's reply (2: done).
  virtual int SendOneFile(const std::string& localName, int k, int n, bool ask) = 0;
  virtual int ReceiveOneFile(const std::string& remoteName, int k, int n, bool ask) = 0;
  // Files dropped on the window: each sent as one file, numbered of the files among them; a
  // directory or an over-long name is refused with a log line. The number of files sent.
  virtual int DropFiles(const std::vector<std::string>& paths) = 0;
  // Shows a file in the viewer (LIST and NLST of the popup).
  virtual void ShowInViewer(const std::string& path) = 0;
};

// The main window's state; one instance, held by the window.
struct MainWindowState {
  MainWindowHost* host = nullptr;
  PaneCommands* panes = nullptr;  // nullptr: the pane commands do nothing
  PaneControls local, remote;
  ui::Button* upload = nullptr;    // "-->" / "Send"
  ui::Button* download = nullptr;  // "<--" / "Receive"
  ui::Button* modeAscii = nullptr;
  ui::Button* modeBinary = nullptr;
  ui::Button* modeAuto = nullptr;
  ui::Button* connect = nullptr;   // "&Connect" / "&Close"
  LayoutState layout;
  bool hasConnected = false;       // set after the first Connect command
  bool closing = false;            // closing guard: a close of the connection is under way
  int deferredAbort = 0;           // Close (1321) or Exit (9042) waiting for the operation below
};

// Attaches the remote lists and directory field to the listing code (RemotePane). Call after the
// controls exist; Connect calls it again after recreating the remote file list.
void AttachRemotePane(MainWindowState& w);

// The end of the window's creation, after the controls exist: the mask fields, the alternate
// layout's "Send"/"Receive", the local lists, the remote lists in their cached form (empty while
// not connected), the enabling and the mode buttons.
void FinishCreation(MainWindowState& w);

// ---- button enabling (selections are read from the lists each time) ----
void EnableLocalDirButtons(MainWindowState& w);
void EnableRemoteDirButtons(MainWindowState& w);
void EnableLocalFileButtons(MainWindowState& w);
void EnableRemoteFileButtons(MainWindowState& w);
void EnableAllButtons(MainWindowState& w);

// ---- masks ----
// The local mask from its field into LocalPane().localMask: at most local::kLocalMaskMax
// characters, "*.*" when empty.
void ReadLocalMask(MainWindowState& w);
// The remote mask from its field into RemotePane().remoteMask: at most kRemoteMaskMax characters.
void ReadRemoteMask(MainWindowState& w);
// Enter in a mask field: take the mask and list again (remote: DoDirList refresh; local: fill).
void MaskEnter(MainWindowState& w, bool remote);
// Focus leaving a mask field: take the mask, without listing.
void MaskFocusLost(MainWindowState& w, bool remote);

// ---- commands ----
// How the dispatch treats a command at this moment (BusyFlag, CommandDepth).
enum class CommandRoute {
  kCancel,   // 9033: handled first, always
  kAbort,    // 1321 or 9042 while an FTP operation runs: the abort sequence
  kIgnored,  // a busy-guarded command while BusyFlag is set
  kRun,      // the command's normal action
};
CommandRoute RouteCommand(int id, bool busy, int commandDepth);
// True for the commands that do nothing while BusyFlag is set.
bool IsBusyGuarded(int id);

// One command (a button, list notification, menu entry or accelerator). `notify` is the list or
// combo notification code (kNotifyDoubleClick...), 0 for others. Unknown ids do nothing.
void HandleCommand(MainWindowState& w, int id, int notify = 0);

// Mode refresh (8100): the type buttons follow MODE and AMODE.
void RefreshModeButtons(MainWindowState& w);

// The close request (WM_CLOSE). While an FTP operation runs it starts the abort sequence for Exit
// (which sends the close request again when done) and returns false: keep the window. Otherwise
// it stops a running worker (never killing it), closes the data connections and the control
// connection (QUIT sent without waiting for the reply), stores the session name, and returns
// true: the shell destroys the window, tells help to quit and posts the quit message.
bool OnCloseRequest(MainWindowState& w);

// Finishes a Close or Exit that waited for the operation it interrupted, once CommandDepth is 0.
// HandleCommand calls it on return; the shell may also call it when idle. Does nothing otherwise.
void RunDeferredAbort(MainWindowState& w);

// The keep-alive timer's tick (KEEPALIVE seconds, 0 off). Only while the window is idle: nothing
// while BusyFlag is set, a worker runs, or a close is under way. A connection the server closed
// while idle is shown closed as Close shows it (caption, "&Connect", remote lists emptied).
void KeepAliveTimer(MainWindowState& w);

// Files dropped on the main window: refused with a log line while not connected, or while an
// operation or a batch runs; otherwise handed to the pane commands.
void HandleDroppedFiles(MainWindowState& w, const std::vector<std::string>& names);

}  // namespace app
