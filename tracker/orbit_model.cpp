#include "tracker/orbit_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "platform/clock.h"
#include "tracker/crossing.h"
#include "tracker/sidereal.h"

namespace tervane {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Element sets named like this are propagated to a fixed time after their
// epoch whatever the instant asked for: the test cases of the SGP report.
struct ReservedName {
  std::string_view prefix;
  double minutesSinceEpoch;
};
constexpr std::array<ReservedName, 10> kReservedNames{{
    {"Satellite 1a", 0.0},
    {"Satellite 2a", 0.0},
    {"Satellite 1b", 360.0},
    {"Satellite 2b", 360.0},
    {"Satellite 1c", 720.0},
    {"Satellite 2c", 720.0},
    {"Satellite 1d", 1080.0},
    {"Satellite 2d", 1080.0},
    {"Satellite 1e", 1440.0},
    {"Satellite 2e", 1440.0},
}};

// Largest two-digit-year value for which a calendar year is worked out; any
// element epoch beyond it is nonsense and propagates to not-a-number.
constexpr double kLargestEpochYear = 1.0e6;

}  // namespace

void OrbitModel::loadElements(std::string_view name, std::string_view line1, std::string_view line2) {
  name_ = name;
  elements_ = parseElements(line1, line2);
  const Elements& e = elements_;

  epoch_ = e.epoch;
  i0_ = e.inclination * kRadPerDeg;
  raan0_ = e.raan * kRadPerDeg;
  argp0_ = e.argPerigee * kRadPerDeg;
  M0_ = e.meanAnomaly * kRadPerDeg;
  e0_ = e.eccentricity;
  n0_ = e.meanMotion * (twoPi_ / kMinutesPerDay / kMinutesPerDay) * kMinutesPerDay;
  nDot2_ = e.meanMotionDot2 * twoPi_ / (kMinutesPerDay * kMinutesPerDay);
  nDdot6_ = e.meanMotionDdot6 * twoPi_ / (kMinutesPerDay * kMinutesPerDay) / kMinutesPerDay;

  fixedTsinceMin_.reset();
  for (const ReservedName& reserved : kReservedNames) {
    if (name_.view().substr(0, reserved.prefix.size()) == reserved.prefix) {
      fixedTsinceMin_ = reserved.minutesSinceEpoch;
      break;
    }
  }

  epochYearStartUnix_.reset();
  epochYear2_ = 0;
  const double yy = std::trunc(epoch_ * 0.001);
  if (std::fabs(yy) <= kLargestEpochYear) {
    epochYear2_ = static_cast<int>(yy);
    CalendarTime newYear;
    newYear.year = epochYear2_ <= 80 ? 2000 + epochYear2_ : 1900 + epochYear2_;
    epochYearStartUnix_ = unixFromCalendar(newYear);
  }
  nowEpoch_ = epoch_;
  initialised_ = false;
}

double OrbitModel::minutesSinceEpochAt(std::int64_t unixSeconds) const {
  if (!epochYearStartUnix_) return kNaN;
  const double s = static_cast<double>(unixSeconds - *epochYearStartUnix_);
  return (s - (epoch_ - 1000.0 * epochYear2_ - 1.0) * kSecondsPerDay) / 60.0;
}

void OrbitModel::initialise() {
  C1_ = 1.5 * kSgpK2;
  C2_ = 0.25 * kSgpK2;
  C3_ = 0.5 * kSgpK2;
  C4_ = kSgpJ3 * kSgpAe * kSgpAe * kSgpAe / (4.0 * kSgpK2);
  cosi0_ = std::cos(i0_);
  sini0_ = std::sin(i0_);
  a1_ = std::pow(kSgpKe / n0_, kTwoThirds);
  D1_ = C1_ / a1_ / a1_ * (3.0 * cosi0_ * cosi0_ - 1.0) / std::pow(1.0 - e0_ * e0_, 1.5);
  a0_ = a1_ * (1.0 - D1_ / 3.0 - D1_ * D1_ - 1.654320987654321 * D1_ * D1_ * D1_);
  p0_ = a0_ * (1.0 - e0_ * e0_);
  q0_ = a0_ * (1.0 - e0_);
  L0_ = M0_ + argp0_ + raan0_;
  D10_ = C3_ * sini0_ * sini0_;
  D20_ = C2_ * (7.0 * cosi0_ * cosi0_ - 1.0);
  D30_ = C1_ * cosi0_;
  D40_ = D30_ * sini0_;
  P_ = n0_ / (p0_ * p0_);
  omegaDot_ = C1_ * P_ * (5.0 * cosi0_ * cosi0_ - 1.0);
  raanDot_ = -2.0 * D30_ * P_;
  C5_ = 0.5 * C4_ * sini0_ * (3.0 + 5.0 * cosi0_) / (1.0 + cosi0_);
  C6_ = C4_ * sini0_;
  initialised_ = true;
}

void OrbitModel::propagate(std::int64_t unixSeconds) {
  if (!initialised_) initialise();
  instant_ = unixSeconds;
  if (fixedTsinceMin_) {
    tsinceMin_ = *fixedTsinceMin_;
  } else {
    tsinceMin_ = minutesSinceEpochAt(unixSeconds);
    if (epochYearStartUnix_) {
      nowEpoch_ = static_cast<double>(unixSeconds - *epochYearStartUnix_) / kSecondsPerDay + 1000.0 * epochYear2_ + 1.0;
    } else {
      nowEpoch_ = kNaN;
    }
  }
  const double t = tsinceMin_;

  const double n = n0_ + (2.0 * nDot2_ + 3.0 * nDdot6_ * t) * t;
  const double a = a0_ * std::pow(n0_ / n, kTwoThirds);
  double e = kSgpEpsilon;
  if (a > q0_) e = 1.0 - q0_ / a;
  const double p = a * (1.0 - e * e);
  const double raanS = raan0_ + raanDot_ * t;
  const double argpS = argp0_ + omegaDot_ * t;
  const double Ls = std::fmod(L0_ + (n0_ + omegaDot_ + raanDot_ + (nDot2_ + nDdot6_ * t) * t) * t, twoPi_);

  const double axN = e * std::cos(argpS);
  const double ayN = e * std::sin(argpS) - C6_ / p;
  const double L = std::fmod(Ls - (C5_ / p) * axN, twoPi_);
  const double U = std::fmod(L - raanS, twoPi_);

  // Kepler's equation in the argument of latitude, Newton steps clipped to
  // one radian.
  double E = U;
  double delta = 1.0;
  double sinE = 0.0;
  double cosE = 0.0;
  for (int k = 0; !(std::fabs(delta) < kSgpEpsilon) && k < 10; ++k) {
    sinE = std::sin(E);
    cosE = std::cos(E);
    delta = (U - ayN * cosE + axN * sinE - E) / (1.0 - cosE * axN - sinE * ayN);
    if (std::fabs(delta) > 1.0) delta = std::fabs(delta) / delta;
    E += delta;
  }
  sinE = std::sin(E);
  cosE = std::cos(E);

  const double eCosE = axN * cosE + ayN * sinE;
  const double eSinE = axN * sinE - ayN * cosE;
  const double eL2 = axN * axN + ayN * ayN;
  const double pL = a * (1.0 - eL2);
  const double r = a * (1.0 - eCosE);

  const double w = eSinE / (1.0 + std::sqrt(1.0 - eL2));
  const double sinU = (a / r) * (sinE - ayN - axN * w);
  const double cosU = (a / r) * (cosE - axN + ayN * w);
  const double u = std::atan2(sinU, cosU);
  const double sin2u = 2.0 * cosU * sinU;
  const double cos2u = 1.0 - 2.0 * sinU * sinU;

  const double rk = r + (D10_ / pL) * cos2u;
  const double uk = u - (D20_ / (pL * pL)) * sin2u;
  const double raanK = raanS + (D30_ / (pL * pL)) * sin2u;
  const double ik = i0_ + (D40_ / (pL * pL)) * cos2u;

  const double sinRaanK = std::sin(raanK);
  const double cosRaanK = std::cos(raanK);
  const double sinIk = std::sin(ik);
  const double cosIk = std::cos(ik);
  const double sinUk = std::sin(uk);
  const double cosUk = std::cos(uk);
  const double Mx = -sinRaanK * cosIk;
  const double My = cosRaanK * cosIk;
  const double Ux = Mx * sinUk + cosRaanK * cosUk;
  const double Uy = My * sinUk + sinRaanK * cosUk;
  const double Uz = sinIk * sinUk;

  xKm_ = rk * Ux * kEarthRadiusKm / kSgpAe;
  yKm_ = rk * Uy * kEarthRadiusKm / kSgpAe;
  zKm_ = rk * Uz * kEarthRadiusKm / kSgpAe;
}

double OrbitModel::siderealAngle(std::int64_t unixSeconds) {
  twoPi_ = kFullTurnRad;
  return greenwichSiderealAngle(unixSeconds);
}

LookAngles OrbitModel::lookAngles(const StationGeometry& station) {
  return lookAnglesFrom(xKm_, yKm_, zKm_, siderealAngle(instant_), station);
}

ElevationRange OrbitModel::elevation(const StationGeometry& station) {
  return elevationFrom(xKm_, yKm_, zKm_, siderealAngle(instant_), station);
}

double OrbitModel::horizonHeightKm(const StationGeometry& station) {
  return horizonHeightFrom(xKm_, yKm_, zKm_, siderealAngle(instant_), station);
}

LookAngles OrbitModel::lookAngles(double latitudeDeg, double longitudeDeg) {
  return lookAngles(stationGeometry(latitudeDeg, longitudeDeg));
}

std::optional<std::int64_t> OrbitModel::findCrossing(std::int64_t startUnix, double latitudeDeg,
                                                     double longitudeDeg) {
  return findCrossingBounded(*this, startUnix, stationGeometry(latitudeDeg, longitudeDeg));
}

MotionBound OrbitModel::motionBound(std::int64_t fromUnix, std::int64_t toUnix) const {
  MotionBound none;
  if (!initialised_) return none;
  constexpr double kKmPerSecPerRadiiPerMin = kEarthRadiusKm / kSgpAe / 60.0;
  // The Earth-fixed velocity is the inertial one less the frame's rotation,
  // whose contribution is at most the rotation rate times the distance from
  // the axis. A tenth of a percent covers the drift of the rotation rate.
  constexpr double kRotationMargin = 1.001;

  constexpr double kRotationRate = kSiderealRateRadPerSec * kRotationMargin;

  if (fixedTsinceMin_) {
    // Fixed in inertial space: only the Earth turns under it, so in the
    // Earth's frame it circles the axis.
    const double radiusKm = std::sqrt(xKm_ * xKm_ + yKm_ * yKm_ + zKm_ * zKm_);
    MotionBound fixed;
    fixed.speedKmPerSec = kRotationRate * radiusKm;
    fixed.accelerationKmPerSec2 = kRotationRate * kRotationRate * radiusKm;
    return std::isfinite(fixed.speedKmPerSec) ? fixed : none;
  }

  // Mean motion n(t) = n0 + 2(ṅ/2)t + 3(n̈/6)t² over the window: a parabola,
  // extreme at the ends or at its vertex.
  const double t0 = minutesSinceEpochAt(fromUnix);
  const double t1 = minutesSinceEpochAt(toUnix);
  const auto meanMotionAt = [&](double t) { return n0_ + (2.0 * nDot2_ + 3.0 * nDdot6_ * t) * t; };
  double nMin = std::min(meanMotionAt(t0), meanMotionAt(t1));
  double nMax = std::max(meanMotionAt(t0), meanMotionAt(t1));
  if (nDdot6_ != 0.0) {
    const double vertex = -nDot2_ / (3.0 * nDdot6_);
    if (vertex > t0 && vertex < t1) {
      nMin = std::min(nMin, meanMotionAt(vertex));
      nMax = std::max(nMax, meanMotionAt(vertex));
    }
  }
  const double nRateMax = std::max(std::fabs(2.0 * nDot2_ + 6.0 * nDdot6_ * t0), std::fabs(2.0 * nDot2_ + 6.0 * nDdot6_ * t1));
  if (!(nMin > 0.0) || !std::isfinite(nMax) || !std::isfinite(nRateMax)) return none;

  // a = a0 (n0/n)^(2/3) falls as n grows; e = 1 - q0/a (floored at ε) grows
  // with a; the long-period J3 term adds at most |C6|/p to the eccentricity
  // of the osculating ellipse, and p never falls below min(q0, a).
  const double aMin = a0_ * std::pow(n0_ / nMax, kTwoThirds);
  const double aMax = a0_ * std::pow(n0_ / nMin, kTwoThirds);
  const double eMax = aMax > q0_ ? 1.0 - q0_ / aMax : kSgpEpsilon;
  const double pMin = std::min(q0_, aMin * (1.0 - kSgpEpsilon * kSgpEpsilon));
  const double eLMax = std::max(eMax, kSgpEpsilon) + std::fabs(C6_) / pMin;
  const double pLMin = aMin * (1.0 - eLMax * eLMax);
  // Outside these limits the bound below is not proven (Kepler's equation
  // is solved to full precision in ten steps for eccentricities up to 0.99;
  // the short-period terms stay small only well above the Earth's centre).
  if (!(eLMax < 0.9) || !(pMin > 0.5) || !(pLMin > 0.5) || !std::isfinite(aMax)) return none;
  const double rMax = aMax * (1.0 + eLMax) + std::fabs(D10_) / pLMin;

  // Inertial speed, Earth radii per minute:
  // - Keplerian motion on the osculating ellipse with mean motion n + ω̇ is
  //   fastest at perigee: n a sqrt((1+e)/(1-e));
  // - the secular turning of perigee and node moves the position by at most
  //   (|ω̇| + |Ω̇|) r;
  // - the decay of a (ȧ = -(2/3) a ṅ / n) and the matching change of e move
  //   the radius by at most 3 |ȧ|;
  // - the short-period J2 corrections (D10..D40, each below 8.2e-4, divided
  //   by pL or pL², varying at twice the orbital rate) add at most about 2%
  //   with pL above 0.5 Earth radii; 5% is allowed for them and the J3
  //   long-period terms.
  const double kepler = (nMax + std::fabs(omegaDot_)) * aMax * std::sqrt((1.0 + eLMax) / (1.0 - eLMax));
  const double secularTurning = (std::fabs(omegaDot_) + std::fabs(raanDot_)) * rMax;
  const double decay = 3.0 * kTwoThirds * aMax * nRateMax / nMin;
  const double inertialKmPerSec = 1.05 * (kepler + secularTurning + decay) * kKmPerSecPerRadiiPerMin;
  const double rMaxKm = rMax * kEarthRadiusKm / kSgpAe;
  const double rotationKmPerSec = kRotationRate * rMaxKm;
  MotionBound bound;
  bound.speedKmPerSec = inertialKmPerSec + rotationKmPerSec;

  // Inertial acceleration, Earth radii per minute squared:
  // - on the osculating ellipse a point whose mean anomaly advances at ν is
  //   accelerated by ν² a³ / r², most at perigee: ν² a / (1 - e)²;
  // - perigee and node turning at w = |ω̇| + |Ω̇| add at most 2 w v + w² r
  //   (as in a frame turning at w), v being the inertial speed above;
  // - a changing mean motion speeds the point along its path by at most
  //   |ṅ| r (1 + e) / (1 - e), and the decay of a moves the radius by
  //   about as much again;
  // - the short-period J2 terms vary at twice the orbital rate, so they
  //   weigh four times more here than in the speed; with pL above 0.5 Earth
  //   radii they stay below a fifth of the rest, and half is allowed.
  const double nu = nMax + std::fabs(omegaDot_);
  const double turning = std::fabs(omegaDot_) + std::fabs(raanDot_);
  const double inertialSpeed = inertialKmPerSec / kKmPerSecPerRadiiPerMin;
  const double keplerAccel = nu * nu * aMax / ((1.0 - eLMax) * (1.0 - eLMax));
  const double turningAccel = 2.0 * turning * inertialSpeed + turning * turning * rMax;
  const double decayAccel = 2.0 * nRateMax * rMax * (1.0 + eLMax) / (1.0 - eLMax);
  constexpr double kKmPerSec2PerRadiiPerMin2 = kEarthRadiusKm / kSgpAe / 3600.0;
  const double inertialKmPerSec2 = 1.5 * (keplerAccel + turningAccel + decayAccel) * kKmPerSec2PerRadiiPerMin2;
  // In the Earth's frame, turning at Ω: Coriolis 2 Ω v and centrifugal Ω² r.
  bound.accelerationKmPerSec2 =
      inertialKmPerSec2 + 2.0 * kRotationRate * bound.speedKmPerSec + kRotationRate * kRotationRate * rMaxKm;
  // Where a reaches q0 the eccentricity switches between 1 - q0/a and its
  // floor ε, a step of at most ε in e, ayN and axN; r = a(1 - ecosE) and the
  // argument of latitude move by a few times a ε.
  bound.jumpKm = 4.0 * aMax * kSgpEpsilon * kEarthRadiusKm / kSgpAe;
  return std::isfinite(bound.speedKmPerSec) ? bound : none;
}

}  // namespace tervane
