// The simulated receiver's parts: the Garmin device's answers, the grouping
// of NMEA logs into fixes, and the shipped sample log.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "gps/garmin_link.h"
#include "gps/nmea.h"
#include "tools/gpssim/garmin_device.h"
#include "tools/gpssim/nmea_feed.h"

namespace tervane {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<GarminPacket> packetsIn(const Bytes& stream) {
  std::vector<GarminPacket> packets;
  std::size_t at = 0;
  while (at < stream.size()) {
    const GarminRawFrame frame = readGarminFrame(std::span<const std::uint8_t>(stream).subspan(at));
    EXPECT_TRUE(frame.terminated) << "at byte " << at;
    if (!frame.terminated) break;
    packets.push_back(garminPacketFromFrame(frame));
    at += frame.bytesRead;
  }
  return packets;
}

double doubleAt(const GarminPacket& packet, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(packet.data[at + i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

struct DeviceHarness {
  FixedClock clock{1765080000 /* 2025-12-07 04:00:00 UTC */};
  gpssim::GarminDeviceOptions options;
  std::vector<GarminPacket> send(std::uint8_t type, const Bytes& data) {
    gpssim::GarminDevice device(options, clock);
    return packetsIn(device.receive(encodeGarminFrame(type, data), 0.0));
  }
};

TEST(GarminDeviceTest, ProductRequestGetsAckProductDataAndProtocolList) {
  DeviceHarness h;
  const std::vector<GarminPacket> packets = h.send(kGarminProductRequest, {});
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].type, kGarminAck);
  EXPECT_EQ(packets[0].data[0], kGarminProductRequest);
  EXPECT_EQ(packets[1].type, kGarminProductData);
  EXPECT_EQ(packets[1].data[packets[1].size - 1], 0) << "the description ends in a zero byte";
  EXPECT_EQ(packets[2].type, kGarminProtocolArray);
  EXPECT_EQ(Bytes(packets[2].data.begin(), packets[2].data.begin() + packets[2].size),
            (Bytes{'P', 0, 0, 'L', 1, 0, 'A', 10, 0, 'A', 100, 0, 'D', 108, 0, 'A', 0x20, 3, 'D', 0x20, 3}));
}

TEST(GarminDeviceTest, AnswersPositionAndTimeCommands) {
  DeviceHarness h;
  h.options.latitudeDeg = -33.9;
  h.options.longitudeDeg = 151.2;
  std::vector<GarminPacket> packets = h.send(kGarminCommand, {2, 0});
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].type, kGarminAck);
  ASSERT_EQ(packets[1].type, kGarminPosition);
  ASSERT_EQ(packets[1].size, 16);
  const double pi = 4.0 * std::atan(1.0);
  EXPECT_NEAR(doubleAt(packets[1], 0), -33.9 * pi / 180, 1e-15);
  EXPECT_NEAR(doubleAt(packets[1], 8), 151.2 * pi / 180, 1e-15);

  // Date and time (D600): month, day, year LE16, hour LE16, minute, second.
  packets = h.send(kGarminCommand, {5, 0});
  ASSERT_EQ(packets.size(), 2u);
  ASSERT_EQ(packets[1].type, kGarminDateTime);
  EXPECT_EQ(Bytes(packets[1].data.begin(), packets[1].data.begin() + packets[1].size),
            (Bytes{12, 7, 0xE9, 0x07, 4, 0, 0, 0}));
  h.options.secondOfDay = 23 * 3600 + 59 * 60 + 58;
  packets = h.send(kGarminCommand, {5, 0});
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Bytes(packets[1].data.begin(), packets[1].data.begin() + packets[1].size),
            (Bytes{12, 7, 0xE9, 0x07, 23, 0, 59, 58}));

  packets = h.send(kGarminCommand, {99, 0});
  ASSERT_EQ(packets.size(), 1u) << "other commands are only acknowledged";
  EXPECT_TRUE(h.send(kGarminAck, {35, 0}).empty()) << "acknowledgements are not acknowledged";
}

TEST(GarminDeviceTest, ReassemblesFramesFedByteByByteAndSkipsNoise) {
  FixedClock clock(0);
  gpssim::GarminDevice device({}, clock);
  Bytes stream = {0x55, 0x03};
  const Bytes frame = encodeGarminFrame(kGarminCommand, Bytes{2, 0});
  stream.insert(stream.end(), frame.begin(), frame.end());
  const Bytes record(55, kGarminDle);
  const Bytes waypoint = encodeGarminFrame(kGarminWaypoint, record);
  stream.insert(stream.end(), waypoint.begin(), waypoint.end());
  Bytes out;
  for (std::uint8_t byte : stream) {
    const Bytes answer = device.receive(Bytes{byte}, 0.0);
    out.insert(out.end(), answer.begin(), answer.end());
  }
  const std::vector<GarminPacket> packets = packetsIn(out);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[1].type, kGarminPosition);
  EXPECT_EQ(packets[2].type, kGarminAck);
  EXPECT_EQ(packets[2].data[0], kGarminWaypoint);
  const std::vector<std::string> log = device.takeLogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].substr(0, 12), "WPT\t108\t55\t\\") << "a name of DLE bytes is escaped: " << log[0];
}

TEST(NmeaFeedTest, GroupsSentencesByTheirTime) {
  const std::string log =
      "# a comment line\n"
      "$GPGGA,120000,4221.6000,N,07103.6000,W,1,08,0.9,1,M,1,M,,*00\r\n"
      "$GPRMC,120000,A,4221.6000,N,07103.6000,W,0,0,071225,,,A*00\r\n"
      "$GPGSV,1,1,01,01,01,001,01*00\n"
      "\n"
      "$GPGLL,4221.6000,N,07103.6000,W,120001,A*00\n"
      "$GPGGA,120001,4221.6000,N,07103.6000,W,1,08,0.9,1,M,1,M,,*00\n"
      "$GNRMC,120002.00,A,4221.6000,N,07103.6000,W,0,0,071225,,,A*00\n";
  const std::vector<std::string> groups = gpssim::groupNmeaSentences(log);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0],
            "$GPGGA,120000,4221.6000,N,07103.6000,W,1,08,0.9,1,M,1,M,,*00\r\n"
            "$GPRMC,120000,A,4221.6000,N,07103.6000,W,0,0,071225,,,A*00\r\n"
            "$GPGSV,1,1,01,01,01,001,01*00\r\n");
  EXPECT_EQ(groups[1],
            "$GPGLL,4221.6000,N,07103.6000,W,120001,A*00\r\n"
            "$GPGGA,120001,4221.6000,N,07103.6000,W,1,08,0.9,1,M,1,M,,*00\r\n");
  EXPECT_EQ(groups[2], "$GNRMC,120002.00,A,4221.6000,N,07103.6000,W,0,0,071225,,,A*00\r\n");
}

bool checksumValid(const std::string& sentence) {
  const std::size_t star = sentence.find('*');
  if (sentence.empty() || sentence[0] != '$' || star == std::string::npos || star + 3 != sentence.size()) return false;
  unsigned sum = 0;
  for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  return std::strtoul(sentence.substr(star + 1).c_str(), nullptr, 16) == sum;
}

int secondsOfDay(const std::string& time) {
  return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 + std::stoi(time.substr(4, 2));
}

TEST(SampleLog, OneFixASecondAlongATrackNearBoston) {
  std::vector<std::string> groups;
  std::string error;
  ASSERT_TRUE(gpssim::loadNmeaLog(TERVANE_GPSSIM_SAMPLE, &groups, &error)) << error;
  ASSERT_GE(groups.size(), 60u);
  int previousSecond = -1;
  int fixes = 0, fractional = 0, gn = 0, noFix = 0;
  for (const std::string& group : groups) {
    SCOPED_TRACE(group);
    std::size_t start = 0;
    while (start < group.size()) {
      const std::size_t end = group.find("\r\n", start);
      ASSERT_NE(end, std::string::npos);
      const std::string sentence = group.substr(start, end - start);
      start = end + 2;
      EXPECT_TRUE(checksumValid(sentence)) << sentence;
      const std::string time(gpssim::sentenceTime(sentence));
      ASSERT_GE(time.size(), 6u);
      const int second = secondsOfDay(time);
      if (previousSecond >= 0 && sentence.find("GGA") != std::string::npos) {
        EXPECT_EQ(second, previousSecond + 1);
      }
      if (sentence.find("GGA") == std::string::npos) continue;
      previousSecond = second;
      fractional += time.size() > 6 ? 1 : 0;
      gn += sentence.rfind("$GNGGA", 0) == 0 ? 1 : 0;
      const std::optional<GgaFix> fix = parseGga(sentence);
      ASSERT_TRUE(fix.has_value());
      if (!fix->position) {
        ++noFix;
        continue;
      }
      ++fixes;
      EXPECT_NEAR(fix->position->latitudeDeg, 42.36, 0.05);
      EXPECT_NEAR(fix->position->longitudeDeg, -71.06, 0.05);
      EXPECT_GE(fix->fixQuality, 1);
    }
  }
  EXPECT_GE(fixes, 60);
  EXPECT_GT(fractional, 0);
  EXPECT_GT(gn, 0);
  EXPECT_GT(noFix, 0);
}

}  // namespace
}  // namespace tervane
