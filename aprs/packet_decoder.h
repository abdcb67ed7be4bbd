#pragma once
// Turns one monitored TNC line into a StationEntry: the source callsign
// (behind any "cmd:" prompt, or the originator of a third-party '}' header;
// the source of a line that is a whole packet is the station's name
// whatever its shape, elsewhere only text shaped like a callsign counts),
// and a position. A raw $GPRMC or $GPGGA sentence, or a plain position
// found anywhere in the text (with an optional zulu time stamp), comes
// first; only a line that gives neither is read for the other forms: Mic-E,
// compressed positions, plain positions in their place in a report (hidden
// digits, any of the three time stamps) and $GPGLL sentences. An object or
// item report always gives the position of the object, under its own name.
// A PHG group is picked up from any line.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "aprs/aprs_fields.h"
#include "aprs/station_entry.h"
#include "platform/clock.h"

namespace tervane {

// ASCII letter, digit, '/' or '-'.
bool isCallsignChar(char c);

// Every character in positions from..to-1 (cut to the text) is a digit or
// '.', with at most one '.'. An empty stretch is numeric.
bool isNumericRun(std::string_view text, std::size_t from, std::size_t to);

// Callsign characters only, and the first three characters (missing ones
// count as non-digits) have a digit where amateur callsigns put one:
// x9x (A1BC, A1), x99 (S56OA), xx9 (AB1CD) or 9x9 (1A1BC). Only the shape
// tells a callsign in text that is no packet header.
bool isCallsign(std::string_view text);

// A source address as AX.25 or APRS-IS carries it, whatever its shape:
// capital letters and digits, then optionally '-' and an SSID of capital
// letters and digits, nine characters in all. AX.25 allows six before an
// SSID of 0..15, APRS-IS up to nine in all (95023-RR2). Digipeaters (VACA),
// weather sites (KBNA, 530808-1) and tactical stations (HOME) go by such
// names.
bool isStationName(std::string_view text);

// The fields of an NMEA sentence that starts at '$': slot 0 holds the five
// characters of the sentence name, slot k the text after the k-th comma up
// to the next one, and slot 15 everything after the fifteenth comma. Each
// slot is cut to 31 characters; missing fields are empty. The slots view the
// sentence text, which must outlive them.
struct NmeaFields {
  static constexpr std::size_t kSlots = 16;
  static constexpr std::size_t kMaxFieldLength = 31;
  std::array<std::string_view, kSlots> slot{};
};
NmeaFields splitSentence(std::string_view sentence);

class PacketDecoder {
 public:
  // Only this many leading characters of a line take part in decoding; the
  // NMEA sentence search alone looks at the whole stored line.
  static constexpr std::size_t kDecodedLength = 255;

  explicit PacketDecoder(const Clock& clock);

  // Starts a new line (with its line-end bytes): stamps the reception time,
  // clears the position and stores the line, cut at a zero byte or at 1029
  // characters.
  void beginLine(std::string_view line);

  // Decodes the stored line into entry().
  void decode();

  const StationEntry& entry() const { return entry_; }
  // How the decoded line reached the station, which only its link knows.
  void setHeardHow(HeardHow how) { entry_.heardHow = how; }

 private:
  struct RawPosition;
  struct Packet;

  // `close` is where the first '>' of `rest` is.
  static Packet splitPacket(std::string_view rest, std::size_t close);
  void clearReportDetails();
  void findSourceCall(std::string_view rest, std::size_t headerEnd, bool packetLine);
  bool findNmeaPosition(RawPosition& raw);
  void findAprsPosition(std::string_view working, RawPosition& raw);
  bool storePosition(const RawPosition& raw);
  void findPhg(std::string_view working);
  void addPlainDetails(const Packet& packet, const RawPosition& raw);
  bool decodeObjectOrItem(const Packet& packet);
  bool decodePackedPosition(const Packet& packet);
  bool decodeGllSentence(std::string_view information);
  void storeReport(const ReportPosition& position, ReportKind kind);
  // The position and its display texts alone.
  void storeCoordinates(const ReportPosition& position);
  void storeTimeStamp(const TimeStamp& stamp);

  const Clock& clock_;
  StationEntry entry_;
  // The reception time text changes once a second; it is formatted again
  // only when the clock has moved on.
  CalendarTime stampedClock_{std::numeric_limits<int>::min(), 0, 0, 0, 0, 0, 0};
  std::int64_t stampedSecond_ = std::numeric_limits<std::int64_t>::min();
  CalendarTime receptionClock_;
  FixedText<32> stampText_;
};

}  // namespace tervane
