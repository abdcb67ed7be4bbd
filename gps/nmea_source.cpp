// A receiver streaming NMEA 0183 on a serial port at 4800 baud, read only:
// position and time from GGA sentences, the date with the time from RMC.

#include <cstdint>
#include <optional>

#include "gps/gps_source.h"
#include "gps/nmea.h"

namespace tervane {

namespace {

// A collection ends after this many reads that returned nothing...
constexpr int kEmptyReads = 6;
// ...or after this many bytes without a complete sentence.
constexpr std::size_t kCollectBytes = 1000;

class NmeaSource final : public GpsSource {
 public:
  explicit NmeaSource(const GpsWorkerParams& params) : params_(params) {}

  bool open(GpsSession& session) override {
    port_ = session.openSerialPort(params_.comNumber, kNmeaBaud);
    if (!port_) return false;
    return true;
  }

  bool cycle(GpsSession& session) override {
    const Collected collected = collectSentence(session);
    if (firstCycle_) {
      firstCycle_ = false;
      if (collected == Collected::Silent && !session.continueAfterDeviceOpenError("no NMEA sentence")) return false;
    }
    if (collected != Collected::Sentence) return true;
    const std::string_view sentence = collector_.sentence();
    if (const std::optional<GgaFix> fix = parseGga(sentence)) {
      // Quality 0 means the receiver itself calls the position invalid.
      if (fix->position && fix->fixQuality != 0) session.storePosition(*fix->position);
      session.storeTime(fix->hour, fix->minute, fix->second);
    } else if (const std::optional<RmcTime> time = parseRmcTime(sentence)) {
      session.storeTime(time->hour, time->minute, time->second, time->date);
    }
    return true;
  }

  void close() override {
    if (port_) port_->close();
  }

 private:
  enum class Collected { Sentence, Silent, NoSentence };

  // Single-byte reads until a sentence is complete, 6 reads have returned
  // nothing, or 1000 bytes have been read. An unfinished sentence is kept
  // for the next collection.
  Collected collectSentence(const GpsSession& session) {
    int emptyReads = 0;
    std::size_t bytes = 0;
    while (!session.stopRequested()) {
      std::uint8_t byte = 0;
      if (port_->read(&byte, 1) == 0) {
        if (++emptyReads == kEmptyReads) return Collected::Silent;
        continue;
      }
      if (collector_.add(static_cast<char>(byte))) return Collected::Sentence;
      if (++bytes == kCollectBytes) return Collected::NoSentence;
    }
    return Collected::NoSentence;
  }

  const GpsWorkerParams params_;
  std::shared_ptr<SerialPort> port_;
  NmeaSentenceCollector collector_;
  bool firstCycle_ = true;
};

}  // namespace

std::unique_ptr<GpsSource> makeNmeaSource(const GpsWorkerParams& params) {
  return std::make_unique<NmeaSource>(params);
}

}  // namespace tervane
