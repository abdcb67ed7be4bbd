#pragma once
// Serial ports as the workers use them: opened by COM number (1..4), 8 data
// bits, no parity, one stop bit, raw 8-bit transfer, no flow control, DTR and
// RTS asserted. A read of up to n bytes returns when n bytes have arrived,
// 4 ms after the last byte once one has arrived, or at the latest after
// 4*n + 200 ms; a write of n bytes gives up after 4*n + 200 ms.
//
// close() may be called from another thread while the owner is inside read()
// or write(): that call and every later one then fail at once. The file
// descriptor itself is released only when no call is in progress, so a
// descriptor number is never reused under a running call.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/byte_stream.h"

namespace tervane {

class ProfileStore;

// A serial port is a byte stream with the time-outs above. A device that
// vanishes (an adapter unplugged, a pseudo-terminal whose other side closed)
// reports failure() with the system's reason.
class SerialPort : public ByteStream {
 public:
  using ByteStream::write;
};

struct SerialOpenResult {
  std::shared_ptr<SerialPort> port;  // empty on failure
  std::string devicePath;            // the device that COMn maps to
  std::string error;                 // the system's reason on failure
};

// The device path of COMn (n = 1..4): TERVANEAPRS_COMn from the environment
// when set, else entry "COMn" of section "Ports" in the profile store when
// present, else /dev/ttyS(n-1).
std::string serialDevicePath(int comNumber, const ProfileStore* store);

// Opens and configures the device at the given speed (1200, 4800 or 9600).
SerialOpenResult openSerialDevice(const std::string& devicePath, int baud);
SerialOpenResult openSerialPort(int comNumber, int baud, const ProfileStore* store);

// How a worker opens its port: COM number and speed in, port or reason out.
// Tests hand the workers their own.
using PortOpener = std::function<SerialOpenResult(int comNumber, int baud)>;

}  // namespace tervane
