#pragma once
// One decoded station report: who sent a monitored line, and where and when
// that station said it was. A plain fixed-size record; the position table
// keeps whole copies.

#include <cstdint>
#include <limits>
#include <string_view>

#include "base/fixed_text.h"
#include "platform/clock.h"

namespace tervane {

// The form of report a position came from.
enum class ReportKind : std::uint8_t { None = 0, Plain, Nmea, MicE, Compressed, Object, Item };

// How a report reached the station: on RF straight from the sender, on RF
// through at least one digipeater, or from APRS-IS.
enum class HeardHow : std::uint8_t { Unknown = 0, RfDirect, RfDigipeated, AprsIs };

// "RF", "RF via digi", "APRS-IS"; empty when unknown.
inline const char* heardHowText(HeardHow how) {
  switch (how) {
    case HeardHow::RfDirect: return "RF";
    case HeardHow::RfDigipeated: return "RF via digi";
    case HeardHow::AprsIs: return "APRS-IS";
    case HeardHow::Unknown: break;
  }
  return "";
}

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
  // "M/D/YYYY HH:MM:SS" (NMEA, APRS hour-minute-second stamp) or
  // "M/D/YYYY HH:MM" (APRS day-hour-minute stamp), in UTC; empty when the
  // line carries no time.
  FixedText<32> sentTime;
  FixedText<32> receivedTime;  // "M/D/YYYY HH:MM:SS" of the PC clock in UTC
  double latitudeDeg = 0.0;    // north positive
  double longitudeDeg = 0.0;   // east positive
  char northSouth = '\0';      // hemisphere letters as received
  char eastWest = '\0';
  CalendarTime receptionClock;  // PC clock (UTC) when the line arrived
  FixedText<1030> receivedLine;

  // What the report says beyond the position table's columns, for the map
  // and the decode tool. Absent numbers are NaN.
  ReportKind reportKind = ReportKind::None;
  FixedText<10> objectName;  // object or item name, trailing blanks trimmed; empty otherwise
  bool killed = false;       // a killed object or item: it leaves the position table
  char symbolTable = '\0';   // '/' primary, '\\' alternate, or an overlay character; '\0' unknown
  char symbolCode = '\0';
  double courseDeg = std::numeric_limits<double>::quiet_NaN();
  double speedKnots = std::numeric_limits<double>::quiet_NaN();
  double altitudeFeet = std::numeric_limits<double>::quiet_NaN();
  int ambiguity = 0;  // trailing position digits left blank, 0..4
  double radioRangeMiles = std::numeric_limits<double>::quiet_NaN();  // compressed "{s" or "RNGrrrr"
  FixedText<16> micEMessage;  // Mic-E position comment ("En Route", "Emergency", ...); empty otherwise
  FixedText<32> deviceName;   // the radio a Mic-E type code names; empty when unknown
  HeardHow heardHow = HeardHow::Unknown;  // set by the link the report came on
};

inline bool isObjectOrItem(const StationEntry& entry) {
  return entry.reportKind == ReportKind::Object || entry.reportKind == ReportKind::Item;
}

// The name an entry goes by in the position table and on the map: an object
// or item is named by itself, every other report by its sending station.
inline std::string_view stationName(const StationEntry& entry) {
  return isObjectOrItem(entry) ? entry.objectName.view() : entry.sourceCall.view();
}

// Where heard callsigns and decoded positions go: the station lists and
// the map behind them.
class StationSink {
 public:
  virtual ~StationSink() = default;
  virtual void addCallsign(std::string_view call) = 0;
  virtual void addOrUpdate(const StationEntry& entry) = 0;
};

}  // namespace tervane
