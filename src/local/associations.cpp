// The viewer and run-or-open by association.
#include "local/associations.h"

#include <atomic>
#include <cctype>

#include "core/settings.h"
#include "platform/shell.h"

namespace local {
namespace {

std::atomic<ProgramStarter> starter{nullptr};
std::atomic<AssociatePort*> associatePort{nullptr};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void SetProgramStarter(ProgramStarter s) { starter = s; }

bool StartCommand(const std::string& commandLine) {
  ProgramStarter s = starter.load();
  return s ? s(commandLine) : platform::StartProgram(commandLine);
}

void SetAssociatePort(AssociatePort* port) { associatePort = port; }

int EditAssociations(const std::string& offeredExt) {
  AssociatePort* port = associatePort.load();
  return port ? port->EditAssociations(offeredExt) : 0;
}

std::string ViewerCommandFor(const std::string& path) {
  std::string viewer = core::ReadConfigString("VIEWER", "notepad", kViewerMax);
  if (viewer.empty()) viewer = "notepad";
  std::string arg = path;
  if (arg.find('.') == std::string::npos) arg += '.';
  return viewer + " " + arg;
}

bool ViewFile(const std::string& path) { return StartCommand(ViewerCommandFor(path)); }

std::string CommandFromAssociation(const std::string& association, const std::string& path) {
  size_t caret = association.find('^');
  if (caret != std::string::npos) return association.substr(0, caret) + path;
  return association + " " + path;
}

std::string RunOrOpen(const std::string& path) {
  // The extension follows the first "." of the file's own name (a dot in a directory name of
  // the path is not one).
  size_t nameStart = path.find_last_of("\\/");
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t dot = path.find('.', nameStart);
  if (dot == std::string::npos || dot + 1 >= path.size()) return "";
  std::string ext = path.substr(dot + 1);
  std::string lower = Lower(ext);
  if (lower == "exe" || lower == "com" || lower == "bat" || lower == "pif") {
    StartCommand(path);
    return path;
  }
  std::string assoc = ReadAssociation(ext);
  if (assoc.empty()) {
    if (EditAssociations(ext) != 1) return "";
    assoc = ReadAssociation(ext);
    if (assoc.empty()) return "";
  }
  std::string command = CommandFromAssociation(assoc, path);
  StartCommand(command);
  return command;
}

std::string AssociationToStore(std::string ext, std::string command) {
  if (ext.size() > kAssociateExtMax) ext.resize(kAssociateExtMax);
  if (command.size() > kAssociateCmdMax) command.resize(kAssociateCmdMax);
  if (ext.empty() || command.empty()) return "";
  size_t caret = command.find('^');
  if (caret == std::string::npos) return command + " ^." + ext;
  if (Lower(command).find(Lower(ext)) == std::string::npos) return command.substr(0, caret) + "^." + ext;
  return command;
}

AssociateLists AssociateDialogLists(const std::vector<std::pair<std::string, std::string>>& entries) {
  AssociateLists lists;
  for (const auto& [ext, command] : entries) {
    if (!ext.empty()) lists.extensions.push_back(Lower(ext));
    std::string program = Lower(command.substr(0, command.find(' ')));
    if (program.empty()) continue;
    bool covered = false;
    for (const std::string& item : lists.programs) covered = covered || item.compare(0, program.size(), program) == 0;
    if (!covered) lists.programs.push_back(program);
  }
  return lists;
}

}  // namespace local
