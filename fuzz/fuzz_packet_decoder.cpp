// The packet decoder on one whole input taken as a monitored line, as it is
// and with the TNC's CR LF appended. Checks the report's invariants, those of
// the Mic-E, compressed, object and item reports among them; that a decoder
// that has just decoded a full report gives the same result as a fresh one
// (nothing may leak from the line before); that characters past the decoded
// length matter only to the NMEA sentence search; the reading of a
// coordinate field against the C library; and that a position the input
// picks, packed as a compressed position and as Mic-E, decodes back.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "aprs/packet_decoder.h"
#include "fuzz/fuzz_support.h"
#include "platform/clock.h"
#include "tests/aprs/position_encoders.h"

namespace {

using tervane::FixedClock;
using tervane::PacketDecoder;

// 2024-03-01 00:00:30 UTC: a clock hour of 0 on the first of a month in a
// leap year, so a report hour of 23 steps back to 29 February.
constexpr std::int64_t kClockUnix = 1709251230;

// A line that sets every field of the report, and one that sets those of
// the packed forms.
constexpr std::string_view kFullReport =
    "N0CALL>APRS,WIDE2-2:@292345z4237.14N/07120.83W>PHG5132 $GPRMC,123519,A,4807.038,N,01131.000,E,,,230394\r\n";
constexpr std::string_view kFullObject = "N0CALL>APRS:;LEADER   _292345z/5L!!<*e7>7P[ RNG0050 /A=001234\r\n";

bool sameDetails(const tervane::StationEntry& a, const tervane::StationEntry& b) {
  const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  return a.reportKind == b.reportKind && a.objectName.view() == b.objectName.view() && a.killed == b.killed &&
         a.symbolTable == b.symbolTable && a.symbolCode == b.symbolCode && same(a.courseDeg, b.courseDeg) &&
         same(a.speedKnots, b.speedKnots) && same(a.altitudeFeet, b.altitudeFeet) &&
         same(a.radioRangeMiles, b.radioRangeMiles) && a.ambiguity == b.ambiguity &&
         a.micEMessage.view() == b.micEMessage.view() && a.deviceName.view() == b.deviceName.view();
}

// What the fields beyond the position table's columns must satisfy.
void checkDetails(const tervane::StationEntry& e) {
  using tervane::ReportKind;
  TERVANE_FUZZ_CHECK(tervane::fuzz::wellFormed(e.objectName) && tervane::fuzz::wellFormed(e.micEMessage) &&
                     tervane::fuzz::wellFormed(e.deviceName));
  TERVANE_FUZZ_CHECK(e.positionValid == (e.reportKind != ReportKind::None));
  TERVANE_FUZZ_CHECK(tervane::isObjectOrItem(e) == !e.objectName.empty());
  TERVANE_FUZZ_CHECK(!e.killed || tervane::isObjectOrItem(e));
  TERVANE_FUZZ_CHECK(e.ambiguity >= 0 && e.ambiguity <= 4);
  TERVANE_FUZZ_CHECK(e.micEMessage.empty() == (e.reportKind != ReportKind::MicE));
  TERVANE_FUZZ_CHECK(std::isnan(e.courseDeg) || (e.courseDeg >= 0.0 && e.courseDeg <= 360.0));
  TERVANE_FUZZ_CHECK(std::isnan(e.speedKnots) || e.speedKnots >= 0.0 || e.reportKind == ReportKind::Nmea);
  TERVANE_FUZZ_CHECK(!std::isinf(e.altitudeFeet) && !std::isinf(e.radioRangeMiles));
  // Only the plain text scan and NMEA sentences keep their unchecked degrees;
  // every packed form lies on the globe.
  const bool scanned = (e.reportKind == ReportKind::Plain && e.ambiguity == 0) || e.reportKind == ReportKind::Nmea;
  if (e.positionValid && !scanned) {
    TERVANE_FUZZ_CHECK(std::fabs(e.latitudeDeg) <= 90.0 && std::fabs(e.longitudeDeg) <= 180.0);
  }
}

void decodeAndCheck(std::string_view line) {
  const FixedClock clock(kClockUnix);
  PacketDecoder fresh(clock);
  fresh.beginLine(line);
  fresh.decode();
  tervane::fuzz::checkEntry(fresh.entry(), line);
  checkDetails(fresh.entry());

  for (std::string_view before : {kFullReport, kFullObject}) {
    PacketDecoder reused(clock);
    reused.beginLine(before);
    reused.decode();
    reused.beginLine(line);
    reused.decode();
    TERVANE_FUZZ_CHECK(tervane::fuzz::sameReport(fresh.entry(), reused.entry()));
    TERVANE_FUZZ_CHECK(sameDetails(fresh.entry(), reused.entry()));
  }

  // Without an NMEA sentence only the first 255 characters count.
  const std::string_view stored = fresh.entry().receivedLine.view();
  if (stored.size() > PacketDecoder::kDecodedLength && stored.find('$') == std::string_view::npos) {
    PacketDecoder head(clock);
    head.beginLine(stored.substr(0, PacketDecoder::kDecodedLength));
    head.decode();
    tervane::StationEntry headEntry = head.entry();
    headEntry.receivedLine = stored;
    TERVANE_FUZZ_CHECK(tervane::fuzz::sameReport(fresh.entry(), headEntry));
    TERVANE_FUZZ_CHECK(sameDetails(fresh.entry(), headEntry));
  }
}

// The first eight bytes pick a position anywhere on the globe; packed as a
// compressed position and as Mic-E (whose longitude stops at 179 59.99) it
// decodes back within 0.0001 degree.
void checkRoundTrip(std::string_view input) {
  using namespace tervane::encode;
  if (input.size() < 8) return;
  std::uint32_t pick[2];
  std::memcpy(pick, input.data(), sizeof pick);
  const double latitude = -90.0 + 180.0 * (pick[0] / 4294967295.0);
  const double longitude = -180.0 + 360.0 * (pick[1] / 4294967295.0);
  const FixedClock clock(kClockUnix);
  PacketDecoder decoder(clock);

  decoder.beginLine("N0CALL>APRS:!" + compressedPosition(latitude, longitude) + "\r\n");
  decoder.decode();
  TERVANE_FUZZ_CHECK(decoder.entry().reportKind == tervane::ReportKind::Compressed);
  TERVANE_FUZZ_CHECK(std::fabs(decoder.entry().latitudeDeg - latitude) <= 1e-4);
  TERVANE_FUZZ_CHECK(std::fabs(decoder.entry().longitudeDeg - longitude) <= 1e-4);

  const double micELongitude = std::clamp(longitude, -kMicELongitudeLimit, kMicELongitudeLimit);
  const MicE packed = micE(latitude, micELongitude, 0, 0);
  decoder.beginLine("N0CALL>" + packed.destination + ":" + packed.information + "\r\n");
  decoder.decode();
  TERVANE_FUZZ_CHECK(decoder.entry().reportKind == tervane::ReportKind::MicE);
  TERVANE_FUZZ_CHECK(std::fabs(decoder.entry().latitudeDeg - latitude) <= 1e-4);
  TERVANE_FUZZ_CHECK(std::fabs(decoder.entry().longitudeDeg - micELongitude) <= 1e-4);
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
  checkRoundTrip(input);
  return 0;
}
