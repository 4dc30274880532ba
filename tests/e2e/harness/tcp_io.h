#pragma once
#include <cstdint>
#include <string>

#include "handles.h"

namespace e2e {

// Socket chores shared by the stand-in services: plain HTTP on 127.0.0.1,
// one connection at a time, every wait ending when `stop` is set.

// A listening socket on 127.0.0.1:port; empty with a reason on failure.
UniqueSocket ListenOnLoopback(std::uint16_t port, int backlog, std::string* error);

// The next connection, or an empty socket when none came within pollMs.
UniqueSocket AcceptWithin(SOCKET listener, DWORD pollMs);

// Appends what has arrived; false when the peer closed, `stop` is set or the
// time ran out.
bool ReceiveSome(SOCKET s, HANDLE stop, std::string& into, DWORD timeoutMs = INFINITE, DWORD pollMs = 100);

bool SendAll(SOCKET s, const std::string& data);

// Sends the reply, ends the sending side and waits for the peer to close
// first, so that it never sees a reset.
void SendAndLetPeerClose(SOCKET s, HANDLE stop, const std::string& response, DWORD lingerMs);

}  // namespace e2e
