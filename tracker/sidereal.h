#pragma once
// The Earth's rotation angle: Greenwich mean sidereal time by the IAU 1982
// expression, taking UT1 equal to UTC (they differ by less than 0.9 s).

#include <cstdint>

namespace tervane {

inline constexpr double kFullTurnRad = 6.28318530717959;

// Rotation rate of the Earth in sidereal angle, radians per second of UT1
// (the time derivative of the IAU 1982 expression; its slow drift stays below
// one part in 10^9 over this century).
inline constexpr double kSiderealRateRadPerSec = 7.2921158553e-5;

// Greenwich mean sidereal angle in radians, in [0, 2π), at the given second
// of universal time since 1970.
double greenwichSiderealAngle(std::int64_t unixSeconds);

}  // namespace tervane
