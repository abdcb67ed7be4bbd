#pragma once
// The Garmin serial link: packet framing (DLE, type, size, data, checksum,
// DLE, ETX with DLE doubling), the frame reader, and the send / receive /
// exchange operations the GPS worker performs over its port.
//
// Framing is kept apart from packet handling: readGarminFrame() only cuts one
// frame from a byte source into raw bytes, garminPacketFromFrame() turns those
// bytes into a packet, so each can be tested and fuzzed on its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tervane {

class SerialPort;

inline constexpr std::uint8_t kGarminDle = 0x10;
inline constexpr std::uint8_t kGarminEtx = 0x03;

// Packet types the program uses (Garmin's L000/L001 link protocol).
inline constexpr std::uint8_t kGarminAck = 6;
inline constexpr std::uint8_t kGarminCommand = 10;
inline constexpr std::uint8_t kGarminTransferComplete = 12;
inline constexpr std::uint8_t kGarminDateTime = 14;
inline constexpr std::uint8_t kGarminPosition = 17;
inline constexpr std::uint8_t kGarminRecords = 27;
inline constexpr std::uint8_t kGarminWaypoint = 35;
inline constexpr std::uint8_t kGarminProtocolArray = 253;
inline constexpr std::uint8_t kGarminProductRequest = 254;
inline constexpr std::uint8_t kGarminProductData = 255;

// Command numbers carried in a command packet (A010).
inline constexpr std::uint16_t kGarminCommandTransferPosition = 2;
inline constexpr std::uint16_t kGarminCommandTransferTime = 5;

// The largest data block a frame can carry: the size field is one byte.
inline constexpr std::size_t kGarminMaxData = 255;

// Two's complement, modulo 256, of the sum of type, size and data bytes.
std::uint8_t garminChecksum(std::uint8_t type, std::span<const std::uint8_t> data);

// One frame ready to send. Every 0x10 among the size, data and checksum bytes
// is sent twice; the type byte is not examined. Data beyond 255 bytes is cut.
std::vector<std::uint8_t> encodeGarminFrame(std::uint8_t type, std::span<const std::uint8_t> data);

// The 8-byte acknowledgement of a received packet: DLE, 6, 2, type, 0,
// checksum, DLE, ETX, sent as it is (no doubling).
std::array<std::uint8_t, 8> garminAckFrame(std::uint8_t type);

// One frame as read from the line: the leading DLE, type, size, data and
// checksum with doubled DLEs made single, the closing DLE and ETX dropped.
// Bytes past `count` are zero.
struct GarminRawFrame {
  static constexpr std::size_t kBufferBytes = 1024;
  static constexpr std::size_t kMaxReads = kBufferBytes - 1;

  std::array<std::uint8_t, kBufferBytes> bytes{};
  std::size_t count = 0;
  // The frame ended on a DLE followed by another byte (normally ETX). False
  // when the first byte was no DLE, the line fell silent or the read limit
  // was reached.
  bool terminated = false;
  // Bytes taken from the source, doubled DLEs and the closing pair included.
  std::size_t bytesRead = 0;
};

// Yields one byte; false when none came within the port's read time-out.
using GarminByteSource = std::function<bool(std::uint8_t& byte)>;

// Reads one frame. The first byte must be DLE, else nothing more is read.
// After the first byte, a DLE is followed by one more byte: a second DLE
// stands for a data byte 0x10, anything else ends the frame. A read that
// yields nothing also ends it, and at most 1023 bytes are read. The checksum
// is not verified.
GarminRawFrame readGarminFrame(const GarminByteSource& source);

// The same over bytes already received (the simulator's stream and the fuzz
// tests): the frame starting at bytes[0].
GarminRawFrame readGarminFrame(std::span<const std::uint8_t> bytes);

// One packet. `size` counts the data bytes that actually arrived (at most what
// the frame declared), so nothing past the received bytes is ever read; every
// byte of `data` past `size` is zero.
struct GarminPacket {
  std::uint8_t type = 0;
  std::uint8_t size = 0;
  std::array<std::uint8_t, 256> data{};
};

// The packet a frame carries: type at index 1, size at index 2, data from 3.
// A frame without a leading DLE gives the empty packet (type 0, size 0).
GarminPacket garminPacketFromFrame(const GarminRawFrame& frame);

// The link over the GPS port. The pauses between frames go through `pause`,
// so that tests can run without waiting.
class GarminLink {
 public:
  using Pause = std::function<void(int milliseconds)>;

  // An empty pause function sleeps for real.
  GarminLink(SerialPort& port, Pause pause);

  // Writes one frame, pauses 10 ms and reads the reply frame into `reply`;
  // true when the reply is an acknowledgement.
  bool sendPacket(std::uint8_t type, std::span<const std::uint8_t> data, GarminPacket& reply);

  // Reads one frame and acknowledges it (10 ms before the acknowledgement,
  // 50 ms after it). False, with the empty packet, when no byte arrived
  // within the port's read time-out.
  bool receivePacket(GarminPacket& packet);

  // Sends a packet, then receives again while the latest packet is an
  // acknowledgement. The packet left is the answer; type 0 when nothing more
  // came. A device that keeps sending acknowledgements is given up after
  // kMaxAcknowledgements of them.
  GarminPacket exchange(std::uint8_t type, std::span<const std::uint8_t> data);

  static constexpr int kMaxAcknowledgements = 32;
  static constexpr int kAfterSendMs = 10;
  static constexpr int kBeforeAckMs = 10;
  static constexpr int kAfterAckMs = 50;

 private:
  bool readByte(std::uint8_t& byte);
  void pause(int milliseconds);

  SerialPort& port_;
  Pause pause_;
};

}  // namespace tervane
