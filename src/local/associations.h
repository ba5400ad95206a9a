// The viewer and file associations: a text file opened in the viewer program, and a file run
// or opened with the program its extension is associated with.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace local {

constexpr size_t kViewerMax = 119;       // longest VIEWER command
constexpr size_t kAssociationMax = 255;  // longest association command read
constexpr size_t kAssociateExtMax = 3;   // the dialog's extension field
constexpr size_t kAssociateCmdMax = 78;  // the dialog's command field

// Starts a program from a command line without waiting (platform::StartProgram unless a test
// or shell installs another starter; nullptr restores it). Returns the start's success.
using ProgramStarter = bool (*)(const std::string& commandLine);
void SetProgramStarter(ProgramStarter starter);
bool StartCommand(const std::string& commandLine);

// The store of associations: one command line per extension (matched without regard to
// case), "^" standing for the document. On Windows the user profile's [Extensions] section;
// elsewhere a settings file of the same form in the per-user folder.
std::string ReadAssociation(const std::string& ext);
bool WriteAssociation(const std::string& ext, const std::string& command);
// Every stored association as (extension, command), in the store's order.
std::vector<std::pair<std::string, std::string>> ListAssociations();

// The associations dialog's two drop-down lists from the stored associations: every extension
// in lower case, and the program of each command (up to its first blank) in lower case, left
// out when an item already begins with the same text.
struct AssociateLists {
  std::vector<std::string> extensions, programs;
};
AssociateLists AssociateDialogLists(const std::vector<std::pair<std::string, std::string>>& entries);

// Asks the user for an association (DLG_ASSOCIATE): 1 when one was saved, 0 on Cancel.
class AssociatePort {
 public:
  virtual ~AssociatePort() = default;
  virtual int EditAssociations(const std::string& offeredExt) = 0;
};
void SetAssociatePort(AssociatePort* port);  // nullptr: every request is cancelled
// Shows the associations dialog with an extension offered (the popup's "&Associate...", the
// options dialog's button): 1 when an association was saved, 0 on Cancel or without a port.
int EditAssociations(const std::string& offeredExt);

// The viewer command (VIEWER, "notepad" by default) followed by the path; a path without any
// "." gets one appended. Started without waiting; returns the start's success.
bool ViewFile(const std::string& path);
std::string ViewerCommandFor(const std::string& path);

// Runs a program file (exe, com, bat, pif) or opens a document with its association, asking
// for one when there is none. Returns the command line started, or "" when nothing was.
std::string RunOrOpen(const std::string& path);
// The command that opens `path` with an association's command: everything from "^" on is
// replaced by the path, or " path" is appended when there is no "^".
std::string CommandFromAssociation(const std::string& association, const std::string& path);

// The dialog's OK rule: the command to store for an extension (at most 3 characters) and a
// typed command (at most 78), or "" when either is empty (OK then acts as Cancel).
std::string AssociationToStore(std::string ext, std::string command);

}  // namespace local
