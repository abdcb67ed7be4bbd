#pragma once
// The thread that reads the GPS from GPS > On to GPS > Off. In "Garmin" mode
// (9600 baud) it polls the receiver for position and time over the Garmin
// link and uploads the tracked stations' positions as waypoints; in
// "NMEA Readonly" mode (4800 baud) it reads GGA sentences ($GPGGA, $GNGGA)
// field by field, and the date from RMC sentences; in "gpsd" mode it takes
// the fixes of a gpsd on the network, reconnecting by itself when gpsd is
// not there. The position is stored only for a mobile station, and never
// from a fix the receiver itself calls invalid (GGA fix quality 0); the time
// of day always. From gpsd, both only with a fix of 2D or better.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "base/coordination.h"
#include "platform/serial_port.h"

namespace tervane {

class Clock;
class GpsTimeLatch;

struct GpsWorkerParams {
  int comNumber = 1;  // 1..4
  GpsType gpsType = GpsType::Garmin;
  std::string gpsdHost = "localhost";
  int gpsdPort = 2947;
};

inline constexpr int kGarminBaud = 9600;
inline constexpr int kNmeaBaud = 4800;

// What the worker shows and asks. Called on the worker's thread; the
// implementation hands everything to the user-interface thread. Only the
// question waits for the answer. showPosition(), setToggleTrackEnabled(true),
// menuOn() and notice() are called while GpsStopRequest holds its lock, so
// they must never wait for the user-interface thread.
class GpsUi {
 public:
  virtual ~GpsUi() = default;
  // The console's Latitude and Longitude fields (latitudeFieldText(),
  // longitudeFieldText()). A text that reaches the user-interface thread
  // after GPS > Off has put the fixed position back must be dropped there.
  virtual void showPosition(const StationPosition& position) = 0;
  // The "Toggle Track" button of the Received Position Data window.
  virtual void setToggleTrackEnabled(bool enabled) = 0;
  // After "Continue": On grayed, Off and Set PC Clock enabled, Set Fixed
  // Station Location enabled only for a mobile station.
  virtual void menuOn() = 0;
  // The link ended by itself (Cancel at the question, a port that could not
  // be set up): the GPS menu returns to its off state.
  virtual void linkEnded() = 0;
  // One line for the operator in the console.
  virtual void notice(std::string_view text) = 0;
  // "Device Open Error" about what gave no answer ("GPS port COM2
  // (/dev/ttyUSB0): no NMEA sentence"): true for Continue.
  virtual bool askDeviceOpenError(std::string_view what) = 0;
};

// "%9.6f %c" and "%10.6f %c": the absolute degrees and the position's own
// hemisphere letter.
std::string latitudeFieldText(const StationPosition& position);
std::string longitudeFieldText(const StationPosition& position);

// GPS > Off's request to one worker run to stop. The worker stores a
// position, hemisphere letters, a time or a console text only through
// storeUnlessRequested(), which refuses once request() has been called; a
// store in progress finishes before request() returns. GPS > Off calls
// request() first and then puts the fixed position back, so that position
// stays. request() waits for one store at most, never for a worker's cycle.
class GpsStopRequest {
 public:
  void request() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requested_ = true;
    }
    changed_.notify_all();
  }
  bool requested() const { return requested_.load(); }
  // Waits up to the given time for the request; true when it has come.
  bool waitFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return requested_.load(); });
  }
  // Runs the store unless stopping was requested; false when it was.
  template <typename Store>
  bool storeUnlessRequested(Store&& store) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (requested_.load()) return false;
    store();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> requested_{false};
};

struct GpsWorkerContext {
  Coordination& shared;
  GpsUi& ui;
  PortOpener openPort;
  // One per worker run, set by GPS > Off: the worker stops on it alone, so
  // a request meant for one run never stops the next.
  GpsStopRequest& stopRequest;
  // The pauses between packets and cycles; empty: sleep for real.
  std::function<void(int milliseconds)> pause;
  // Where this run's times go with their date and arrival (may be null), and
  // the clock that stamps the arrival (null: the PC clock).
  GpsTimeLatch* time = nullptr;
  const Clock* clock = nullptr;
};

// The worker's entry function: 0 when it ends on the stop request or on Cancel at the "Device Open Error" question, -1 when the
// port cannot be set up. gpsd is never a reason to end: the worker waits for
// it and reconnects.
int runGpsWorker(const GpsWorkerParams& params, GpsWorkerContext& context);

}  // namespace tervane
