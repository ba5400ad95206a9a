// The rules around each transfer: ASCII extensions, extension conversion, local file names,
// the transfer log and the sounds.
#pragma once
#include <string>

namespace transfer {

// 1 when the name (a path, remote name or command) ends in an entry of the ASCII extension
// list; a ";version" suffix is left out of the test. Without the list: names ending ".TXT".
int IsAsciiExtension(const std::string& name);

// Rewrites a name by the conversion list (mode 1: building a local name, 0: a remote name;
// mode 0 lower-cases first when FORCLOW is set). Returns 1 when the name was rewritten.
int ConvertExtension(std::string& name, int mode);

// The local file name to use for a remote name. Returns 1, or 0 when no safe unique name is
// left (every unique candidate is taken); a line in the log says why.
// `maxComponent` is the volume's longest file-name component (0: unknown, 8.3 names).
int LocalFileNameFor(std::string& out, const std::string& remote, int hostType, int maxComponent);
// The same for the current drive and the session's host type.
int LocalFileName(std::string& out, const std::string& remote);

// The session's host type as the name rules see it (the session sets it).
void SetNameRulesHostType(int hostType);

// Appends one line to the transfer log when "dolog" is 1 (direction 1 send, 2 receive).
// Within a TransferLogBatch the log's settings come from the batch's start.
void LogTransfer(int direction, const std::string& local, const std::string& host, const std::string& remoteDir,
                 const std::string& remoteName);
// For the life of one (on this thread), the transfer log's settings ("dolog", "logfile") are
// read once rather than for every file logged. Scopes nest; the outermost one reads them.
class TransferLogBatch {
 public:
  TransferLogBatch();
  ~TransferLogBatch();
  TransferLogBatch(const TransferLogBatch&) = delete;
  TransferLogBatch& operator=(const TransferLogBatch&) = delete;
};

// The transfer log line for a given moment (without the line end).
std::string TransferLogLine(int direction, const std::string& localDir, const std::string& local,
                            const std::string& host, const std::string& remoteDir, const std::string& remoteName,
                            int year, int month, int day, int hour, int minute, char serverType);

// Sounds: 0 connect, 1 complete, 2 error.
enum SoundEvent { kSoundConnect = 0, kSoundComplete = 1, kSoundError = 2 };
void LoadSounds();
void PlaySoundEvent(int event);

}  // namespace transfer
