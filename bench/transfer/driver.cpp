// Moves one file with the transfer engine, for the throughput benchmark:
//   transfer_driver <host> <port> <user> <password> get|put <remote> <local> <RBP> <SBP> [passive [MODERNFTP]]
// Prints the seconds the transfer took; exit status 0 when the completion reply was class 2.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/login.h"
#include "platform/net.h"
#include "profiles/session_profile.h"
#include "transfer/engine.h"

int main(int argc, char** argv) {
  if (argc < 10) {
    std::fprintf(stderr, "usage: %s host port user password get|put remote local RBP SBP [passive [MODERNFTP]]\n",
                 argv[0]);
    return 2;
  }
  platform::NetStartup();
  ftp::InstallBlockingHook();
  core::Settings().rbp = std::atoi(argv[8]);
  core::Settings().sbp = std::atoi(argv[9]);
  core::Settings().bell = 0;
  core::Settings().modernftp = argc > 11 ? std::atoi(argv[11]) : 1;
  profiles::SessionProfile& p = profiles::CurrentProfile();
  p.name = "bench";
  p.host = argv[1];
  p.port = std::atoi(argv[2]);
  p.user = argv[3];
  p.password = argv[4];
  p.passive = argc > 10 && std::string(argv[10]) == "passive";
  platform::Socket ctrl = ftp::Login(p);
  if (ctrl == platform::kNoSocket) {
    for (const auto& l : core::StoredLines()) std::fprintf(stderr, "%s\n", l.c_str());
    return 1;
  }
  ftp::Conn().ctrl_skt = ctrl;
  bool get = std::string(argv[5]) == "get";
  auto t0 = std::chrono::steady_clock::now();
  int r = get ? transfer::ReceiveFile(ctrl, std::string("RETR ") + argv[6], argv[7], 'I')
              : transfer::SendFile(ctrl, std::string("STOR ") + argv[6], argv[7], 'I');
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  ftp::SendFtpCommand(ctrl, "QUIT");
  ftp::CloseSocket(ctrl);
  std::printf("%.3f\n", secs);
  if (r != 2)
    for (const auto& l : core::StoredLines()) std::fprintf(stderr, "%s\n", l.c_str());
  return r == 2 ? 0 : 1;
}
