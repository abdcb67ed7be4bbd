// The packet decoder on one whole input taken as a monitored line, as it is
// and with the TNC's CR LF appended. Checks the report's invariants; that a
// decoder that has just decoded a full report gives the same result as a
// fresh one (nothing may leak from the line before); that characters past
// the decoded length matter only to the NMEA sentence search; and the
// reading of a coordinate field against the C library.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "aprs/packet_decoder.h"
#include "fuzz/fuzz_support.h"
#include "platform/clock.h"

namespace {

using tervane::FixedClock;
using tervane::PacketDecoder;

// 2024-03-01 00:00:30 UTC: a clock hour of 0 on the first of a month in a
// leap year, so a report hour of 23 steps back to 29 February.
constexpr std::int64_t kClockUnix = 1709251230;

// A line that sets every field of the report.
constexpr std::string_view kFullReport =
    "N0CALL>APRS,WIDE2-2:@292345z4237.14N/07120.83W>PHG5132 $GPRMC,123519,A,4807.038,N,01131.000,E,,,230394\r\n";

void decodeAndCheck(std::string_view line) {
  const FixedClock clock(kClockUnix);
  PacketDecoder fresh(clock);
  fresh.beginLine(line);
  fresh.decode();
  tervane::fuzz::checkEntry(fresh.entry(), line);

  PacketDecoder reused(clock);
  reused.beginLine(kFullReport);
  reused.decode();
  reused.beginLine(line);
  reused.decode();
  TERVANE_FUZZ_CHECK(tervane::fuzz::sameReport(fresh.entry(), reused.entry()));

  // Without an NMEA sentence only the first 255 characters count.
  const std::string_view stored = fresh.entry().receivedLine.view();
  if (stored.size() > PacketDecoder::kDecodedLength && stored.find('$') == std::string_view::npos) {
    PacketDecoder head(clock);
    head.beginLine(stored.substr(0, PacketDecoder::kDecodedLength));
    head.decode();
    tervane::StationEntry headEntry = head.entry();
    headEntry.receivedLine = stored;
    TERVANE_FUZZ_CHECK(tervane::fuzz::sameReport(fresh.entry(), headEntry));
  }
}

// A short input without separators, taken as the latitude field of a GGA
// sentence, gives no position when empty and otherwise reads as strtod reads
// it in the C locale, the locale this program runs in. Its hexadecimal form
// is not followed: NMEA fields are decimal.
void checkLatitudeField(std::string_view field) {
  if (field.size() > tervane::NmeaFields::kMaxFieldLength) return;
  // Separators, and the ':' of a TNC prompt that would hide the callsign.
  if (field.find_first_of(std::string_view(",$:\r\n\0", 6)) != std::string_view::npos) return;
  const std::string copy(field);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  const std::string_view read(copy.c_str(), static_cast<std::size_t>(end - copy.c_str()));
  if (read.find_first_of("xX") != std::string_view::npos) return;

  const std::string line = "N0CALL>APRS:$GPGGA,120000," + copy + ",N,07120.83,E,1\r\n";
  const FixedClock clock(kClockUnix);
  PacketDecoder decoder(clock);
  decoder.beginLine(line);
  decoder.decode();
  const tervane::StationEntry& e = decoder.entry();
  TERVANE_FUZZ_CHECK(e.callsignFound);
  if (field.empty() || !std::isfinite(value)) {
    TERVANE_FUZZ_CHECK(!e.positionValid);
    return;
  }
  const double v = std::fmod(value * 0.01, 1000.0);
  const double whole = std::trunc(v);
  const double degrees = whole + (v - whole) * 1.6666666666666667;
  TERVANE_FUZZ_CHECK(e.positionValid && e.latitudeDeg == degrees);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = tervane::fuzz::bytesView(data, size);
  decodeAndCheck(input);
  std::string withLineEnd(input);
  withLineEnd += "\r\n";
  decodeAndCheck(withLineEnd);
  checkLatitudeField(input);
  return 0;
}
