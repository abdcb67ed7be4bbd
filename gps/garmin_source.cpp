// A Garmin receiver on a serial port at 9600 baud: position and time on
// command, and the tracked stations' positions uploaded as waypoints.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/text_format.h"
#include "gps/garmin_link.h"
#include "gps/gps_source.h"
#include "gps/waypoint_layout.h"

namespace tervane {

namespace {

constexpr int kCyclePauseMs = 2;
constexpr std::uint16_t kMaxWaypointCount = 0xFFFF;

double littleEndianDouble(const GarminPacket& packet, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(packet.data[at + i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

class GarminSource final : public GpsSource {
 public:
  explicit GarminSource(const GpsWorkerParams& params) : params_(params) {}

  bool open(GpsSession& session) override {
    port_ = session.openSerialPort(params_.comNumber, kGarminBaud);
    if (!port_) return false;
    link_.emplace(*port_, [&session](int milliseconds) { session.pause(milliseconds); });
    return true;
  }

  bool start(GpsSession& session) override {
    GarminPacket reply;
    if (!link_->sendPacket(kGarminProductRequest, {}, reply) &&
        !session.continueAfterDeviceOpenError("no answer to the Garmin product request")) {
      return false;
    }

    GarminPacket packet;
    while (!session.stopped() && link_->receivePacket(packet)) {
      if (packet.type == kGarminProtocolArray) scanProtocolList(session, packet);
    }
    if (waypointType_ != 0 && !session.stopped()) bringLinkUp(session);
    session.pause(kCyclePauseMs);
    return true;
  }

  bool cycle(GpsSession& session) override {
    if (session.mobile()) pollPosition(session);
    session.pause(kCyclePauseMs);
    pollTime(session);
    if (session.shared().gpsLinkUp && session.shared().events.gpsUploadRequest.poll()) upload(session);
    session.pause(kCyclePauseMs);
    return true;
  }

  void close() override {
    if (port_) port_->close();
  }

 private:
  // The protocol list names the receiver's waypoint format as 'D' followed by
  // a 16-bit number 100-199; the first such entry counts.
  void scanProtocolList(GpsSession& session, const GarminPacket& packet) {
    for (std::size_t i = 0; i + 2 < packet.size; ++i) {
      if (packet.data[i] != 'D') continue;
      const int format = packet.data[i + 1] | (packet.data[i + 2] << 8);
      if (format < 100 || format >= 200) continue;
      if (waypointLayout(format)) {
        waypointType_ = format;
      } else if (!unsupportedNoticeShown_) {
        unsupportedNoticeShown_ = true;
        session.notice(
            textf("The GPS receiver's waypoint format D%d is not supported; waypoints are not uploaded.", format));
      }
      return;
    }
  }

  // The link is up: the waypoint token goes out, unless a batch filled while
  // no link was up is still waiting, which is sent first.
  void bringLinkUp(GpsSession& session) {
    session.shared().gpsLinkUp = true;
    if (session.shared().events.gpsUploadRequest.wait(0)) {
      upload(session);
      return;
    }
    giveTokenBack(session);
  }

  // Toggle Track is enabled before the token goes out, so that whoever takes
  // the token and disables the button is never overridden.
  void giveTokenBack(GpsSession& session) {
    session.store([&session] { session.ui().setToggleTrackEnabled(true); });
    session.shared().events.gpsUploadReady.raise();
  }

  void pollPosition(GpsSession& session) {
    const std::uint8_t command[2] = {kGarminCommandTransferPosition, 0};
    const GarminPacket answer = link_->exchange(kGarminCommand, command);
    if (answer.type != kGarminPosition || answer.size < 16) return;
    const double pi = 4.0 * std::atan(1.0);
    const double latitudeDeg = 180.0 / pi * littleEndianDouble(answer, 0);
    const double longitudeDeg = 180.0 / pi * littleEndianDouble(answer, 8);
    if (!(std::fabs(latitudeDeg) <= 90.0) || !(std::fabs(longitudeDeg) <= 180.0)) return;
    session.storePosition(
        {latitudeDeg, longitudeDeg, latitudeLetter(latitudeDeg), longitudeLetter(longitudeDeg)});
  }

  // Only the time of day is taken from the date-time packet: Set PC Clock
  // puts it on the date nearest to the PC's.
  void pollTime(GpsSession& session) {
    const std::uint8_t command[2] = {kGarminCommandTransferTime, 0};
    const GarminPacket answer = link_->exchange(kGarminCommand, command);
    if (answer.type != kGarminDateTime || answer.size < 8) return;
    session.storeTime(answer.data[4], answer.data[6], answer.data[7]);
  }

  // Sends the waypoint batch, which this worker owns from the upload request
  // until it raises gpsUploadReady. A stop between waypoints ends the upload
  // early; the batch is released and the token given back all the same.
  void upload(GpsSession& session) {
    std::vector<Waypoint>& waypoints = session.shared().waypointBatch.waypoints;
    const auto count = static_cast<std::uint16_t>(std::min<std::size_t>(waypoints.size(), kMaxWaypointCount));
    const std::uint8_t records[2] = {static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8)};
    link_->exchange(kGarminRecords, records);
    bool complete = true;
    for (std::size_t i = 0; i < count; ++i) {
      if (session.stopped()) {
        complete = false;
        break;
      }
      const Waypoint& waypoint = waypoints[i];
      const std::optional<std::vector<std::uint8_t>> record =
          waypointRecord(waypointType_, waypoint.name.view(), waypoint.latitudeDeg, waypoint.longitudeDeg);
      if (record) link_->exchange(kGarminWaypoint, *record);
    }
    waypoints.clear();
    if (complete) link_->exchange(kGarminTransferComplete, {});
    giveTokenBack(session);
  }

  const GpsWorkerParams params_;
  std::shared_ptr<SerialPort> port_;
  std::optional<GarminLink> link_;
  int waypointType_ = 0;
  bool unsupportedNoticeShown_ = false;
};

}  // namespace

std::unique_ptr<GpsSource> makeGarminSource(const GpsWorkerParams& params) {
  return std::make_unique<GarminSource>(params);
}

}  // namespace tervane
