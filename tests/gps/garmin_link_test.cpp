#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

#include "gps/garmin_link.h"
#include "platform/serial_port.h"

namespace tervane {
namespace {

using Bytes = std::vector<std::uint8_t>;

GarminPacket decode(const Bytes& bytes) { return garminPacketFromFrame(readGarminFrame(bytes)); }
Bytes dataOf(const GarminPacket& p) { return Bytes(p.data.begin(), p.data.begin() + p.size); }

// The first three frames as Garmin's protocol description prints them.
TEST(GarminFrame, KnownFramesDoublingAndAcknowledgements) {
  struct Row {
    const char* name;
    std::uint8_t type;
    Bytes data;
    Bytes frame;
  };
  const Row rows[] = {
      {"product request", 254, {}, {0x10, 0xFE, 0x00, 0x02, 0x10, 0x03}},
      {"position command", 10, {0x02, 0x00}, {0x10, 0x0A, 0x02, 0x02, 0x00, 0xF2, 0x10, 0x03}},
      {"time command", 10, {0x05, 0x00}, {0x10, 0x0A, 0x02, 0x05, 0x00, 0xEF, 0x10, 0x03}},
      {"data byte 0x10 doubled", 0x22, {0x10}, {0x10, 0x22, 0x01, 0x10, 0x10, 0xCD, 0x10, 0x03}},
      {"checksum 0x10 doubled", 0xF0, {}, {0x10, 0xF0, 0x00, 0x10, 0x10, 0x10, 0x03}},
      {"type 0x10 not doubled", 0x10, {}, {0x10, 0x10, 0x00, 0xF0, 0x10, 0x03}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(encodeGarminFrame(row.type, row.data), row.frame);
  }
  const Bytes sixteen = encodeGarminFrame(0x01, Bytes(16, 0));
  EXPECT_EQ(Bytes(sixteen.begin() + 2, sixteen.begin() + 4), (Bytes{0x10, 0x10})) << "size 16 doubled";

  EXPECT_EQ(garminAckFrame(254), (std::array<std::uint8_t, 8>{0x10, 0x06, 0x02, 0xFE, 0x00, 0xFA, 0x10, 0x03}));
  // Type 0x10 goes out as one byte, although it equals DLE.
  EXPECT_EQ(garminAckFrame(0x10), (std::array<std::uint8_t, 8>{0x10, 0x06, 0x02, 0x10, 0x00, 0xE8, 0x10, 0x03}));
}

TEST(GarminFrame, EveryByteValueRoundTripsInEveryField) {
  for (int v = 0; v < 256; ++v) {
    SCOPED_TRACE(v);
    const auto value = static_cast<std::uint8_t>(v);

    const Bytes data = {0x41, value, 0x42};
    const Bytes frame = encodeGarminFrame(0x22, data);
    const GarminRawFrame raw = readGarminFrame(frame);
    EXPECT_TRUE(raw.terminated);
    EXPECT_EQ(raw.bytesRead, frame.size()) << "the closing DLE ETX is consumed, nothing more";
    EXPECT_EQ(dataOf(garminPacketFromFrame(raw)), data);

    // The type byte is sent as it is, so type 16 reads as the end of the
    // frame (Garmin's link protocol never uses it).
    EXPECT_EQ(decode(encodeGarminFrame(value, Bytes{7})).type, value == kGarminDle ? 0 : value);

    const Bytes dles(value, kGarminDle);
    const GarminPacket sized = decode(encodeGarminFrame(0x30, dles));
    EXPECT_EQ(sized.size, value);
    EXPECT_EQ(dataOf(sized), dles);

    const auto filler = static_cast<std::uint8_t>(256 - ((v + 0x41) % 256));
    ASSERT_EQ(garminChecksum(0x40, Bytes{filler}), value);
    const GarminRawFrame withChecksum = readGarminFrame(encodeGarminFrame(0x40, Bytes{filler}));
    ASSERT_EQ(withChecksum.count, 5u) << "DLE, type, size, data, checksum";
    EXPECT_EQ(withChecksum.bytes[4], value);
  }
}

TEST(GarminFrame, DamagedAndTruncatedFrames) {
  struct Row {
    const char* name;
    Bytes bytes;
    std::uint8_t type;
    std::uint8_t size;
    bool terminated;
    std::size_t bytesRead;
  };
  const Row rows[] = {
      {"no leading DLE: one byte read, empty packet", {0x0A, 0x10, 0x0A, 0x00, 0xF6, 0x10, 0x03}, 0, 0, false, 1},
      {"nothing at all", {}, 0, 0, false, 0},
      {"declares 20 bytes, 3 arrive", {0x10, 0x11, 20, 1, 2, 3}, 0x11, 3, false, 6},
      {"silence right after a DLE", {0x10, 0x11, 2, 0x10}, 0x11, 0, false, 4},
      {"checksum not verified", {0x10, 0x11, 1, 0x55, 0x00, 0x10, 0x03}, 0x11, 1, true, 7},
      {"DLE and any other byte ends it", {0x10, 0x11, 1, 0x55, 0x10, 0x7F, 0x99}, 0x11, 1, true, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const GarminRawFrame raw = readGarminFrame(row.bytes);
    EXPECT_EQ(raw.terminated, row.terminated);
    EXPECT_EQ(raw.bytesRead, row.bytesRead);
    const GarminPacket packet = garminPacketFromFrame(raw);
    EXPECT_EQ(packet.type, row.type);
    EXPECT_EQ(packet.size, row.size);
  }

  Bytes endless(5000, kGarminDle);
  endless[1] = 0x20;
  const GarminRawFrame raw = readGarminFrame(endless);
  EXPECT_EQ(raw.bytesRead, 1023u) << "at most 1023 bytes are read";
  EXPECT_EQ(raw.count, 2u + 510u) << "a doubled DLE is two reads and one byte";
}

// Random line noise, rich in DLE bytes: the packet never claims more data
// than arrived, and nothing past it is left over.
TEST(GarminFrame, RandomBytesKeepEveryBound) {
  std::mt19937 random(1207);
  for (int round = 0; round < 3000; ++round) {
    Bytes bytes(random() % 1500);
    for (std::uint8_t& b : bytes) b = random() % 3 == 0 ? kGarminDle : static_cast<std::uint8_t>(random());
    if (!bytes.empty() && round % 2 == 0) bytes[0] = kGarminDle;
    const GarminRawFrame raw = readGarminFrame(bytes);
    ASSERT_LE(raw.bytesRead, std::min<std::size_t>(bytes.size(), GarminRawFrame::kMaxReads));
    ASSERT_LE(raw.count, raw.bytesRead);
    const GarminPacket packet = garminPacketFromFrame(raw);
    ASSERT_LE(packet.size + 3u, std::max<std::size_t>(raw.count, 3));
    for (std::size_t i = packet.size; i < packet.data.size(); ++i) ASSERT_EQ(packet.data[i], 0);
  }
}

// Hands out scripted bytes one at a time and records writes.
class ScriptedPort final : public SerialPort {
 public:
  void queue(const Bytes& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    if (maxBytes == 0 || incoming.empty()) return 0;
    buffer[0] = incoming.front();
    incoming.pop_front();
    return 1;
  }
  bool write(const std::uint8_t* data, std::size_t size) override {
    writes.emplace_back(data, data + size);
    return true;
  }
  void close() override {}
  bool isOpen() const override { return true; }

  std::deque<std::uint8_t> incoming;
  std::vector<Bytes> writes;
};

struct LinkHarness {
  ScriptedPort port;
  std::vector<int> pauses;
  GarminLink link{port, [this](int ms) { pauses.push_back(ms); }};
};

Bytes ackFor(std::uint8_t type) { return encodeGarminFrame(kGarminAck, Bytes{type, 0}); }

TEST(GarminLinkTest, SendAndReceiveWithTheirPausesAndAcknowledgements) {
  LinkHarness h;
  const Bytes product = encodeGarminFrame(kGarminProductData, Bytes{1, 2});
  h.port.queue(ackFor(254));
  h.port.queue(product);
  GarminPacket packet;
  EXPECT_TRUE(h.link.sendPacket(254, {}, packet));
  EXPECT_EQ(h.port.writes, std::vector<Bytes>{encodeGarminFrame(254, {})});
  EXPECT_EQ(h.port.incoming.size(), product.size()) << "only the reply frame is read";

  EXPECT_TRUE(h.link.receivePacket(packet));
  EXPECT_EQ(packet.type, kGarminProductData);
  EXPECT_EQ(dataOf(packet), (Bytes{1, 2}));
  const std::array<std::uint8_t, 8> ack = garminAckFrame(kGarminProductData);
  EXPECT_EQ(h.port.writes.back(), Bytes(ack.begin(), ack.end()));
  EXPECT_EQ(h.pauses, (std::vector<int>{10, 10, 50}));

  packet.data[0] = 7;
  EXPECT_FALSE(h.link.receivePacket(packet)) << "silence";
  EXPECT_EQ(packet.type, 0);
  EXPECT_EQ(packet.data[0], 0);
  EXPECT_EQ(h.port.writes.size(), 2u) << "silence is not acknowledged";

  h.port.queue(Bytes{0x24});
  EXPECT_TRUE(h.link.receivePacket(packet)) << "a stray byte is an empty packet, acknowledged";
  EXPECT_EQ(h.port.writes.back()[3], 0);
}

TEST(GarminLinkTest, ExchangeSkipsAcknowledgementsToTheAnswer) {
  struct Row {
    const char* name;
    std::vector<Bytes> replies;
    std::uint8_t answer;
  };
  const Row rows[] = {
      {"ack then answer", {ackFor(10), encodeGarminFrame(kGarminDateTime, Bytes(8, 1))}, kGarminDateTime},
      {"two acks then answer",
       {ackFor(10), ackFor(10), encodeGarminFrame(kGarminPosition, Bytes(16, 0))},
       kGarminPosition},
      {"ack and nothing more", {ackFor(10)}, 0},
      {"no answer at all", {}, 0},
      {"answer without ack", {encodeGarminFrame(kGarminDateTime, Bytes(8, 1))}, kGarminDateTime},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LinkHarness h;
    for (const Bytes& reply : row.replies) h.port.queue(reply);
    EXPECT_EQ(h.link.exchange(10, Bytes{5, 0}).type, row.answer);
  }

  LinkHarness endless;
  for (int i = 0; i < 100; ++i) endless.port.queue(ackFor(10));
  EXPECT_EQ(endless.link.exchange(10, Bytes{5, 0}).type, kGarminAck);
  EXPECT_LE(endless.port.writes.size(), 1u + GarminLink::kMaxAcknowledgements) << "gives up";
}

}  // namespace
}  // namespace tervane
