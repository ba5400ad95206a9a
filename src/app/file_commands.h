// The file and directory commands of both panes (ChgDir, MkDir, RmDir, View, Exec, Rename,
// Delete, Refresh, DirInfo), the delete confirmation, and the two directory fields. All run on
// the UI thread; the remote ones do nothing while BusyFlag is set.
#pragma once
#include <string>

#include "app/panes.h"

namespace app {

// Connects the panes' controls to the local listing and the remote listing (the directory
// field and both lists of each side) and keeps the mask fields for the commands to read back.
void AttachPanes(const PaneControls& localPane, const PaneControls& remotePane);
void DetachPanes();

// The answers of the delete confirmation (the dialog's button ids).
enum DeleteAnswer { kDeleteYes = 1, kDeleteCancel = 2, kDeleteAll = 4, kDeleteNo = 7 };

// Shows the delete confirmation (DLG_DELETE): the text, and whether "Delete &All" is offered.
class ConfirmDeletePort {
 public:
  virtual ~ConfirmDeletePort() = default;
  virtual int Ask(const std::string& text, bool offerDeleteAll) = 0;
};
void SetConfirmDeletePort(ConfirmDeletePort* port);  // nullptr: every question answers Cancel

// "Are you sure you want to delete \"name\"?", "Delete &All" offered when 2 or more items are
// left. Returns a DeleteAnswer (Cancel for anything else).
int ConfirmDelete(const std::string& name, int itemsLeft);

// Reads the mask fields back (the local mask: at most 12 characters, "*.*" when empty; the
// remote mask: at most 19).
void ReadLocalMask();
void ReadRemoteMask();

// The buttons, local / remote: ChgDir 933/934, MkDir 935/936, RmDir 937/938, View 941/942,
// Exec 9045/9046, Rename 947/948, Delete 945/946, Refresh 943/944, DirInfo 949/950. Each takes
// its names from the side's lists.
void LocalChgDir();
void RemoteChgDir();
void LocalMkDir();
void RemoteMkDir();
void LocalRmDir();
void RemoteRmDir();
void LocalView();
void RemoteView();
void LocalExec();
void RemoteExec();
void LocalRename();
void RemoteRename();
void LocalDelete();
void RemoteDelete();
void LocalRefresh();
void RemoteRefresh();
void LocalDirInfo();
void RemoteDirInfo();

// The directory fields: the user picked an entry (double-click in the list or the drop-down
// list closed) with this text.
void LocalDirFieldPicked(const std::string& text);
void RemoteDirFieldPicked(const std::string& text);
// The remote field's drop-down list opens: true when it must close again at once (busy).
bool RemoteDirFieldMustClose();

}  // namespace app
