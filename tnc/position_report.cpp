#include "tnc/position_report.h"

#include <cctype>
#include <cmath>

#include "base/text_format.h"

namespace tervane {

namespace {

// Truncates toward zero and holds the result to one decimal digit without
// ever converting an out-of-range double to int.
char phgDigit(double value) {
  if (!(value >= 1.0)) return '0';  // also NaN
  if (value >= 9.0) return '9';
  return static_cast<char>('0' + static_cast<int>(value));
}

}  // namespace

std::string computePhg(double powerW, double heightFt, double gainDb, double directionDeg) {
  const double power = powerW < 0.0 ? 0.0 : std::sqrt(powerW);
  const double height = heightFt < 20.0 ? 0.0 : std::log2(heightFt / 10.0);
  double direction = directionDeg;
  if (direction < 0.0) {
    // Adding whole turns of 360 is a remainder; fmod keeps -inf from looping.
    direction = std::fmod(direction, 360.0);
    if (direction < 0.0) direction += 360.0;
  }
  const double directivity = (direction + 22.5) / 45.0;
  std::string digits(4, '0');
  digits[0] = phgDigit(power);
  digits[1] = phgDigit(height);
  digits[2] = phgDigit(gainDb);
  digits[3] = phgDigit(directivity);
  return digits;
}

std::string reportRefusal(std::string_view callsign, double latDeg, double lonDeg, std::string_view phgDigits) {
  std::string_view base = callsign.substr(0, callsign.find('-'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper(base);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.empty() || upper == "N0CALL" || upper == "NOCALL") {
    return "no callsign is set (Settings > Station...)";
  }
  if (!(std::fabs(latDeg) <= 90.0)) {
    return textf("the latitude %.6f is outside -90 to 90 (Settings > Station...)", latDeg);
  }
  if (!(std::fabs(lonDeg) <= 180.0)) {
    return textf("the longitude %.6f is outside -180 to 180 (Settings > Station...)", lonDeg);
  }
  if (latDeg == 0 && lonDeg == 0) {
    return "the station's position is not set (Settings > Station..., or a GPS fix)";
  }
  // Power, height and gain digits run 0-9; direction 0 (omni) to 8 (north).
  const bool phgOk = phgDigits.size() == 4 && phgDigits[0] >= '0' && phgDigits[0] <= '9' && phgDigits[1] >= '0' &&
                     phgDigits[1] <= '9' && phgDigits[2] >= '0' && phgDigits[2] <= '9' && phgDigits[3] >= '0' &&
                     phgDigits[3] <= '8';
  if (!phgOk) {
    return "the PHG \"" + std::string(phgDigits) +
           "\" has no meaning (power, height, gain and direction in Settings > Station...)";
  }
  return {};
}

double toDegreesMinutes(double decimalDeg) {
  const double a = std::fabs(decimalDeg);
  double degrees = std::trunc(a);
  // Minutes are rounded to the hundredths the report carries before they are
  // printed, so 59.996 minutes become the next whole degree, never "60.00".
  double hundredths = std::round((a - degrees) * 6000.0);
  if (hundredths >= 6000.0) {
    degrees += 1.0;
    hundredths -= 6000.0;
  }
  return degrees * 100.0 + hundredths / 100.0;
}

std::string buildPositionReport(const CalendarTime& utc, double latDeg, char latLetter, double lonDeg,
                                char lonLetter, bool mobile, std::string_view phgDigits,
                                std::string_view comment) {
  const std::string phg(phgDigits);
  const std::string text(comment);
  if (mobile) {
    return textf("/%02d%02d%02dz%07.2f%c/%08.2f%c>PHG%s/%s\r", utc.day, utc.hour, utc.minute,
                 toDegreesMinutes(latDeg), latLetter, toDegreesMinutes(lonDeg), lonLetter, phg.c_str(),
                 text.c_str());
  }
  return textf("/%02d%02d%02dz%07.2f%c/%08.2f%c-PHG%s/%s\r", utc.day, utc.hour, utc.minute,
               toDegreesMinutes(latDeg), latLetter, toDegreesMinutes(lonDeg), lonLetter, phg.c_str(),
               text.c_str());
}

std::string buildF2Text(const CalendarTime& utc, double latDeg, char latLetter, double lonDeg,
                        char lonLetter, bool mobile, std::string_view phgDigits, std::string_view comment) {
  return kConverseEscape +
         buildPositionReport(utc, latDeg, latLetter, lonDeg, lonLetter, mobile, phgDigits, comment);
}

std::string buildBeaconText(double latDeg, double lonDeg, std::string_view phgDigits, std::string_view comment) {
  const std::string phg(phgDigits);
  const std::string text(comment);
  return textf("BTEXT =%07.2f%c/%08.2f%c-PHG%s/%s\r", toDegreesMinutes(latDeg), latitudeLetter(latDeg),
               toDegreesMinutes(lonDeg), longitudeLetter(lonDeg), phg.c_str(), text.c_str());
}

std::string buildEmailLine(std::string_view address) {
  const std::string to(address);
  return textf(":EMAIL    :%s ", to.c_str());
}

}  // namespace tervane
