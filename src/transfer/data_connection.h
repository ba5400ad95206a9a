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

// PASV (or XPSV) and a connection to the port it names, on the control connection's peer
// address; the data socket, or kNoSocket (each failure logged).
Socket OpenPassiveData(Socket ctrl);
// A listener on a fresh port, announced with PORT; the listener, or kNoSocket.
Socket OpenActiveListener(Socket ctrl);
// Accepts the server's connection under the network time-out; the data socket, or kNoSocket.
// The listener is closed either way.
Socket AcceptActiveData(Socket listener);
// Closes a transfer's data connection (cancelling a blocking call when a plain close fails).
Socket CloseDataConnection(Socket data);

}  // namespace transfer
