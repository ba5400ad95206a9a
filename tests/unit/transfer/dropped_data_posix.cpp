// A data connection the server resets in the middle of a download: the transfer fails whatever
// the completion reply says, the local file is left as it was, the statistics line says
// "failed", and the completion reply is still read.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/fs.h"
#include "transfer/engine.h"
#include "unit/ftp/session_fixture.h"

using testing_support::ScriptedReply;

TEST_F(SessionTest, DataConnectionResetMidTransfer) {
  // A passive data port of our own: accepts once, sends 10000 bytes, then resets the connection.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  socklen_t len = sizeof sa;
  getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
  ASSERT_EQ(listen(listener, 1), 0);
  unsigned port = ntohs(sa.sin_port);
  std::thread data([listener] {
    int c = accept(listener, nullptr, nullptr);
    if (c < 0) return;
    std::string bytes(10000, 'd');
    send(c, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    usleep(100 * 1000);  // let the bytes arrive before the reset
    linger hard{1, 0};
    setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(c);
  });

  core::Settings().Reset();
  core::Settings().verbose = 1;
  core::Settings().bell = 0;
  server.On("TYPE", "200 ok\r\n");
  server.On("PASV", ("227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," +
                     std::to_string(port % 256) + ")\r\n")
                        .c_str());
  server.On("RETR", ScriptedReply::Pieces({"150 Opening BINARY mode data connection (20000 bytes)\r\n",
                                           "426 Connection closed; transfer aborted.\r\n"}));
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::Conn().connected = 1;
  ftp::Conn().ctrl_skt = ctrl;
  profiles::CurrentProfile().passive = 1;
  std::string target = dir.Write("partial.bin", "old");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR big.bin", target, 'I'), 0);
  data.join();
  close(listener);
  EXPECT_EQ(testing_support::ReadFile(target), "old");
  EXPECT_TRUE(LogMentions("recv: "));
  EXPECT_TRUE(LogMentions("Received 10000 bytes in"));
  EXPECT_TRUE(LogMentions("transfer failed"));
  EXPECT_TRUE(Logged("426 Connection closed; transfer aborted."));
  core::Settings().Reset();
}
