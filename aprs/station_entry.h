#pragma once
// One decoded station report: who sent a monitored line, and where and when
// that station said it was. A plain fixed-size record; the position table
// keeps whole copies.

#include "base/fixed_text.h"
#include "platform/clock.h"

namespace tervane {

struct StationEntry {
  bool positionValid = false;  // the line gave a callsign, a latitude and a longitude
  bool callsignFound = false;  // the line gave a valid source callsign
  FixedText<5> phgDigits;      // up to 4 characters after the first "PHG"
  bool tracked = false;        // kept by the position table, never by the decoder
  // Degrees and minutes as received, rewritten for display as "%9.6f %c" /
  // "%10.6f %c" once the position is valid.
  FixedText<32> latitudeText;
  FixedText<32> longitudeText;
  FixedText<32> sourceCall;
  // "M/D/YYYY HH:MM:SS" (NMEA) or "M/D/YYYY HH:MM" (APRS zulu stamp); empty
  // when the line carries no time.
  FixedText<32> sentTime;
  FixedText<32> receivedTime;  // "M/D/YYYY HH:MM:SS" of the PC clock in UTC
  double latitudeDeg = 0.0;    // north positive
  double longitudeDeg = 0.0;   // east positive
  char northSouth = '\0';      // hemisphere letters as received
  char eastWest = '\0';
  CalendarTime receptionClock;  // PC clock (UTC) when the line arrived
  FixedText<1030> receivedLine;
};

}  // namespace tervane
