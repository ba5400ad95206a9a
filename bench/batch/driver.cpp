// Downloads a batch of files with the batch code of the client, for the batch benchmark:
//   batch_driver <host> <port> <user> <password> <remote dir> <local dir> <count> [passive]
// The files are named f0000, f0001, ... Prints the seconds the batch took (login excluded);
// exit status 0 when every file went through.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/batch.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/login.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "profiles/session_profile.h"

int main(int argc, char** argv) {
  if (argc < 8) {
    std::fprintf(stderr, "usage: %s host port user password remote-dir local-dir count [passive]\n", argv[0]);
    return 2;
  }
  platform::NetStartup();
  ftp::InstallBlockingHook();
  core::Settings().bell = 0;
  core::Settings().hash = 0;
  core::Settings().prompt = 0;
  core::Settings().mode = 'I';
  profiles::SessionProfile& p = profiles::CurrentProfile();
  p.name = "bench";
  p.host = argv[1];
  p.port = std::atoi(argv[2]);
  p.user = argv[3];
  p.password = argv[4];
  p.passive = argc > 8 && std::string(argv[8]) == "passive";
  platform::Socket ctrl = ftp::Login(p);
  if (ctrl == platform::kNoSocket || ftp::ChangeRemoteDir(ctrl, argv[5]) != 2 || !platform::ChangeDirectory(argv[6])) {
    for (const auto& l : core::StoredLines()) std::fprintf(stderr, "%s\n", l.c_str());
    return 1;
  }
  ftp::Conn().ctrl_skt = ctrl;
  std::vector<std::string> names;
  for (int i = 0, n = std::atoi(argv[7]); i < n; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%04d", i);
    names.push_back(name);
  }
  auto t0 = std::chrono::steady_clock::now();
  app::BatchResult r = app::RunDownloadBatch(names, false);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  ftp::SendFtpCommand(ctrl, "QUIT");
  ftp::CloseSocket(ctrl);
  std::printf("%.3f\n", secs);
  if (r.transferred != r.count)
    for (const auto& l : core::StoredLines()) std::fprintf(stderr, "%s\n", l.c_str());
  return r.transferred == r.count ? 0 : 1;
}
