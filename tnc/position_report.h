#pragma once
// The texts by which the station announces itself over APRS: the timestamped
// position report (converse mode), the TNC's own BTEXT beacon, and the line
// that addresses the APRS e-mail gateway, plus the PHG digits they carry.

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace tervane {

// Ctrl-C takes the TNC to command mode and "conv" back to converse mode, so
// the report that follows goes out as one unproto frame.
inline const std::string kConverseEscape = std::string("\x03" "conv\r");

// The four PHG digits for power in watts, antenna height in feet, gain in dB
// and direction of maximum gain in degrees. Each digit is truncated toward
// zero and held to 0..9; NaN counts as 0 and infinity as 9.
std::string computePhg(double powerW, double heightFt, double gainDb, double directionDeg);

// Why the station's own position report must not go out, in one sentence
// that names what is missing or impossible and where it is set; empty when
// it may go. A station goes out only with a callsign of its own (not
// N0CALL), a position that is set (not 0,0) and on the globe, and PHG digits
// that each stand for a value.
std::string reportRefusal(std::string_view callsign, double latDeg, double lonDeg, std::string_view phgDigits);

// APRS DDMM.mm: degrees times 100 plus the decimal minutes of |x|, rounded to
// hundredths of a minute (a rounding up to 60 minutes carries into the degrees).
double toDegreesMinutes(double decimalDeg);

// "/DDHHMMz" timestamped position without messaging; symbol '-' (house) for a
// fixed station, '>' (car) for a mobile one.
std::string buildPositionReport(const CalendarTime& utc, double latDeg, char latLetter, double lonDeg,
                                char lonLetter, bool mobile, std::string_view phgDigits,
                                std::string_view comment);

// The same report behind the converse-mode escape, as File>Send Position
// Report hands it to the TNC in one piece.
std::string buildF2Text(const CalendarTime& utc, double latDeg, char latLetter, double lonDeg,
                        char lonLetter, bool mobile, std::string_view phgDigits, std::string_view comment);

// "BTEXT =..." command for the TNC's own beacon: position without timestamp,
// with messaging, always the house symbol; hemisphere letters from the signs.
std::string buildBeaconText(double latDeg, double lonDeg, std::string_view phgDigits, std::string_view comment);

// Message to the e-mail gateway; the operator types the message after the
// trailing blank.
std::string buildEmailLine(std::string_view address);

}  // namespace tervane
