// Launchers of real FTP servers: pyftpdlib and vsftpd, in their own process groups.
#include "support/real_ftp_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace testing_support {
namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsftpdPath = "/usr/sbin/vsftpd";
constexpr const char* kVsftpdUser = "mirvanftp";
constexpr int kStartMs = 10000;

const char* kPyftpdScript = R"(import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
user_root, anon_root, user, password, address, port = sys.argv[1:7]
auth = DummyAuthorizer()
auth.add_user(user, password, user_root, perm="elradfmwMT")
auth.add_anonymous(anon_root)
handler = FTPHandler
handler.authorizer = auth
handler.auth_failed_timeout = 0
handler.banner = "pyftpdlib test server ready"
server = FTPServer((address, int(port)), handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
)";

uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Starts argv in a new process group with stdout to `outFd` (or /dev/null) and stderr to a file.
int Spawn(const std::vector<std::string>& argv, int outFd, const std::string& errFile) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(outFd >= 0 ? outFd : null, 1);
  int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(err >= 0 ? err : null, 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

bool Exited(int pid) {
  int status;
  return waitpid(pid, &status, WNOHANG) == pid;
}

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof sa;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) == 0)
    port = ntohs(sa.sin_port);
  close(fd);
  return port;
}

bool Accepts(const std::string& address, int port) {
  if (address.find(':') != std::string::npos) {
    int fd = socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 sa{};
    sa.sin6_family = AF_INET6;
    sa.sin6_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET6, address.c_str(), &sa.sin6_addr);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    close(fd);
    return ok;
  }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  close(fd);
  return ok;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

std::unique_ptr<RealFtpServer> RealFtpServer::Start(Kind kind, std::string* whyNot, const std::string& address,
                                                    int port) {
  std::unique_ptr<RealFtpServer> s(new RealFtpServer());
  s->kind_ = kind;
  s->address_ = address;
  s->fixedPort_ = port;
  if (port != 0 && port < 1024 && geteuid() != 0) {
    if (whyNot) *whyNot = "port " + std::to_string(port) + " needs root; not running as root, so this test is skipped";
    return nullptr;
  }
  char templ[] = "/tmp/mirvan-ftp-XXXXXX";
  if (!mkdtemp(templ)) {
    if (whyNot) *whyNot = "cannot create a temporary directory";
    return nullptr;
  }
  s->base_ = templ;
  chmod(templ, 0755);
  s->anonRoot_ = s->base_ + "/anon";
  s->userRoot_ = s->base_ + "/home";
  mkdir(s->anonRoot_.c_str(), 0755);
  mkdir(s->userRoot_.c_str(), 0755);
  if (!s->Launch(whyNot)) return nullptr;
  return s;
}

bool RealFtpServer::Launch(std::string* whyNot) {
  return kind_ == kPyftpdlib ? LaunchPyftpdlib(whyNot) : LaunchVsftpd(whyNot);
}

bool RealFtpServer::LaunchPyftpdlib(std::string* whyNot) {
  if (access(kPython, X_OK) != 0 || !RunQuietly(std::string(kPython) + " -c 'import pyftpdlib'")) {
    *whyNot = "pyftpdlib is not installed for /usr/bin/python3 (Debian package python3-pyftpdlib)";
    return false;
  }
  user_ = "mirvan";
  password_ = "Secret-42";
  std::string script = base_ + "/server.py";
  std::ofstream(script) << kPyftpdScript;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    *whyNot = "pipe failed";
    return false;
  }
  pid_ = Spawn({kPython, script, userRoot_, anonRoot_, user_, password_, address_, std::to_string(fixedPort_)},
               pipeFds[1], base_ + "/server.log");
  close(pipeFds[1]);
  // The server prints its port once it listens.
  std::string out;
  uint64_t deadline = NowMs() + kStartMs;
  while (out.find('\n') == std::string::npos && NowMs() < deadline) {
    pollfd p{pipeFds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[64];
    ssize_t n = read(pipeFds[0], buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  close(pipeFds[0]);
  port_ = std::atoi(out.c_str());
  if (port_ <= 0) {
    *whyNot = "pyftpdlib did not start: " + ReadAll(base_ + "/server.log");
    return false;
  }
  return true;
}

bool RealFtpServer::LaunchVsftpd(std::string* whyNot) {
  if (geteuid() != 0) {
    *whyNot = "vsftpd needs root; not running as root, so the vsftpd tests are skipped";
    return false;
  }
  if (access(kVsftpdPath, X_OK) != 0) {
    *whyNot = "vsftpd is not installed (Debian package vsftpd)";
    return false;
  }
  user_ = kVsftpdUser;
  password_ = "Secret-42";
  // vsftpd enters the user's home before its local_root: "/" always exists.
  if (!getpwnam(kVsftpdUser) && !RunQuietly(std::string("useradd -M -d / -s /bin/sh ") + kVsftpdUser)) {
    *whyNot = "cannot create the test user mirvanftp";
    return false;
  }
  if ((getpwnam(kVsftpdUser) && std::string(getpwnam(kVsftpdUser)->pw_dir) != "/" &&
       !RunQuietly(std::string("usermod -d / ") + kVsftpdUser)) ||
      !RunQuietly("echo '" + user_ + ":" + password_ + "' | chpasswd")) {
    *whyNot = "cannot set the password of the test user mirvanftp";
    return false;
  }
  passwd* pw = getpwnam(kVsftpdUser);
  if (pw && chown(userRoot_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
    *whyNot = "cannot hand the user's root to mirvanftp";
    return false;
  }
  std::string empty = base_ + "/empty";
  mkdir(empty.c_str(), 0755);
  for (int attempt = 0; attempt < 3; ++attempt) {
    port_ = fixedPort_ != 0 ? fixedPort_ : FreePort();
    std::string conf = base_ + "/vsftpd.conf";
    // An IPv6 address (such as ::1) is listened on with listen_ipv6.
    const bool v6 = address_.find(':') != std::string::npos;
    std::ofstream(conf) << (v6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6=" : "listen=YES\nlisten_ipv6=NO\nlisten_address=")
                        << address_ << "\nlisten_port=" << port_
                        << "\nbackground=NO\nanonymous_enable=YES\nno_anon_password=YES\nanon_root=" << anonRoot_
                        << "\nlocal_enable=YES\nwrite_enable=YES\nlocal_umask=022\nlocal_root=" << userRoot_
                        << "\nchroot_local_user=NO\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
                        << "secure_chroot_dir=" << empty << "\npam_service_name=vsftpd\ndelay_failed_login=0\n"
                        << "delay_successful_login=0\nxferlog_enable=NO\ndirmessage_enable=NO\nuserlist_enable=NO\n"
                        << "ftpd_banner=vsftpd test server ready\nmax_login_fails=10\n";
    pid_ = Spawn({kVsftpdPath, conf}, -1, base_ + "/server.log");
    uint64_t deadline = NowMs() + kStartMs;
    while (NowMs() < deadline) {
      if (Exited(pid_)) {
        pid_ = -1;  // already reaped (most likely the port was taken meanwhile)
        break;
      }
      if (Accepts(address_, port_)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Kill();
  }
  *whyNot = "vsftpd did not start: " + ReadAll(base_ + "/server.log");
  return false;
}

void RealFtpServer::Kill() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGKILL);
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

RealFtpServer::~RealFtpServer() {
  Kill();
  std::error_code ec;
  if (!base_.empty()) std::filesystem::remove_all(base_, ec);
}

}  // namespace testing_support
