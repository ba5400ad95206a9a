// Start-up and shutdown steps both front ends run.
#include "app/lifecycle.h"

#include <optional>

#include "core/app_state.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "profiles/profile_settings.h"
#include "transfer/data_connection.h"
#include "transfer/rules.h"

namespace app {

void ReadStartupState(const std::string& line) {
  core::AppState& app = core::App();
  std::optional<size_t> rest = profiles::ReadProgramSettings(line);
  app.commandLineBuffer = rest ? line.substr(*rest) : std::string();
}

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

}  // namespace app
