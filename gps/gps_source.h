#pragma once
// The GPS sources behind one seam. Each kind (a Garmin receiver, a read-only
// NMEA receiver, gpsd) is a GpsSource that the worker chooses once, when
// GPS > On starts it; what they share (stopping, storing the position of a
// mobile station and the time, the "Device Open Error" question and the
// console) is the GpsSession, written once above them.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "gps/gps_time.h"
#include "gps/gps_worker.h"

namespace tervane {

// One worker run as its source sees it. Used on the worker's thread only.
class GpsSession {
 public:
  explicit GpsSession(GpsWorkerContext& context);

  Coordination& shared() { return ctx_.shared; }
  GpsUi& ui() { return ctx_.ui; }
  bool mobile() const { return ctx_.shared.values.mobileMode; }

  // The loop's stop test: a 1 ms wait for the stop request, remembered once seen.
  bool pollStop();
  // The same without waiting, right before a store.
  bool stopped();
  // GPS > Off's request, without waiting: for a source's inner loops.
  bool stopRequested() const;
  // Waits up to the given time, ending at once when stopping begins; true
  // when it did.
  bool waitForStop(int milliseconds);
  void pause(int milliseconds);

  // Runs a store of shared values or console texts unless stopping has begun.
  template <typename Store>
  void store(Store&& what) {
    if (stopped()) return;
    ctx_.stopRequest.storeUnlessRequested(what);
  }

  // For a mobile station: the station's position and the console fields.
  void storePosition(const StationPosition& position);
  // The time of day, with the receiver's date when it sent one.
  void storeTime(int hour, int minute, int second, std::optional<GpsDate> date = std::nullopt);
  void notice(std::string_view text);
  // Opens the receiver's serial port; null, after a console line saying why,
  // when it cannot be set up.
  std::shared_ptr<SerialPort> openSerialPort(int comNumber, int baud);

  // The "Device Open Error" question, naming the port opened last and what
  // it did not do. On Continue the menu shows the GPS on; on Cancel the link
  // ends (the menu returns to off) and false comes back.
  bool continueAfterDeviceOpenError(std::string_view silence);

 private:
  std::int64_t now() const;

  GpsWorkerContext& ctx_;
  bool stopping_ = false;
  std::string portName_;  // "GPS port COM2 (/dev/ttyUSB0)"
};

class GpsSource {
 public:
  virtual ~GpsSource() = default;
  // Opens the device; false when it cannot be set up (the source has said
  // why on the console).
  virtual bool open(GpsSession& session) = 0;
  // The exchange before the first cycle; false when the operator cancelled.
  virtual bool start(GpsSession&) { return true; }
  // One pass of the worker's loop; false when the operator cancelled.
  virtual bool cycle(GpsSession& session) = 0;
  // Closes the device; harmless when it is closed already.
  virtual void close() = 0;
};

std::unique_ptr<GpsSource> makeGarminSource(const GpsWorkerParams& params);
std::unique_ptr<GpsSource> makeNmeaSource(const GpsWorkerParams& params);
std::unique_ptr<GpsSource> makeGpsdSource(const GpsWorkerParams& params);

// The kinds of GPS source, one row each: the caption the GPS settings
// dialog offers and how a source of the kind is made. The dialog and the
// worker read this one table, in the order of the stored gpsType.
struct GpsSourceEntry {
  GpsType type;
  const char* caption;
  std::unique_ptr<GpsSource> (*make)(const GpsWorkerParams& params);
};
std::span<const GpsSourceEntry> gpsSources();
const GpsSourceEntry& gpsSourceOf(GpsType type);

}  // namespace tervane
