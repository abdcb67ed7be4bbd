#include "aprs/packet_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tervane {
namespace {

using namespace std::string_literals;

constexpr CalendarTime kMidday{2024, 6, 15, 12, 0, 0, 0};

std::string decoderInput(std::string_view monitored) { return std::string(monitored) + "\r\n"; }

TEST(IsCallsign, DigitPatternOfTheFirstThreeCharacters) {
  struct Row {
    const char* text;
    bool callsign;
  };
  const Row kRows[] = {
      {"A1BC", true},       {"AB1CD", true},   {"1A1BC", true},     {"A1", true},
      {"N0CALL-15", true},  {"W1AW/P", true},  {"KA1ABC", true},    {"9A1A", true},
      {"AB", false},        {"ABC1", false},   {"1AB1", false},     {"", false},
      {"ABC", false},       {"11A", false},    {"1", false},        {"A11", true},
      {"S56OA", true},      {"E27FSR-9", true},
      {"N0 CALL", false},   {"N0CALL*", false}, {"N0_CALL", false}, {"N\xc3\x99" "0A", false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(isCallsign(row.text), row.callsign);
  }
}

TEST(IsStationName, AddressesThatAx25AndAprsIsCarry) {
  struct Row {
    const char* text;
    bool name;
  };
  const Row kRows[] = {
      {"VACA", true},         {"SEA", true},         {"530808-1", true},    {"N0CALL-15", true},
      {"ABCDEF-15", true},    {"FROMCALL", true},    {"95023-RR2", true},   {"A", true},
      {"ABCDEFGHIJ", false},  {"N0CALL-150", false}, {"", false},          {"-1", false},
      {"VACA-", false},       {"VA-CA-1", false},    {"VACA*", false},      {"W1AW/P", false},
      {"vaca", false},        {"VA CA", false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(isStationName(row.text), row.name);
  }
}

TEST(IsCallsignChar, OnlyAsciiLettersDigitsSlashDash) {
  for (int c = 0; c < 256; ++c) {
    const bool expected = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '/' || c == '-';
    SCOPED_TRACE(c);
    EXPECT_EQ(isCallsignChar(static_cast<char>(c)), expected);
  }
}

TEST(IsNumericRun, DigitsWithAtMostOneDot) {
  struct Row {
    const char* name;
    std::string_view text;
    std::size_t from;
    std::size_t to;
    bool numeric;
  };
  const Row kRows[] = {
      {"coordinate", "4237.14", 0, 7, true},
      {"two dots", "12.34.5", 0, 7, false},
      {"empty stretch", "abc", 1, 1, true},
      {"empty text", "", 0, 0, true},
      {"stretch after a letter", "A12.5", 1, 5, true},
      {"letter at the end", "12a", 0, 3, false},
      {"only a dot", ".", 0, 1, true},
      {"stretch past the end is cut", "12", 0, 10, true},
      {"minus sign is no digit", "-12", 0, 3, false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(isNumericRun(row.text, row.from, row.to), row.numeric);
  }
}

TEST(SplitSentence, SlotsCommasAndCuts) {
  const NmeaFields rmc = splitSentence("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
  EXPECT_EQ(rmc.slot[0], "GPRMC");
  EXPECT_EQ(rmc.slot[1], "123519");
  EXPECT_EQ(rmc.slot[3], "4807.038");
  EXPECT_EQ(rmc.slot[9], "230394");
  EXPECT_EQ(rmc.slot[11], "W*6A\r\n");
  EXPECT_EQ(rmc.slot[12], "");
  EXPECT_EQ(rmc.slot[15], "");

  const NmeaFields many = splitSentence("$GPXYZ,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17");
  EXPECT_EQ(many.slot[14], "14");
  EXPECT_EQ(many.slot[15], "15,16,17") << "the last slot takes the rest of the sentence";

  const std::string longField(40, '7');
  const std::string longSentence = "$GPGGA," + longField + ",x";
  const NmeaFields cut = splitSentence(longSentence);
  EXPECT_EQ(cut.slot[1], longField.substr(0, 31));
  EXPECT_EQ(cut.slot[2], "x");

  const NmeaFields shortName = splitSentence("$GP");
  EXPECT_EQ(shortName.slot[0], "GP");
  EXPECT_EQ(shortName.slot[1], "");
}

struct DecodeRow {
  const char* name;
  std::string line;  // handed to beginLine as is
  CalendarTime clock;
  bool callsignFound;
  bool positionValid;
  std::string sourceCall;
  std::string latitudeText;
  std::string longitudeText;
  double latitudeDeg;
  double longitudeDeg;
  std::string sentTime;
  std::string phgDigits;
};

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

const DecodeRow kDecodeRows[] = {
    {"plain position", decoderInput("N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test"), kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"zulu stamp on the reception day", decoderInput("N0CALL>APRS:@092345z4237.14N/07120.83W>"), kMidday, true,
     true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "6/15/2024 23:45", ""},
    {"capital Z stamp", decoderInput("N0CALL>APRS:/150815Z4237.14N/07120.83W>"), kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "6/15/2024 08:15", ""},
    {"stamp 23h at 0h UTC belongs to the day before", decoderInput("N0CALL>APRS:@092345z4237.14N/07120.83W>"),
     {2024, 6, 15, 0, 5, 0, 0}, true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167,
     "6/14/2024 23:45", ""},
    {"day before the first of March in a leap year", decoderInput("N0CALL>APRS:@292359z4237.14N/07120.83W>"),
     {2024, 3, 1, 0, 0, 30, 0}, true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167,
     "2/29/2024 23:59", ""},
    {"day before the first of May", decoderInput("N0CALL>APRS:@302300z4237.14N/07120.83W>"),
     {2023, 5, 1, 0, 59, 0, 0}, true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167,
     "4/30/2023 23:00", ""},
    {"day before New Year", decoderInput("N0CALL>APRS:@312330z4237.14N/07120.83W>"), {2025, 1, 1, 0, 1, 0, 0},
     true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "12/31/2024 23:30", ""},
    {"stamp 0h at 23h UTC keeps the clock's day", decoderInput("N0CALL>APRS:@160005z4237.14N/07120.83W>"),
     {2024, 6, 15, 23, 59, 0, 0}, true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167,
     "6/15/2024 00:05", ""},
    {"stamp 22h at 0h UTC keeps the clock's day", decoderInput("N0CALL>APRS:@092205z4237.14N/07120.83W>"),
     {2024, 6, 15, 0, 5, 0, 0}, true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167,
     "6/15/2024 22:05", ""},
    {"five-digit stamp is none", decoderInput("N0CALL>APRS:@92345z4237.14N/07120.83W>"), kMidday, true, true,
     "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"HMS stamp 'h' is not a zulu stamp", decoderInput("N0CALL>APRS:@234517h4237.14N/07120.83W>"), kMidday, true,
     true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"prompt before the monitored text", decoderInput("cmd:N0CALL>APRS:!4237.14N/07120.83W-"), kMidday, true,
     true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"only the text after the last prompt names the source",
     decoderInput("cmd:ABC>cmd:cmd:N1TEST>APRS:!4237.14N/07120.83W-"), kMidday, true, true, "N1TEST",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"third-party header reports the originator",
     decoderInput("N0CALL>APRS:}N1TEST>APRS,TCPIP:!4237.14N/07120.83W-"), kMidday, true, true, "N1TEST",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"third-party originator that is no station name falls back to the gateway",
     decoderInput("N0CALL>APRS:}ABCDEFGHIJ>APRS,TCPIP:!4237.14N/07120.83W-"), kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"third-party originator named without a callsign's shape",
     decoderInput("N0CALL>APRS:}SEA>APRS,TCPIP:!4237.14N/07120.83W-"), kMidday, true, true, "SEA", "42.619000 N",
     " 71.347167 W", 42.619, -71.347167, "", ""},
    {"a brace in a comment is free text, where only a callsign's shape names a sender",
     decoderInput("N0CALL>APRS:!4237.14N/07120.83W-see }SEA>APRS:"), kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"brace without a following '>'", decoderInput("N0CALL>APRS:!4237.14N/07120.83W-hello}world"), kMidday, true,
     true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"a digipeater's name is the source of its packet",
     decoderInput("VACA>APNU19,WR6ABD*:!3824.71NS12206.81W#PHG5600/W2"), kMidday, true, true, "VACA",
     "38.411833 N", "122.113500 W", 38.411833, -122.1135, "", "5600"},
    {"a name after a prompt needs a callsign's shape", decoderInput("cmd:VACA>APNU19:!3824.71NS12206.81W#"),
     kMidday, false, false, "", "", "", 0, 0, "", ""},
    {"a name in a line that is no packet header needs a callsign's shape",
     decoderInput("VACA>APNU19 !3824.71NS12206.81W#"), kMidday, false, false, "", "", "", 0, 0, "", ""},
    {"a name longer than APRS-IS allows gives nothing", decoderInput("ABCDEFGHIJ>APRS:!4237.14N/07120.83W-"),
     kMidday, false, false, "", "", "", 0, 0, "", ""},
    {"source with a digipeated star", decoderInput("N0CALL*>APRS:!4237.14N/07120.83W-"), kMidday, false, false,
     "", "", "", 0, 0, "", ""},
    {"no '>' at all", decoderInput("N0CALL APRS !4237.14N/07120.83W-"), kMidday, false, false, "", "", "", 0, 0,
     "", ""},
    {"RMC sentence, year 2000 plus two digits", decoderInput("N0CALL>APRS:" + kRmc), kMidday, true, true,
     "N0CALL", "48.117300 N", " 11.516667 E", 48.1173, 11.516667, "3/23/2094 12:35:19", ""},
    {"GGA sentence dated by the PC clock", decoderInput("N0CALL>APRS:" + kGga), {2024, 6, 15, 12, 40, 0, 0}, true,
     true, "N0CALL", "48.117300 N", " 11.516667 E", 48.1173, 11.516667, "6/15/2024 12:35:19", ""},
    {"GGA at 23h received at 0h on the first of July",
     decoderInput("N0CALL>APRS:$GPGGA,235959,4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,,*47"),
     {2024, 7, 1, 0, 0, 5, 0}, true, true, "N0CALL", "48.117300 S", " 11.516667 W", -48.1173, -11.516667,
     "6/30/2024 23:59:59", ""},
    {"GGA without a fix", decoderInput("N0CALL>APRS:$GPGGA,123519,,,,,0,00,,,M,,M,,*66"), kMidday, true, false,
     "N0CALL", "", "", 0, 0, "", ""},
    {"RMC wins over an earlier GGA",
     decoderInput("N0CALL>APRS:$GPGGA,101010,1000.000,N,02000.000,E,1,08 " + kRmc), kMidday, true, true, "N0CALL",
     "48.117300 N", " 11.516667 E", 48.1173, 11.516667, "3/23/2094 12:35:19", ""},
    {"NMEA sentence beyond the decoded 255 characters", decoderInput("N0CALL>APRS:" + std::string(300, '.') + kRmc),
     kMidday, true, true, "N0CALL", "48.117300 N", " 11.516667 E", 48.1173, 11.516667, "3/23/2094 12:35:19", ""},
    {"NMEA needs the callsign first", decoderInput("XYZ*>APRS:" + kRmc), kMidday, false, false, "", "", "", 0, 0,
     "", ""},
    {"hemisphere letters are not checked",
     decoderInput("N0CALL>APRS:$GPRMC,123519,A,4807.038,x,01131.000,e,022.4,084.4,230394,003.1,W*6A"), kMidday,
     true, true, "N0CALL", "48.117300 x", " 11.516667 e", -48.1173, -11.516667, "3/23/2094 12:35:19", ""},
    {"NMEA coordinate without digits reads as 0",
     decoderInput("N0CALL>APRS:$GPRMC,123519,A,none,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"), kMidday, true,
     true, "N0CALL", " 0.000000 N", " 11.516667 E", 0.0, 11.516667, "3/23/2094 12:35:19", ""},
    {"NMEA coordinate that is not a finite number",
     decoderInput("N0CALL>APRS:$GPRMC,123519,A,inf,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"), kMidday, true,
     false, "N0CALL", "inf", "01131.000", 0, 0, "", ""},
    {"long NMEA field is cut to 31 characters",
     decoderInput("N0CALL>APRS:$GPRMC,123519,A,4807.03800000000000000000000000000000000009,N,01131.000,E,,,230394"),
     kMidday, true, true, "N0CALL", "48.117300 N", " 11.516667 E", 48.1173, 11.516667, "3/23/2094 12:35:19", ""},
    {"six-character latitude is refused", decoderInput("N0CALL>APRS:!4237.1N/07120.83W-"), kMidday, true, false,
     "N0CALL", "", "07120.83", 0, 0, "", ""},
    {"seven-character longitude is refused", decoderInput("N0CALL>APRS:!4237.14N/7120.83W-"), kMidday, true, false,
     "N0CALL", "4237.14", "", 0, 0, "", ""},
    {"a second dot restarts the run", decoderInput("N0CALL>APRS:!12.34.5678N/07120.83W-"), kMidday, true, false,
     "N0CALL", "", "07120.83", 0, 0, "", ""},
    {"the second dot is left out of the next run", decoderInput("N0CALL>APRS:!1.2.345678N/07120.83W-"), kMidday,
     true, false, "N0CALL", "", "07120.83", 0, 0, "", ""},
    {"a letter inside the number restarts the run", decoderInput("N0CALL>APRS:!42x37.14N/07120.83W-"), kMidday,
     true, false, "N0CALL", "", "07120.83", 0, 0, "", ""},
    {"a later position overwrites an earlier one",
     decoderInput("N0CALL>APRS:!4237.14N/07120.83W-then 1111.11S/02222.22E"), kMidday, true, true, "N0CALL",
     "11.185167 S", " 22.370333 E", -11.185167, 22.370333, "", ""},
    {"the precision extension adds a third decimal of minutes",
     decoderInput("N0CALL>APRS:!4237.14N/07120.83W-!W52!"), kMidday, true, true, "N0CALL", "42.619083 N",
     " 71.347200 W", 42.619083, -71.3472, "", ""},
    {"zero latitude south and zero longitude west", decoderInput("N0CALL>APRS:!0000.00S/00000.00W-"), kMidday,
     true, true, "N0CALL", " 0.000000 S", "  0.000000 W", 0.0, 0.0, "", ""},
    {"three-digit longitude east", decoderInput("VK2ABC>APRS:!3330.00S/15115.00E-"), kMidday, true, true, "VK2ABC",
     "33.500000 S", "151.250000 E", -33.5, 151.25, "", ""},
    {"degrees beyond 1000 are reduced modulo 1000", decoderInput("N0CALL>APRS:!123456.00N/1234560.00E-"), kMidday,
     true, true, "N0CALL", "234.933333 N", "346.000000 E", 234.933333, 346.0, "", ""},
    {"position past the first 255 characters is ignored",
     decoderInput("N0CALL>APRS:>" + std::string(250, 'x') + "!4237.14N/07120.83W-"), kMidday, true, false, "N0CALL",
     "", "", 0, 0, "", ""},
    {"PHG group", decoderInput("N0CALL>APRS:!4237.14N/07120.83W#PHG5132/Digi"), kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", "5132"},
    {"short PHG at the end of the line", decoderInput("N0CALL>APRS:!4237.14N/07120.83W-PHG51"), kMidday, true,
     true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", "51"},
    {"short PHG without line end", "N0CALL>APRS:!4237.14N/07120.83W-PHG51", kMidday, true, true, "N0CALL",
     "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", "51"},
    {"first PHG counts", decoderInput("N0CALL>APRS:>PHG2360 and PHG9999"), kMidday, true, false, "N0CALL", "", "",
     0, 0, "", "2360"},
    {"PHG beyond the decoded characters", decoderInput("N0CALL>APRS:>" + std::string(250, ' ') + "PHG5132"),
     kMidday, true, false, "N0CALL", "", "", 0, 0, "", ""},
    {"zero byte ends the line", "N0CALL>APRS:!4237.14N\0/07120.83W-\r\n"s, kMidday, true, false, "N0CALL",
     "4237.14", "", 0, 0, "", ""},
    {"Latin-1 bytes around a position", decoderInput("N0CALL>APRS:\xe9\xff!4237.14N/07120.83W-\x80"), kMidday,
     true, true, "N0CALL", "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"long source callsign is cut to 31 characters",
     decoderInput("N0CALL" + std::string(40, 'A') + ">APRS:!4237.14N/07120.83W-"), kMidday, true, true,
     "N0CALL" + std::string(25, 'A'), "42.619000 N", " 71.347167 W", 42.619, -71.347167, "", ""},
    {"overlong numeric run is cut to 31 characters",
     decoderInput("N0CALL>APRS:!" + std::string(30, '0') + "4237.14N/07120.83W-"), kMidday, true, true, "N0CALL",
     " 0.066667 N", " 71.347167 W", 0.066667, -71.347167, "", ""},
};

TEST(PacketDecoder, DecodesMonitoredLines) {
  for (const DecodeRow& row : kDecodeRows) {
    SCOPED_TRACE(row.name);
    FixedClock clock(unixFromCalendar(row.clock));
    PacketDecoder decoder(clock);
    decoder.beginLine(row.line);
    decoder.decode();
    const StationEntry& e = decoder.entry();
    EXPECT_EQ(e.callsignFound, row.callsignFound);
    EXPECT_EQ(e.positionValid, row.positionValid);
    EXPECT_EQ(e.sourceCall.view(), row.sourceCall);
    EXPECT_EQ(e.latitudeText.view(), row.latitudeText);
    EXPECT_EQ(e.longitudeText.view(), row.longitudeText);
    EXPECT_NEAR(e.latitudeDeg, row.latitudeDeg, 5e-7);
    EXPECT_NEAR(e.longitudeDeg, row.longitudeDeg, 5e-7);
    EXPECT_EQ(e.sentTime.view(), row.sentTime);
    EXPECT_EQ(e.phgDigits.view(), row.phgDigits);
    const std::string received = std::to_string(row.clock.month) + "/" + std::to_string(row.clock.day) + "/" +
                                 std::to_string(row.clock.year);
    if (row.positionValid) {
      EXPECT_EQ(e.receivedTime.view().substr(0, received.size()), received);
      EXPECT_EQ(e.receivedTime.size(), received.size() + 9);
    } else {
      EXPECT_TRUE(e.receivedTime.empty());
    }
  }
}

TEST(PacketDecoder, BeginLineStampsAndStoresTheLine) {
  FixedClock clock(unixFromCalendar({2026, 12, 6, 4, 5, 9, 0}));
  PacketDecoder decoder(clock);
  decoder.beginLine("N0CALL>APRS:!4237.14N/07120.83W-\r\n");
  EXPECT_EQ(decoder.entry().receivedTime.view(), "12/6/2026 04:05:09");
  EXPECT_EQ(decoder.entry().receptionClock.hour, 4);
  EXPECT_EQ(decoder.entry().receivedLine.view(), "N0CALL>APRS:!4237.14N/07120.83W-\r\n");

  const std::string longLine = "N0CALL>APRS:>" + std::string(2000, 'y');
  decoder.beginLine(longLine);
  EXPECT_EQ(decoder.entry().receivedLine.view(), std::string_view(longLine).substr(0, 1029));
}

TEST(PacketDecoder, NothingCarriesOverFromThePreviousLine) {
  FixedClock clock(unixFromCalendar(kMidday));
  PacketDecoder decoder(clock);
  decoder.beginLine(decoderInput("N0CALL>APRS:@092345z4237.14N/07120.83W#PHG5132"));
  decoder.decode();
  ASSERT_TRUE(decoder.entry().positionValid);
  ASSERT_EQ(decoder.entry().phgDigits.view(), "5132");

  decoder.beginLine(decoderInput("AB_C>APRS:plain text"));
  decoder.decode();
  const StationEntry& e = decoder.entry();
  EXPECT_FALSE(e.callsignFound);
  EXPECT_FALSE(e.positionValid);
  EXPECT_TRUE(e.sourceCall.empty());
  EXPECT_TRUE(e.latitudeText.empty());
  EXPECT_TRUE(e.longitudeText.empty());
  EXPECT_TRUE(e.sentTime.empty());
  EXPECT_TRUE(e.phgDigits.empty());
  EXPECT_EQ(e.latitudeDeg, 0.0);
  EXPECT_EQ(e.northSouth, '\0');
}

TEST(PacketDecoder, NeverTouchesTheTrackedFlag) {
  FixedClock clock(unixFromCalendar(kMidday));
  PacketDecoder decoder(clock);
  for (const char* line : {"N0CALL>APRS:!4237.14N/07120.83W-\r\n", "junk\r\n"}) {
    decoder.beginLine(line);
    decoder.decode();
    EXPECT_FALSE(decoder.entry().tracked);
  }
}

}  // namespace
}  // namespace tervane
