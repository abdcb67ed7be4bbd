#pragma once
// A session with gpsd through gpsd's own client library (libgps): connect,
// ask for its reports, and read the fixes (TPV reports) among them. The
// library stays behind this header; one thread uses a client at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/coordination.h"
#include "platform/clock.h"

namespace tervane {

// What one TPV report says.
struct GpsdFix {
  int mode = 0;  // 0 not seen, 1 no fix, 2 2D, 3 3D
  bool hasPosition = false;
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  bool hasTime = false;
  std::int64_t unixSeconds = 0;  // UTC
};

// What the program takes from a fix: nothing below 2D; from 2D on the
// position (when it is one on the globe, with the letters of its signs) and
// the UTC time, each when the report carries it.
struct GpsdTaken {
  std::optional<StationPosition> position;
  std::optional<CalendarTime> time;
};
GpsdTaken takeFromGpsdFix(const GpsdFix& fix);

class GpsdClient {
 public:
  enum class Read { Fix, Other, Nothing, Lost };

  GpsdClient();
  ~GpsdClient();
  GpsdClient(const GpsdClient&) = delete;
  GpsdClient& operator=(const GpsdClient&) = delete;

  // Connects to gpsd and asks it to stream its reports. The connection is
  // waited for at most kConnectTimeoutMs, and given up early once `stop`
  // says so. False, with the reason, when there is no gpsd to talk to.
  bool connect(const std::string& host, int port, const std::function<bool()>& stop, std::string& reason);
  bool connected() const { return session_ != nullptr; }

  // Waits up to timeoutMs for one report. Fix: a TPV report, in `fix`;
  // Other: any other report; Nothing: none came; Lost: gpsd went away (the
  // client is closed, with the reason).
  Read read(int timeoutMs, GpsdFix& fix, std::string& reason);
  void close();

  static constexpr int kConnectTimeoutMs = 5000;

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace tervane
