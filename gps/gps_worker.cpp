#include "gps/gps_worker.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "base/text_format.h"
#include "gps/garmin_link.h"
#include "gps/nmea.h"
#include "gps/waypoint_layout.h"

namespace tervane {

std::string latitudeFieldText(const StationPosition& position) {
  return textf("%9.6f %c", std::fabs(position.latitudeDeg), position.latHemisphere);
}

std::string longitudeFieldText(const StationPosition& position) {
  return textf("%10.6f %c", std::fabs(position.longitudeDeg), position.lonHemisphere);
}

namespace {

constexpr int kCyclePauseMs = 2;
// An NMEA collection ends after this many reads that returned nothing...
constexpr int kNmeaEmptyReads = 6;
// ...or after this many bytes without a complete sentence.
constexpr std::size_t kNmeaCollectBytes = 1000;
constexpr std::uint16_t kMaxWaypointCount = 0xFFFF;

double littleEndianDouble(const GarminPacket& packet, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(packet.data[at + i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

class GpsWorker {
 public:
  GpsWorker(const GpsWorkerParams& params, GpsWorkerContext& context)
      : params_(params), ctx_(context), events_(context.shared.events), values_(context.shared.values) {}

  int run() {
    // With a stop request of its own, a gpsStop raised before this run began
    // belongs to an earlier run (GPS > Off after that worker had ended).
    if (ctx_.stopRequest != nullptr) events_.gpsStop.discard();
    const bool garmin = params_.gpsType == 0;
    SerialOpenResult opened = ctx_.openPort(params_.comNumber, garmin ? kGarminBaud : kNmeaBaud);
    if (!opened.port) {
      ctx_.ui.notice(textf("GPS port COM%1d (%s) could not be opened: %s", params_.comNumber,
                           opened.devicePath.c_str(), opened.error.c_str()));
      ctx_.ui.linkEnded();
      return -1;
    }
    port_ = std::move(opened.port);
    return garmin ? runGarmin() : runNmea();
  }

 private:
  enum class Collected { Sentence, Silent, NoSentence };

  void pause(int milliseconds) {
    if (ctx_.pause) {
      ctx_.pause(milliseconds);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
  }

  bool stopRequested() const { return ctx_.stopRequest != nullptr && ctx_.stopRequest->requested(); }

  // The loop's stop test: a 1 ms poll of gpsStop, remembered once seen.
  bool pollStop() {
    if (!stopping_ && (stopRequested() || events_.gpsStop.poll())) stopping_ = true;
    return stopping_;
  }

  // The same without waiting, right before a store.
  bool stopped() {
    if (!stopping_ && (stopRequested() || events_.gpsStop.wait(0))) stopping_ = true;
    return stopping_;
  }

  // Runs a store of shared values or console texts unless stopping has begun.
  template <typename Store>
  void store(Store&& what) {
    if (stopped()) return;
    if (ctx_.stopRequest != nullptr) {
      ctx_.stopRequest->storeUnlessRequested(what);
    } else {
      what();
    }
  }

  // The "Device Open Error" question; false (after ending the link) on Cancel.
  bool continueAfterDeviceOpenError() {
    if (ctx_.ui.askDeviceOpenError()) {
      store([this] { ctx_.ui.menuOn(); });
      return true;
    }
    ctx_.ui.linkEnded();
    port_->close();
    return false;
  }

  int end() {
    port_->close();
    ctx_.shared.gpsLinkUp = false;
    ctx_.ui.setToggleTrackEnabled(false);
    return 0;
  }

  int runGarmin() {
    GarminLink link(*port_, ctx_.pause);
    GarminPacket reply;
    if (!link.sendPacket(kGarminProductRequest, {}, reply) && !continueAfterDeviceOpenError()) return 0;

    GarminPacket packet;
    while (!stopped() && link.receivePacket(packet)) {
      if (packet.type == kGarminProtocolArray) scanProtocolList(packet);
    }
    if (waypointType_ != 0 && !stopped()) bringLinkUp(link);

    pause(kCyclePauseMs);
    while (!pollStop()) {
      if (values_.mobileMode) pollPosition(link);
      pause(kCyclePauseMs);
      pollTime(link);
      if (ctx_.shared.gpsLinkUp && events_.gpsUploadRequest.poll()) upload(link);
      pause(kCyclePauseMs);
    }
    return end();
  }

  // The protocol list names the receiver's waypoint format as 'D' followed by
  // a 16-bit number 100-199; the first such entry counts.
  void scanProtocolList(const GarminPacket& packet) {
    for (std::size_t i = 0; i + 2 < packet.size; ++i) {
      if (packet.data[i] != 'D') continue;
      const int format = packet.data[i + 1] | (packet.data[i + 2] << 8);
      if (format < 100 || format >= 200) continue;
      if (waypointLayout(format)) {
        waypointType_ = format;
      } else if (!unsupportedNoticeShown_) {
        unsupportedNoticeShown_ = true;
        store([this, format] {
          ctx_.ui.notice(
              textf("The GPS receiver's waypoint format D%d is not supported; waypoints are not uploaded.", format));
        });
      }
      return;
    }
  }

  // The link is up: the waypoint token goes out, unless a batch filled while
  // no link was up is still waiting, which is sent first.
  void bringLinkUp(GarminLink& link) {
    ctx_.shared.gpsLinkUp = true;
    if (events_.gpsUploadRequest.wait(0)) {
      upload(link);
      return;
    }
    giveTokenBack();
  }

  // Toggle Track is enabled before the token goes out, so that whoever takes
  // the token and disables the button is never overridden.
  void giveTokenBack() {
    store([this] { ctx_.ui.setToggleTrackEnabled(true); });
    events_.gpsUploadReady.raise();
  }

  void pollPosition(GarminLink& link) {
    const std::uint8_t command[2] = {kGarminCommandTransferPosition, 0};
    const GarminPacket answer = link.exchange(kGarminCommand, command);
    if (answer.type != kGarminPosition || answer.size < 16) return;
    const double pi = 4.0 * std::atan(1.0);
    const double latitudeDeg = 180.0 / pi * littleEndianDouble(answer, 0);
    const double longitudeDeg = 180.0 / pi * littleEndianDouble(answer, 8);
    if (!(std::fabs(latitudeDeg) <= 90.0) || !(std::fabs(longitudeDeg) <= 180.0)) return;
    const StationPosition position{latitudeDeg, longitudeDeg, latitudeLetter(latitudeDeg),
                                   longitudeLetter(longitudeDeg)};
    store([&] {
      values_.setPosition(position);
      ctx_.ui.showPosition(position);
    });
  }

  void pollTime(GarminLink& link) {
    const std::uint8_t command[2] = {kGarminCommandTransferTime, 0};
    const GarminPacket answer = link.exchange(kGarminCommand, command);
    if (answer.type != kGarminDateTime || answer.size < 8) return;
    store([&] { storeTime(answer.data[4], answer.data[6], answer.data[7]); });
  }

  void storeTime(int hour, int minute, int second) {
    ctx_.shared.gpsHour = hour;
    ctx_.shared.gpsMinute = minute;
    ctx_.shared.gpsSecond = second;
    ctx_.shared.gpsTimeReceived = true;
  }

  // Sends the waypoint batch, which this worker owns from the upload request
  // until it raises gpsUploadReady. A stop between waypoints ends the upload
  // early; the batch is released and the token given back all the same.
  void upload(GarminLink& link) {
    std::vector<Waypoint>& waypoints = ctx_.shared.waypointBatch.waypoints;
    const auto count = static_cast<std::uint16_t>(std::min<std::size_t>(waypoints.size(), kMaxWaypointCount));
    const std::uint8_t records[2] = {static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8)};
    link.exchange(kGarminRecords, records);
    bool complete = true;
    for (std::size_t i = 0; i < count; ++i) {
      if (stopped()) {
        complete = false;
        break;
      }
      const Waypoint& waypoint = waypoints[i];
      const std::optional<std::vector<std::uint8_t>> record =
          waypointRecord(waypointType_, waypoint.name.view(), waypoint.latitudeDeg, waypoint.longitudeDeg);
      if (record) link.exchange(kGarminWaypoint, *record);
    }
    waypoints.clear();
    if (complete) link.exchange(kGarminTransferComplete, {});
    giveTokenBack();
  }

  int runNmea() {
    bool firstCycle = true;
    while (!pollStop()) {
      const Collected collected = collectSentence();
      if (firstCycle) {
        firstCycle = false;
        if (collected == Collected::Silent && !continueAfterDeviceOpenError()) return 0;
      }
      if (collected != Collected::Sentence) continue;
      const std::optional<GgaFix> fix = parseGga(collector_.sentence());
      if (!fix) continue;
      store([&] {
        // Quality 0 means the receiver itself calls the position invalid.
        if (values_.mobileMode && fix->position && fix->fixQuality != 0) {
          values_.setPosition(*fix->position);
          ctx_.ui.showPosition(*fix->position);
        }
        storeTime(fix->hour, fix->minute, fix->second);
      });
    }
    return end();
  }

  // Single-byte reads until a sentence is complete, 6 reads have returned
  // nothing, or 1000 bytes have been read. An unfinished sentence is kept
  // for the next collection.
  Collected collectSentence() {
    int emptyReads = 0;
    std::size_t bytes = 0;
    while (!stopRequested()) {
      std::uint8_t byte = 0;
      if (port_->read(&byte, 1) == 0) {
        if (++emptyReads == kNmeaEmptyReads) return Collected::Silent;
        continue;
      }
      if (collector_.add(static_cast<char>(byte))) return Collected::Sentence;
      if (++bytes == kNmeaCollectBytes) return Collected::NoSentence;
    }
    return Collected::NoSentence;
  }

  const GpsWorkerParams params_;
  GpsWorkerContext& ctx_;
  Events& events_;
  WorkingValues& values_;
  std::shared_ptr<SerialPort> port_;
  NmeaSentenceCollector collector_;
  int waypointType_ = 0;
  bool unsupportedNoticeShown_ = false;
  bool stopping_ = false;
};

}  // namespace

int runGpsWorker(const GpsWorkerParams& params, GpsWorkerContext& context) {
  GpsWorker worker(params, context);
  return worker.run();
}

}  // namespace tervane
