#pragma once
// Shared pieces of the fuzz targets: a check that stops the run on a broken
// invariant (libFuzzer records the input as a crash), and the invariants of
// a decoded station report.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "aprs/packet_decoder.h"
#include "aprs/station_entry.h"
#include "base/fixed_text.h"

#define TERVANE_FUZZ_CHECK(condition) \
  do {                                \
    if (!(condition)) __builtin_trap(); \
  } while (0)

namespace tervane::fuzz {

inline std::string_view bytesView(const std::uint8_t* data, std::size_t size) {
  return size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
}

// A fixed text keeps its length consistent with its terminator and within
// its capacity.
template <std::size_t N>
bool wellFormed(const FixedText<N>& text) {
  return text.size() <= FixedText<N>::kMaxLength && std::strlen(text.c_str()) == text.size();
}

// What every decoded station report must satisfy, whatever the line.
inline void checkEntry(const StationEntry& e, std::string_view line) {
  TERVANE_FUZZ_CHECK(wellFormed(e.phgDigits) && e.phgDigits.size() <= 4);
  TERVANE_FUZZ_CHECK(wellFormed(e.latitudeText));
  TERVANE_FUZZ_CHECK(wellFormed(e.longitudeText));
  TERVANE_FUZZ_CHECK(wellFormed(e.sourceCall));
  TERVANE_FUZZ_CHECK(wellFormed(e.sentTime));
  TERVANE_FUZZ_CHECK(wellFormed(e.receivedTime));
  TERVANE_FUZZ_CHECK(wellFormed(e.receivedLine));
  TERVANE_FUZZ_CHECK(!e.tracked);

  // The stored line is the given one, cut at a zero byte and at 1029.
  std::string_view expectedLine = line.substr(0, FixedText<1030>::kMaxLength);
  expectedLine = expectedLine.substr(0, expectedLine.find('\0'));
  TERVANE_FUZZ_CHECK(e.receivedLine.view() == expectedLine);

  TERVANE_FUZZ_CHECK(e.callsignFound == !e.sourceCall.empty());
  if (e.callsignFound) TERVANE_FUZZ_CHECK(isCallsign(e.sourceCall.view()) || isStationName(e.sourceCall.view()));
  if (e.positionValid) {
    TERVANE_FUZZ_CHECK(e.callsignFound);
    TERVANE_FUZZ_CHECK(!e.latitudeText.empty() && !e.longitudeText.empty());
    TERVANE_FUZZ_CHECK(std::isfinite(e.latitudeDeg) && std::isfinite(e.longitudeDeg));
    // Degrees and minutes are reduced modulo 1000 before the minutes turn
    // into a fraction of a degree.
    TERVANE_FUZZ_CHECK(std::fabs(e.latitudeDeg) < 1001.0 && std::fabs(e.longitudeDeg) < 1001.0);
    TERVANE_FUZZ_CHECK(!e.receivedTime.empty());
  } else {
    TERVANE_FUZZ_CHECK(e.latitudeDeg == 0.0 && e.longitudeDeg == 0.0);
    TERVANE_FUZZ_CHECK(e.sentTime.empty() && e.receivedTime.empty());
  }
}

// Two reports agree in everything the decoder writes.
inline bool sameReport(const StationEntry& a, const StationEntry& b) {
  const auto sameDeg = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  return a.positionValid == b.positionValid && a.callsignFound == b.callsignFound &&
         a.phgDigits.view() == b.phgDigits.view() && a.latitudeText.view() == b.latitudeText.view() &&
         a.longitudeText.view() == b.longitudeText.view() && a.sourceCall.view() == b.sourceCall.view() &&
         a.sentTime.view() == b.sentTime.view() && a.receivedTime.view() == b.receivedTime.view() &&
         sameDeg(a.latitudeDeg, b.latitudeDeg) && sameDeg(a.longitudeDeg, b.longitudeDeg) &&
         a.northSouth == b.northSouth && a.eastWest == b.eastWest && a.receivedLine.view() == b.receivedLine.view();
}

}  // namespace tervane::fuzz
