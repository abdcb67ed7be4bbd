#pragma once
// TCP connections as byte streams, for the network links (KISS over TCP,
// APRS-IS). A read waits up to the stream's read time-out for the first byte
// and returns what has arrived by then; a write gives up after a few seconds
// of a peer that takes nothing. close() from another thread ends a call in
// progress at once, as for serial ports.

#include <atomic>
#include <memory>
#include <string>

#include "platform/byte_stream.h"

namespace tervane {

struct TcpOpenResult {
  std::shared_ptr<ByteStream> stream;  // empty on failure
  std::string error;                   // the system's reason on failure
};

// Connects to host (a name or an address) and port. The attempt gives up
// after connectTimeoutMs, or soon after *cancel becomes true (when given).
// The name lookup itself cannot be cut short.
TcpOpenResult connectTcp(const std::string& host, int port, int connectTimeoutMs, int readTimeoutMs,
                         const std::atomic<bool>* cancel = nullptr);

}  // namespace tervane
