// gpsd on the network: the fixes it reports, read through its client
// library. A gpsd that is not there, goes away or restarts costs one console
// line; the source keeps reconnecting, waiting longer after each failure.

#include <algorithm>
#include <string>

#include "base/text_format.h"
#include "gps/gps_source.h"
#include "gps/gpsd_client.h"

namespace tervane {

namespace {

constexpr int kReadWaitMs = 100;
constexpr int kFirstRetryDelayMs = 250;
constexpr int kMaxRetryDelayMs = 8000;

class GpsdSource final : public GpsSource {
 public:
  explicit GpsdSource(const GpsWorkerParams& params)
      : host_(params.gpsdHost),
        port_(params.gpsdPort),
        where_(textf(host_.find(':') == std::string::npos ? "%s:%d" : "[%s]:%d", host_.c_str(), port_)) {}

  bool open(GpsSession&) override { return true; }

  bool cycle(GpsSession& session) override {
    if (!client_.connected()) {
      connect(session);
      return true;
    }
    GpsdFix fix;
    std::string reason;
    switch (client_.read(kReadWaitMs, fix, reason)) {
      case GpsdClient::Read::Fix:
        take(session, fix);
        break;
      case GpsdClient::Read::Lost:
        outage(session, textf("gpsd at %s went away (%s); reconnecting.", where_.c_str(), reason.c_str()));
        break;
      case GpsdClient::Read::Other:
      case GpsdClient::Read::Nothing:
        break;
    }
    return true;
  }

  void close() override { client_.close(); }

 private:
  void connect(GpsSession& session) {
    std::string reason;
    if (client_.connect(host_, port_, [&session] { return session.stopRequested(); }, reason)) return;
    if (session.stopped()) return;
    outage(session, textf("gpsd at %s does not answer (%s); reconnecting.", where_.c_str(), reason.c_str()));
    session.waitForStop(retryDelayMs_);
    retryDelayMs_ = std::min(retryDelayMs_ * 2, kMaxRetryDelayMs);
  }

  // One console line for each spell without gpsd; a fix ends the spell.
  void outage(GpsSession& session, const std::string& line) {
    if (announced_) return;
    announced_ = true;
    session.notice(line);
  }

  void take(GpsSession& session, const GpsdFix& fix) {
    announced_ = false;
    retryDelayMs_ = kFirstRetryDelayMs;
    const GpsdTaken taken = takeFromGpsdFix(fix);
    if (taken.position) session.storePosition(*taken.position);
    if (taken.time) {
      const CalendarTime& t = *taken.time;
      session.storeTime(t.hour, t.minute, t.second, GpsDate{t.year, t.month, t.day});
    }
  }

  const std::string host_;
  const int port_;
  const std::string where_;
  GpsdClient client_;
  int retryDelayMs_ = kFirstRetryDelayMs;
  bool announced_ = false;
};

}  // namespace

std::unique_ptr<GpsSource> makeGpsdSource(const GpsWorkerParams& params) {
  return std::make_unique<GpsdSource>(params);
}

}  // namespace tervane
