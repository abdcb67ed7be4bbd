#include "gps/garmin_link.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/serial_port.h"

namespace tervane {
namespace {

void putStuffed(std::vector<std::uint8_t>& out, std::uint8_t byte) {
  out.push_back(byte);
  if (byte == kGarminDle) out.push_back(byte);
}

GarminRawFrame readFrameFrom(std::uint8_t first, const GarminByteSource& source) {
  GarminRawFrame frame;
  frame.bytesRead = 1;
  if (first != kGarminDle) return frame;
  frame.bytes[frame.count++] = first;
  std::uint8_t byte = 0;
  while (frame.bytesRead < GarminRawFrame::kMaxReads) {
    if (!source(byte)) return frame;
    ++frame.bytesRead;
    if (byte == kGarminDle) {
      if (frame.bytesRead >= GarminRawFrame::kMaxReads) return frame;
      std::uint8_t next = 0;
      if (!source(next)) return frame;
      ++frame.bytesRead;
      if (next != kGarminDle) {
        frame.terminated = true;
        return frame;
      }
    }
    frame.bytes[frame.count++] = byte;
  }
  return frame;
}

}  // namespace

std::uint8_t garminChecksum(std::uint8_t type, std::span<const std::uint8_t> data) {
  const std::size_t size = std::min(data.size(), kGarminMaxData);
  unsigned sum = type + static_cast<unsigned>(size);
  for (std::size_t i = 0; i < size; ++i) sum += data[i];
  return static_cast<std::uint8_t>(0x100u - (sum & 0xFFu));
}

std::vector<std::uint8_t> encodeGarminFrame(std::uint8_t type, std::span<const std::uint8_t> data) {
  const std::size_t size = std::min(data.size(), kGarminMaxData);
  std::vector<std::uint8_t> out;
  out.reserve(2 * size + 8);
  out.push_back(kGarminDle);
  out.push_back(type);
  putStuffed(out, static_cast<std::uint8_t>(size));
  for (std::size_t i = 0; i < size; ++i) putStuffed(out, data[i]);
  putStuffed(out, garminChecksum(type, data.first(size)));
  out.push_back(kGarminDle);
  out.push_back(kGarminEtx);
  return out;
}

std::array<std::uint8_t, 8> garminAckFrame(std::uint8_t type) {
  const std::uint8_t data[2] = {type, 0};
  return {kGarminDle, kGarminAck, 2, type, 0, garminChecksum(kGarminAck, data), kGarminDle, kGarminEtx};
}

GarminRawFrame readGarminFrame(const GarminByteSource& source) {
  std::uint8_t first = 0;
  if (!source(first)) return GarminRawFrame{};
  return readFrameFrom(first, source);
}

GarminRawFrame readGarminFrame(std::span<const std::uint8_t> bytes) {
  std::size_t at = 0;
  return readGarminFrame([&](std::uint8_t& byte) {
    if (at >= bytes.size()) return false;
    byte = bytes[at++];
    return true;
  });
}

GarminPacket garminPacketFromFrame(const GarminRawFrame& frame) {
  GarminPacket packet;
  if (frame.count == 0 || frame.bytes[0] != kGarminDle) return packet;
  if (frame.count > 1) packet.type = frame.bytes[1];
  const std::size_t declared = frame.count > 2 ? frame.bytes[2] : 0;
  const std::size_t received = frame.count > 3 ? frame.count - 3 : 0;
  packet.size = static_cast<std::uint8_t>(std::min(declared, received));
  std::copy_n(frame.bytes.begin() + 3, packet.size, packet.data.begin());
  return packet;
}

GarminLink::GarminLink(SerialPort& port, Pause pause) : port_(port), pause_(std::move(pause)) {}

void GarminLink::pause(int milliseconds) {
  if (pause_) {
    pause_(milliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

bool GarminLink::readByte(std::uint8_t& byte) { return port_.read(&byte, 1) == 1; }

bool GarminLink::sendPacket(std::uint8_t type, std::span<const std::uint8_t> data, GarminPacket& reply) {
  const std::vector<std::uint8_t> frame = encodeGarminFrame(type, data);
  port_.write(frame.data(), frame.size());
  pause(kAfterSendMs);
  reply = garminPacketFromFrame(readGarminFrame([this](std::uint8_t& byte) { return readByte(byte); }));
  return reply.type == kGarminAck;
}

bool GarminLink::receivePacket(GarminPacket& packet) {
  std::uint8_t first = 0;
  if (!readByte(first)) {
    packet = GarminPacket{};
    return false;
  }
  packet = garminPacketFromFrame(readFrameFrom(first, [this](std::uint8_t& byte) { return readByte(byte); }));
  pause(kBeforeAckMs);
  const std::array<std::uint8_t, 8> ack = garminAckFrame(packet.type);
  port_.write(ack.data(), ack.size());
  pause(kAfterAckMs);
  return true;
}

GarminPacket GarminLink::exchange(std::uint8_t type, std::span<const std::uint8_t> data) {
  GarminPacket packet;
  sendPacket(type, data, packet);
  for (int acks = 0; packet.type == kGarminAck && acks < kMaxAcknowledgements; ++acks) {
    receivePacket(packet);
  }
  return packet;
}

}  // namespace tervane
