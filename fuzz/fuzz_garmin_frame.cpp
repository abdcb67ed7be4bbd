// The Garmin link's receive side: frames cut from the input one after the
// other, the packet each carries, a packet's encoding read back, and the
// link's exchange against a receiver that answers with the input bytes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "gps/garmin_link.h"
#include "platform/serial_port.h"

namespace {

using namespace tervane;

void checkPacket(const GarminRawFrame& frame, const GarminPacket& packet) {
  const std::size_t dataBytes = frame.count > 3 ? frame.count - 3 : 0;
  TERVANE_FUZZ_CHECK(packet.size <= dataBytes);
  TERVANE_FUZZ_CHECK(std::equal(packet.data.begin(), packet.data.begin() + packet.size, frame.bytes.begin() + 3));
  TERVANE_FUZZ_CHECK(std::all_of(packet.data.begin() + packet.size, packet.data.end(), [](auto b) { return b == 0; }));
}

// Frames one after the other, as the simulator and the link read them.
void readFrames(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const GarminRawFrame frame = readGarminFrame(bytes);
    TERVANE_FUZZ_CHECK(frame.bytesRead >= 1 && frame.bytesRead <= std::min(bytes.size(), GarminRawFrame::kMaxReads));
    TERVANE_FUZZ_CHECK(frame.count <= frame.bytesRead);
    TERVANE_FUZZ_CHECK(std::all_of(frame.bytes.begin() + frame.count, frame.bytes.end(), [](auto b) { return b == 0; }));
    if (bytes[0] != kGarminDle) TERVANE_FUZZ_CHECK(frame.count == 0 && !frame.terminated);
    const GarminPacket packet = garminPacketFromFrame(frame);
    checkPacket(frame, packet);
    if (frame.count == 0) TERVANE_FUZZ_CHECK(packet.type == 0 && packet.size == 0);
    bytes = bytes.subspan(frame.bytesRead);
  }
}

// Whatever is sent reads back as the same packet. The packet id is never
// doubled on the line, so id 16 (DLE), which Garmin never assigns, cannot
// be read back and is left out.
void roundTrip(std::uint8_t type, std::span<const std::uint8_t> data) {
  if (type == kGarminDle) return;
  data = data.first(std::min(data.size(), kGarminMaxData));
  const std::vector<std::uint8_t> encoded = encodeGarminFrame(type, data);
  const GarminRawFrame frame = readGarminFrame(encoded);
  TERVANE_FUZZ_CHECK(frame.terminated && frame.bytesRead == encoded.size());
  TERVANE_FUZZ_CHECK(frame.count == data.size() + 4);
  TERVANE_FUZZ_CHECK(frame.bytes[frame.count - 1] == garminChecksum(type, data));
  const GarminPacket packet = garminPacketFromFrame(frame);
  TERVANE_FUZZ_CHECK(packet.type == type && packet.size == data.size());
  TERVANE_FUZZ_CHECK(std::equal(data.begin(), data.end(), packet.data.begin()));
}

// A receiver that answers with the input, byte by byte, and then falls silent.
class ScriptedPort final : public SerialPort {
 public:
  explicit ScriptedPort(std::span<const std::uint8_t> replies) : replies_(replies) {}
  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    const std::size_t n = std::min(maxBytes, replies_.size());
    std::copy_n(replies_.begin(), n, buffer);
    replies_ = replies_.subspan(n);
    return n;
  }
  bool write(const std::uint8_t* data, std::size_t size) override {
    written_.emplace_back(data, data + size);
    return true;
  }
  void close() override {}
  bool isOpen() const override { return true; }
  const std::vector<std::vector<std::uint8_t>>& written() const { return written_; }

 private:
  std::span<const std::uint8_t> replies_;
  std::vector<std::vector<std::uint8_t>> written_;
};

void exchange(std::span<const std::uint8_t> replies) {
  ScriptedPort port(replies);
  GarminLink link(port, [](int) {});
  const std::uint8_t command[2] = {kGarminCommandTransferPosition, 0};
  const GarminPacket answer = link.exchange(kGarminCommand, command);
  TERVANE_FUZZ_CHECK(std::all_of(answer.data.begin() + answer.size, answer.data.end(), [](auto b) { return b == 0; }));
  // The command, then one acknowledgement per packet received.
  const auto& written = port.written();
  TERVANE_FUZZ_CHECK(!written.empty() && written.size() <= 1 + GarminLink::kMaxAcknowledgements);
  for (std::size_t i = 1; i < written.size(); ++i) {
    TERVANE_FUZZ_CHECK(written[i].size() == 8 && written[i][0] == kGarminDle && written[i][1] == kGarminAck);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  readFrames(bytes);
  if (!bytes.empty()) roundTrip(bytes[0], bytes.subspan(1));
  exchange(bytes);
  return 0;
}
