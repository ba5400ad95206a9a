// No descriptor outlives its connection: failed connects and many login/close cycles.
#include <dirent.h>

#include <gtest/gtest.h>

#include "ftp/login.h"
#include "session_fixture.h"

namespace {

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST_F(SessionTest, ConnectionsReleaseTheirDescriptors) {
  platform::Socket probe = platform::NewSocket(true, 0);
  platform::NetAddress closed{0x7F000001, 0};
  ASSERT_EQ(platform::BindSocket(probe, closed), 0);
  ASSERT_TRUE(platform::LocalAddress(probe, closed));
  platform::CloseSocketHandle(probe);

  for (int i = 0; i < 20; ++i) {
    server.On("USER", "230 ok\r\n");
    server.On("QUIT", "221 bye\r\n");
  }
  profiles::SessionProfile& p = profiles::CurrentProfile();
  p.host = "127.0.0.1";
  p.port = server.port();
  p.user = "joe";
  int before = OpenDescriptors();
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(ftp::ConnectHost("127.0.0.1", closed.port, "tcp"), platform::kNoSocket);
    platform::Socket s = ftp::Login(p);
    ASSERT_NE(s, platform::kNoSocket);
    EXPECT_EQ(ftp::SendFtpCommand(s, "QUIT"), 2);
    EXPECT_EQ(ftp::CloseSocket(s), platform::kNoSocket);
    ftp::Conn().connected = 0;
    ASSERT_TRUE(server.WaitForClose(5000, i + 1));  // the server's end is gone too
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
