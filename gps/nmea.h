#pragma once
// NMEA 0183 input from a GPS receiver in read-only mode: a collector that
// cuts the byte stream into sentences, the reader of GGA (fix data)
// sentences that takes the time of day and the position from them, and the
// reader of the date and time in RMC sentences.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "base/coordination.h"
#include "gps/gps_time.h"

namespace tervane {

// Cuts single bytes into sentences. A sentence starts at '$' (every '$'
// starts a new one, dropping an unfinished one) and ends at CR or LF; bytes
// between sentences are dropped. A sentence that grows past kMaxBytes is
// dropped whole.
class NmeaSentenceCollector {
 public:
  static constexpr std::size_t kMaxBytes = 1000;

  // Adds one byte; true when it completed a sentence, which sentence() then
  // shows (without its line end) until the next byte is added.
  bool add(char byte);
  std::string_view sentence() const;
  void clear();

 private:
  std::array<char, kMaxBytes> buffer_{};
  std::size_t length_ = 0;
  bool collecting_ = false;
  bool complete_ = false;
};

// What one GGA sentence says.
struct GgaFix {
  int hour = 0;
  int minute = 0;
  int second = 0;
  // Signed degrees (negative for S and W) with the sentence's own letters;
  // nothing when the sentence carries no position (the receiver has no fix).
  std::optional<StationPosition> position;
  // The fix quality field: 0 invalid, 1 GPS, 2 DGPS, ...; -1 when empty.
  int fixQuality = -1;
};

// Reads a "$GPGGA" or "$GNGGA" sentence field by field (a trailing CR or LF
// is allowed). Nothing for any other sentence, for a time that is not six
// digits (hhmmss, optionally followed by a point and decimals) or not a time
// of day, for a coordinate that is not ddmm.mmmm / dddmm.mmmm (any number of
// decimals) with a hemisphere letter, and for a sentence whose "*hh"
// checksum is present but wrong: a damaged sentence must not move the
// station. A sentence without a checksum is taken as it is.
//
// Degrees from ddmm.mmmm: v = value x 0.01, whole = v toward zero,
// degrees = whole + (v - whole) x 1.6666666666666667.
std::optional<GgaFix> parseGga(std::string_view sentence);

// The time of a fix the receiver marks valid ('A') in an RMC sentence.
struct RmcTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  GpsDate date;  // ddmmyy; years 80-99 are 1980-1999, the others 2000-2079
};

// Reads the time and date of a "$GPRMC" or "$GNRMC" sentence under the same
// rules as parseGga(); nothing when the fix is marked void, the date is not a
// calendar date or the checksum is wrong. The position is not read.
std::optional<RmcTime> parseRmcTime(std::string_view sentence);

// XOR of the bytes between '$' and '*' (the NMEA checksum).
unsigned nmeaChecksum(std::string_view body);

}  // namespace tervane
