// Data connections: passive (PASV, connecting to the server) and active (PORT, accepting).
#pragma once
#include <cstdint>
#include <string>

#include "platform/net.h"

namespace transfer {

using platform::Socket;

// The numbers of a PASV reply: the list after "(" (or from the first digit behind the code),
// up to ")". Returns 6 when all six were read, fewer when not, -1 when no list starts.
int ParsePassiveReply(const std::string& line, unsigned numbers[6], std::string* listText = nullptr);

// The port of an EPSV reply: "(<d><d><d>port<d>)" with any one printable delimiter d;
// false for anything else, a port of 0 or one above 65535.
bool ParseExtendedPassiveReply(const std::string& line, unsigned& port);

// With MODERNFTP, EPSV first (PASV after a 500/502, remembered for the connection; on an
// IPv6 connection EPSV only). PASV (or XPSV) and a connection to the port it names, on the control connection's peer
// address; the data socket, or kNoSocket (each failure logged).
Socket OpenPassiveData(Socket ctrl);
// A listener on a fresh port, announced with PORT (EPRT on an IPv6 connection); the
// listener, or kNoSocket.
Socket OpenActiveListener(Socket ctrl);
// Accepts the server's connection under the network time-out; the data socket, or kNoSocket.
// The listener is closed either way.
Socket AcceptActiveData(Socket listener);
// Closes a transfer's data connection (cancelling a blocking call when a plain close fails).
Socket CloseDataConnection(Socket data);

}  // namespace transfer
