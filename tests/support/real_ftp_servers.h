// Real FTP servers on loopback for integration tests (POSIX only). Each server gets its own
// temporary root and a free port, and is killed (with every process it started) when the
// object goes away.
//
//   std::string why;
//   auto server = testing_support::RealFtpServer::Start(RealFtpServer::kPyftpdlib, &why);
//   if (!server) GTEST_SKIP() << why;
//   ... connect to 127.0.0.1:server->port() as server->user() / server->password(),
//       or as "anonymous"; files are in server->userRoot() ...
//
// pyftpdlib runs with Debian's /usr/bin/python3 (package python3-pyftpdlib). vsftpd (package
// vsftpd) needs root: it is skipped otherwise; for its password login the launcher creates
// (once) the system user "mirvanftp" and sets its password.
#pragma once
#include <memory>
#include <string>

namespace testing_support {

class RealFtpServer {
 public:
  enum Kind { kPyftpdlib, kVsftpd };

  // Starts a server; nullptr with the reason in `whyNot` when it cannot run here. By default
  // it listens on 127.0.0.1 at a free port; a loopback `address` (IPv6 "::1" too) and a fixed
  // `port` (such as 21 on an address of its own, which needs root) may be asked for instead.
  static std::unique_ptr<RealFtpServer> Start(Kind kind, std::string* whyNot, const std::string& address = "127.0.0.1",
                                              int port = 0);
  ~RealFtpServer();
  RealFtpServer(const RealFtpServer&) = delete;
  RealFtpServer& operator=(const RealFtpServer&) = delete;

  Kind kind() const { return kind_; }
  const char* name() const { return kind_ == kPyftpdlib ? "pyftpdlib" : "vsftpd"; }
  const std::string& address() const { return address_; }
  int port() const { return port_; }
  // The user with a password, who may write in userRoot().
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  // The directory the user starts in, and the one anonymous logins see (read-only).
  const std::string& userRoot() const { return userRoot_; }
  const std::string& anonymousRoot() const { return anonRoot_; }

 private:
  RealFtpServer() = default;
  bool Launch(std::string* whyNot);
  bool LaunchPyftpdlib(std::string* whyNot);
  bool LaunchVsftpd(std::string* whyNot);
  void Kill();

  Kind kind_ = kPyftpdlib;
  int pid_ = -1;
  int port_ = 0;
  int fixedPort_ = 0;
  std::string address_ = "127.0.0.1";
  std::string base_, user_, password_, userRoot_, anonRoot_;
};

}  // namespace testing_support
