// The Keplerian element file: the scan of a whole file's text into records,
// the element parse of every record (each field read as the C library's
// decimal conversions read it), and the orbit model loaded from each
// record, propagated to a few instants with the look angles from a station.
// Nonsense elements may give NaN positions; they must never crash. The
// horizon crossing search runs for the first record whose orbit allows a
// motion bound (then it evaluates only a few seconds of the day).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tracker/crossing.h"
#include "tracker/element_file.h"
#include "tracker/elements.h"
#include "tracker/orbit_model.h"

namespace {

using namespace tervane;

// 2024-06-01 12:00:00 UTC and one orbit of a low satellite later.
constexpr std::int64_t kNowUnix = 1717243200;
constexpr std::int64_t kLaterUnix = kNowUnix + 5400;

struct Station {
  double latitudeDeg;
  double longitudeDeg;
};
constexpr Station kStations[] = {{42.619, -71.347}, {-89.9, 179.9}};

bool sameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool sameElements(const Elements& a, const Elements& b) {
  return sameNumber(a.epoch, b.epoch) && sameNumber(a.meanMotionDot2, b.meanMotionDot2) &&
         sameNumber(a.meanMotionDdot6, b.meanMotionDdot6) && sameNumber(a.inclination, b.inclination) &&
         sameNumber(a.raan, b.raan) && sameNumber(a.eccentricity, b.eccentricity) &&
         sameNumber(a.argPerigee, b.argPerigee) && sameNumber(a.meanAnomaly, b.meanAnomaly) &&
         sameNumber(a.meanMotion, b.meanMotion);
}

// The C library's own conversions of a field in the C locale (this program
// runs in it), the reference the element reader follows.
double cDecimal(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}
long cInteger(std::string_view text) {
  const std::string copy(text);
  return std::strtol(copy.c_str(), nullptr, 10);
}

// Element fields are decimal: the C conversion's hexadecimal form ("0x1p3")
// is not followed.
bool isHexadecimal(std::string_view text) {
  std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string_view::npos) return false;
  if (text[at] == '+' || text[at] == '-') ++at;
  return at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X');
}

void checkConversions(std::string_view line1, std::string_view line2) {
  using namespace line1_columns;
  using namespace line2_columns;
  const auto decimal = [](std::string_view line, Column column) {
    const std::string_view field = fieldText(line, column);
    if (!isHexadecimal(field)) TERVANE_FUZZ_CHECK(sameNumber(readDecimal(field), cDecimal(field)));
  };
  const auto integer = [](std::string_view line, Column column) {
    const std::string_view field = fieldText(line, column);
    TERVANE_FUZZ_CHECK(readInteger(field) == cInteger(field));
  };
  decimal(line1, kEpoch);
  decimal(line1, kMeanMotionDot2);
  integer(line1, kCatalogNumber);
  integer(line1, kMeanMotionDdot6Mantissa);
  integer(line1, kMeanMotionDdot6Exponent);
  for (const Column column : {kInclination, kRaan, kEccentricity, kArgPerigee, kMeanAnomaly, kMeanMotion}) {
    decimal(line2, column);
  }
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<ElementRecord> records = scanElementText(fuzz::bytesView(data, size));
  // A record takes at least a name piece and two element lines of 3 bytes.
  TERVANE_FUZZ_CHECK(records.size() <= size / 2);

  bool crossingSearched = false;
  for (const ElementRecord& record : records) {
    TERVANE_FUZZ_CHECK(fuzz::wellFormed(record.name) && fuzz::wellFormed(record.line1) &&
                       fuzz::wellFormed(record.line2));
    TERVANE_FUZZ_CHECK(record.name.view().find('\n') == std::string_view::npos);
    TERVANE_FUZZ_CHECK(record.line1.size() <= kElementReadLength && record.line2.size() <= kElementReadLength);
    TERVANE_FUZZ_CHECK(startsWith(record.line1.view(), "1 ") && startsWith(record.line2.view(), "2 "));
    TERVANE_FUZZ_CHECK(record.catalogNumber == catalogNumberOf(record.line1.view()));
    checkConversions(record.line1.view(), record.line2.view());
    const Elements elements = parseElements(record.line1.view(), record.line2.view());

    OrbitModel model;
    model.loadElements(record.name.view(), record.line1.view(), record.line2.view());
    TERVANE_FUZZ_CHECK(sameElements(model.elements(), elements));
    TERVANE_FUZZ_CHECK(model.name() == record.name.view().substr(0, 31));
    for (const std::int64_t instant : {kNowUnix, kLaterUnix}) {
      model.propagate(instant);
      TERVANE_FUZZ_CHECK(model.instant() == instant);
      for (const Station& station : kStations) {
        (void)model.lookAngles(station.latitudeDeg, station.longitudeDeg);
      }
    }
    (void)model.minutesSinceEpochAt(kNowUnix);

    const StationGeometry station = stationGeometry(kStations[0].latitudeDeg, kStations[0].longitudeDeg);
    model.propagate(kNowUnix);
    const MotionBound bound = model.motionBound(kNowUnix, kNowUnix + kCrossingWindowSeconds - 1);
    const LookAngles look = model.lookAngles(station);
    // The satellite's height above the horizon plane, now and a minute earlier.
    const double heightKm = look.rangeKm * std::sin(look.elevationDeg * std::numbers::pi / 180.0);
    model.propagate(kNowUnix - 60);
    const LookAngles earlierLook = model.lookAngles(station);
    const double earlierHeightKm = earlierLook.rangeKm * std::sin(earlierLook.elevationDeg * std::numbers::pi / 180.0);
    for (const std::int64_t since : {std::int64_t{0}, std::int64_t{60}}) {
      const std::int64_t seconds = signKeepingSeconds(heightKm, earlierHeightKm, since, bound);
      TERVANE_FUZZ_CHECK(seconds >= 1 && seconds <= kCrossingWindowSeconds);
    }
    if (!crossingSearched && bound.speedKmPerSec > 0.0) {
      crossingSearched = true;
      const auto crossing = findCrossingBounded(model, kNowUnix, station);
      if (crossing) TERVANE_FUZZ_CHECK(*crossing > kNowUnix && *crossing < kNowUnix + kCrossingWindowSeconds);
    }
  }
  return 0;
}
