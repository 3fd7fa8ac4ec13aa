#pragma once
#include <string>

// Shuts down, without a byte of answer, the accepted socket of this process whose
// peer is remote_addr:remote_port and whose own port is local_port. The HTTP library
// hands handlers no socket, so the socket is found among the process's descriptors.
// False when no such socket exists.
bool ShutdownConnection(const std::string &remote_addr, int remote_port, int local_port);

// Shuts down every accepted socket of this process on `local_port`, so workers idling on
// kept-alive connections end at once when the server stops.
void ShutdownAllConnections(int local_port);
