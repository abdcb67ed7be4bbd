#include "gps/gps_worker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "base/text_format.h"
#include "gps/gps_source.h"

namespace tervane {

std::string latitudeFieldText(const StationPosition& position) {
  return textf("%9.6f %c", std::fabs(position.latitudeDeg), position.latHemisphere);
}

std::string longitudeFieldText(const StationPosition& position) {
  return textf("%10.6f %c", std::fabs(position.longitudeDeg), position.lonHemisphere);
}

GpsSession::GpsSession(GpsWorkerContext& context) : ctx_(context) {}

bool GpsSession::stopRequested() const { return ctx_.stopRequest.requested(); }

bool GpsSession::pollStop() {
  if (!stopping_ && ctx_.stopRequest.waitFor(1)) stopping_ = true;
  return stopping_;
}

bool GpsSession::stopped() {
  if (!stopping_ && stopRequested()) stopping_ = true;
  return stopping_;
}

bool GpsSession::waitForStop(int milliseconds) {
  if (!stopping_ && ctx_.stopRequest.waitFor(milliseconds)) stopping_ = true;
  return stopping_;
}

void GpsSession::pause(int milliseconds) {
  if (ctx_.pause) {
    ctx_.pause(milliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

std::int64_t GpsSession::now() const {
  static const SystemClock pcClock;
  return (ctx_.clock != nullptr ? *ctx_.clock : static_cast<const Clock&>(pcClock)).unixSeconds();
}

void GpsSession::storePosition(const StationPosition& position) {
  if (!mobile()) return;
  store([&] {
    ctx_.shared.values.setPosition(position);
    ctx_.ui.showPosition(position);
  });
}

void GpsSession::storeTime(int hour, int minute, int second, std::optional<GpsDate> date) {
  const std::int64_t arrival = now();
  store([&] {
    ctx_.shared.gpsHour = hour;
    ctx_.shared.gpsMinute = minute;
    ctx_.shared.gpsSecond = second;
    ctx_.shared.gpsTimeReceived = true;
    if (ctx_.time == nullptr) return;
    if (date) {
      ctx_.time->store({hour, minute, second, date, arrival});
    } else {
      ctx_.time->storeTimeOfDay(hour, minute, second, arrival);
    }
  });
}

void GpsSession::notice(std::string_view text) {
  store([&] { ctx_.ui.notice(text); });
}

std::shared_ptr<SerialPort> GpsSession::openSerialPort(int comNumber, int baud) {
  SerialOpenResult opened = ctx_.openPort(comNumber, baud);
  portName_ = textf("GPS port COM%1d (%s)", comNumber, opened.devicePath.c_str());
  if (!opened.port) {
    ctx_.ui.notice(textf("GPS port COM%1d (%s) could not be opened: %s", comNumber, opened.devicePath.c_str(),
                         opened.error.c_str()));
  }
  return opened.port;
}

bool GpsSession::continueAfterDeviceOpenError(std::string_view silence) {
  if (ctx_.ui.askDeviceOpenError(portName_ + ": " + std::string(silence))) {
    store([this] { ctx_.ui.menuOn(); });
    return true;
  }
  ctx_.ui.linkEnded();
  return false;
}

int runGpsWorker(const GpsWorkerParams& params, GpsWorkerContext& context) {
  std::unique_ptr<GpsSource> source = gpsSourceOf(params.gpsType).make(params);
  GpsSession session(context);
  if (!source->open(session)) {
    context.ui.linkEnded();
    return -1;
  }
  bool carryOn = source->start(session);
  while (carryOn && !session.pollStop()) carryOn = source->cycle(session);
  source->close();
  if (!carryOn) return 0;
  context.shared.gpsLinkUp = false;
  context.ui.setToggleTrackEnabled(false);
  return 0;
}

namespace {
constexpr GpsSourceEntry kGpsSources[] = {
    {GpsType::Garmin, "Garmin", makeGarminSource},
    {GpsType::Nmea, "NMEA Readonly", makeNmeaSource},
    {GpsType::Gpsd, "gpsd", makeGpsdSource},
};
}  // namespace

std::span<const GpsSourceEntry> gpsSources() { return kGpsSources; }

const GpsSourceEntry& gpsSourceOf(GpsType type) {
  for (const GpsSourceEntry& g : kGpsSources) {
    if (g.type == type) return g;
  }
  return kGpsSources[1];
}

}  // namespace tervane
