#pragma once
// One satellite's orbit model: the near-Earth SGP propagator of Spacetrack
// Report No. 3 with that report's constants, the look angles from the
// station, and the search for the next horizon crossing. Nothing here reads
// a clock, prints or allocates while propagating.

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "base/fixed_text.h"
#include "tracker/elements.h"
#include "tracker/look_angles.h"

namespace tervane {

// SGP constants (Earth radii, minutes).
inline constexpr double kSgpK2 = 5.41308e-4;         // half the second zonal harmonic times aE²
inline constexpr double kSgpJ3 = -2.53881e-6;        // third zonal harmonic
inline constexpr double kSgpKe = 0.0743669161;       // sqrt(GM) in Earth radii^1.5 per minute
inline constexpr double kSgpAe = 1.0;                // distance unit, Earth radii
inline constexpr double kMinutesPerDay = 1440.0;
inline constexpr double kSgpEpsilon = 1.0e-6;        // eccentricity floor and Kepler tolerance
inline constexpr double kTwoThirds = 0.6666666666666666;
// The model's full turn until its first sidereal-angle computation.
inline constexpr double kInitialTwoPi = 6.2831853;

// How fast the satellite can move against the rotating Earth over a stretch
// of time, how fast that motion can change, and how far its modelled
// position can step at once (the eccentricity floor of the model switches in
// with a step of a few metres).
struct MotionBound {
  double speedKmPerSec = std::numeric_limits<double>::quiet_NaN();  // NaN: no bound known
  double accelerationKmPerSec2 = std::numeric_limits<double>::quiet_NaN();  // NaN: no bound known
  double jumpKm = 0.0;
};

class OrbitModel {
 public:
  // Copies the name, reads the element lines, converts them to model units
  // and asks for a fresh initialisation at the next propagation.
  void loadElements(std::string_view name, std::string_view line1, std::string_view line2);

  // Moves the model to a whole second of universal time since 1970.
  void propagate(std::int64_t unixSeconds);

  // Look angles from a station (decimal degrees, north and east positive) at
  // the instant of the last propagation.
  LookAngles lookAngles(double latitudeDeg, double longitudeDeg);
  LookAngles lookAngles(const StationGeometry& station);
  // The elevation and range of those look angles alone, for less work.
  ElevationRange elevation(const StationGeometry& station);
  // The height above the station's horizon plane (see horizonHeightFrom).
  double horizonHeightKm(const StationGeometry& station);

  // Greenwich sidereal angle in radians, [0, 2π), at the given second. From
  // the first call on, the model's 2π constant is the precise one.
  double siderealAngle(std::int64_t unixSeconds);

  // The first second after startUnix, within 24 hours, at which the
  // elevation has the opposite sign to the elevation one second earlier.
  std::optional<std::int64_t> findCrossing(std::int64_t startUnix, double latitudeDeg, double longitudeDeg);

  // Minutes from the element epoch to the given second, by the two-digit
  // year rule of the element set (00-80 are 2000-2080, 81-99 are 1981-1999).
  double minutesSinceEpochAt(std::int64_t unixSeconds) const;

  // Bound on the satellite's motion relative to the rotating Earth at every
  // instant from fromUnix to toUnix; no speed bound when the orbit allows
  // none (or the model has not been propagated since its load).
  MotionBound motionBound(std::int64_t fromUnix, std::int64_t toUnix) const;

  std::string_view name() const { return name_.view(); }
  const Elements& elements() const { return elements_; }
  bool initialised() const { return initialised_; }
  double xKm() const { return xKm_; }
  double yKm() const { return yKm_; }
  double zKm() const { return zKm_; }
  // The last propagation: its second, the same instant in the element
  // epoch's YYDDD.DDDDDDDD form (the element epoch itself until an ordinary
  // propagation; reserved names never change it), and its minutes since
  // epoch.
  std::int64_t instant() const { return instant_; }
  double nowEpoch() const { return nowEpoch_; }
  double minutesSinceEpoch() const { return tsinceMin_; }
  double twoPi() const { return twoPi_; }
  // For the reserved names "Satellite 1a" .. "Satellite 2e": the fixed
  // minutes since epoch that every propagation uses.
  std::optional<double> fixedMinutesSinceEpoch() const { return fixedTsinceMin_; }

 private:
  void initialise();

  FixedText<32> name_;
  Elements elements_;
  double twoPi_ = kInitialTwoPi;

  // Elements in model units (radians, radians per minute).
  double epoch_ = 0.0;
  double i0_ = 0.0;
  double raan0_ = 0.0;
  double argp0_ = 0.0;
  double M0_ = 0.0;
  double e0_ = 0.0;
  double n0_ = 0.0;
  double nDot2_ = 0.0;
  double nDdot6_ = 0.0;
  std::optional<double> fixedTsinceMin_;
  std::optional<std::int64_t> epochYearStartUnix_;
  int epochYear2_ = 0;

  bool initialised_ = false;
  double C1_ = 0.0, C2_ = 0.0, C3_ = 0.0, C4_ = 0.0, C5_ = 0.0, C6_ = 0.0;
  double cosi0_ = 1.0, sini0_ = 0.0;
  double a1_ = 0.0, D1_ = 0.0, a0_ = 0.0, p0_ = 0.0, q0_ = 0.0, L0_ = 0.0;
  double D10_ = 0.0, D20_ = 0.0, D30_ = 0.0, D40_ = 0.0;
  double P_ = 0.0, omegaDot_ = 0.0, raanDot_ = 0.0;

  double xKm_ = 0.0, yKm_ = 0.0, zKm_ = 0.0;
  std::int64_t instant_ = 0;
  double nowEpoch_ = 0.0;
  double tsinceMin_ = 0.0;
};

}  // namespace tervane
