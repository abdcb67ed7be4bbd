// The position forms beyond the plain text scan: Mic-E, compressed, hidden
// digits, objects and items, the three time stamps and GLL sentences. The
// expected values come from the APRS Protocol Reference's own examples where
// it gives them, and from the tests' own encoders for random positions.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "aprs/packet_decoder.h"
#include "tests/aprs/position_encoders.h"

namespace tervane {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegreeTolerance = 1e-4;
constexpr CalendarTime kMidday{2024, 6, 15, 12, 0, 0, 0};

struct FormRow {
  const char* name;
  std::string line;
  ReportKind kind;
  const char* objectName;
  bool killed;
  double latitudeDeg;
  double longitudeDeg;
  const char* symbol;  // table and code
  double courseDeg;
  double speedKnots;
  double altitudeFeet;
  int ambiguity;
  const char* sentTime;
  const char* micEMessage;
  const char* deviceName;
};

void expectNumber(double actual, double expected, double tolerance, const char* what) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(actual)) << what << " " << actual;
  } else {
    EXPECT_NEAR(actual, expected, tolerance) << what;
  }
}

StationEntry decodeLine(const std::string& line, const Clock& clock) {
  PacketDecoder decoder(clock);
  decoder.beginLine(line + "\r\n");
  decoder.decode();
  return decoder.entry();
}

// The reference's compressed example: 49 30' N, 72 45' W (72.750004 as its
// base-91 digits have it), car symbol.
const std::string kCompressed = "/5L!!<*e7>";
// The reference's Mic-E example (33 25.64 N, 112 07.74 W, 20 knots, course
// 251, jeep), message bits standard 1/0/0.
const std::string kMicEHeader = "N1TEST>S32UVT,WIDE1-1:";
const std::string kMicE = "`(_fn\"Oj/";

TEST(PositionForms, ProtocolReferenceExamplesAndTheirVariants) {
  const FormRow kRows[] = {
      {"compressed with course and speed", "N1TEST>APRS:!" + kCompressed + "7P[", ReportKind::Compressed, "", false,
       49.5, -72.750004, "/>", 88, 36.2, kNone, 0, "", "", ""},
      {"compressed altitude from a GGA fix", "N1TEST>APRS:=" + kCompressed + "S]1", ReportKind::Compressed, "", false,
       49.5, -72.750004, "/>", kNone, kNone, 10004.5, 0, "", "", ""},
      {"compressed with a zulu stamp", "N1TEST>APRS:@092345z" + kCompressed + "{?!", ReportKind::Compressed, "", false,
       49.5, -72.750004, "/>", kNone, kNone, kNone, 0, "6/15/2024 23:45", "", ""},
      {"compressed with an hour-minute-second stamp", "N1TEST>APRS:/234517h" + kCompressed + " sT",
       ReportKind::Compressed, "", false, 49.5, -72.750004, "/>", kNone, kNone, kNone, 0, "6/15/2024 23:45:17", "", ""},
      {"compressed overlay digit", "N1TEST>APRS:!c5L!!<*e7#  T", ReportKind::Compressed, "", false, 49.5, -72.750004,
       "2#", kNone, kNone, kNone, 0, "", "", ""},
      {"Mic-E", kMicEHeader + kMicE, ReportKind::MicE, "", false, 33.427333, -112.129, "/j", 251, 20, kNone, 0, "",
       "Returning", ""},
      {"Mic-E old fix", kMicEHeader + "'" + kMicE.substr(1), ReportKind::MicE, "", false, 33.427333, -112.129, "/j",
       251, 20, kNone, 0, "", "Returning", ""},
      {"Mic-E altitude and radio type", kMicEHeader + kMicE + "]\"4T}=", ReportKind::MicE, "", false, 33.427333,
       -112.129, "/j", 251, 20, 200.1, 0, "", "Returning", "Kenwood TM-D710"},
      {"Mic-E handheld type", kMicEHeader + kMicE + ">\"4T}^", ReportKind::MicE, "", false, 33.427333, -112.129, "/j",
       251, 20, 200.1, 0, "", "Returning", "Kenwood TH-D74"},
      {"Mic-E type byte and suffix", kMicEHeader + kMicE + "`\"4T}_%", ReportKind::MicE, "", false, 33.427333, -112.129,
       "/j", 251, 20, 200.1, 0, "", "Returning", "Yaesu FTM-400DR"},
      {"Mic-E altitude in the comment", kMicEHeader + kMicE + "Mobile /A=001234", ReportKind::MicE, "", false,
       33.427333, -112.129, "/j", 251, 20, 1234, 0, "", "Returning", ""},
      {"Mic-E hidden digits", "N1TEST>T4SQZZ:" + kMicE, ReportKind::MicE, "", false, 44.525, -112.125, "/j", 251, 20,
       kNone, 2, "", "In Service", ""},
      {"Mic-E emergency", "N1TEST>332UVT:" + kMicE, ReportKind::MicE, "", false, 33.427333, -112.129, "/j", 251, 20,
       kNone, 0, "", "Emergency", ""},
      {"Mic-E custom message", "N1TEST>DD2UVT:" + kMicE, ReportKind::MicE, "", false, 33.427333, -112.129, "/j", 251,
       20, kNone, 0, "", "Custom-1", ""},
      {"Mic-E mixed message bits", "N1TEST>SD2UVT:" + kMicE, ReportKind::MicE, "", false, 33.427333, -112.129, "/j",
       251, 20, kNone, 0, "", "Unknown", ""},
      {"Mic-E south and east, no offset", "N1TEST>S32564:" + kMicE, ReportKind::MicE, "", false, -33.427333, 12.129,
       "/j", 251, 20, kNone, 0, "", "Returning", ""},
      {"Mic-E precision extension", kMicEHeader + kMicE + "!w>f!", ReportKind::MicE, "", false, 33.427386, -112.129126,
       "/j", 251, 20, kNone, 0, "", "Returning", ""},
      {"Mic-E that lost a byte gives its position, no symbol, motion or misplaced altitude",
       kMicEHeader + "`(_fn\"O/]\"4T}", ReportKind::MicE, "", false, 33.427333, -112.129, "", kNone, kNone, kNone, 0,
       "", "Returning", ""},
      {"Mic-E with damaged motion bytes keeps its symbol", kMicEHeader + "`(_f\x01\x01\x01j/", ReportKind::MicE, "",
       false, 33.427333, -112.129, "/j", kNone, kNone, kNone, 0, "", "Returning", ""},
      {"Mic-E behind a third-party header", "N0CALL>APRS:}" + kMicEHeader + kMicE, ReportKind::MicE, "", false,
       33.427333, -112.129, "/j", 251, 20, kNone, 0, "", "Returning", ""},
      {"object", "N1TEST>APRS:;LEADER   *092345z4903.50N/07201.75W>088/036", ReportKind::Object, "LEADER", false,
       49.058333, -72.029167, "/>", 88, 36, kNone, 0, "6/15/2024 23:45", "", ""},
      {"killed object", "N1TEST>APRS:;LEADER   _092345z4903.50N/07201.75W>", ReportKind::Object, "LEADER", true,
       49.058333, -72.029167, "/>", kNone, kNone, kNone, 0, "6/15/2024 23:45", "", ""},
      {"compressed object with a stamp out of range", "N1TEST>APRS:;SEARCH   *204460z" + kCompressed + "  T",
       ReportKind::Object, "SEARCH", false, 49.5, -72.750004, "/>", kNone, kNone, kNone, 0, "", "", ""},
      {"object with the precision extension", "N1TEST>APRS:;LEADER   *092345z4903.50N/07201.75W>!W52!",
       ReportKind::Object, "LEADER", false, 49.058417, -72.0292, "/>", kNone, kNone, kNone, 0, "6/15/2024 23:45", "",
       ""},
      {"plain position with the base-91 precision extension, south and east",
       "N1TEST>APRS:!3330.00S/15115.00E-!w5Z!", ReportKind::Plain, "", false, -33.500037, 151.250104, "/-", kNone,
       kNone, kNone, 0, "", "", ""},
      {"the precision extension after a time stamp and course",
       "N1TEST>APRS:/001936h3635.43N/11934.93W>088/036!W93!", ReportKind::Plain, "", false, 36.59065, -119.582217, "/>",
       88, 36, kNone, 0, "", "", ""},
      {"hidden digits take no precision extension", "N1TEST>APRS:=4903.5 N/07201.75W-!W52!", ReportKind::Plain, "",
       false, 49.059167, -72.029167, "/-", kNone, kNone, kNone, 1, "", "", ""},
      {"a compressed position takes no precision extension", "N1TEST>APRS:!" + kCompressed + "7P[!W52!",
       ReportKind::Compressed, "", false, 49.5, -72.750004, "/>", 88, 36.2, kNone, 0, "", "", ""},
      {"item", "N1TEST>APRS:)AID #2!4903.50N/07201.75W!", ReportKind::Item, "AID #2", false, 49.058333, -72.029167,
       "/!", kNone, kNone, kNone, 0, "", "", ""},
      {"killed item", "N1TEST>APRS:)AID #2_4903.50N/07201.75W!", ReportKind::Item, "AID #2", true, 49.058333,
       -72.029167, "/!", kNone, kNone, kNone, 0, "", "", ""},
      {"hundredths hidden", "N1TEST>APRS:=4903.5 N/07201.75W-", ReportKind::Plain, "", false, 49.059167, -72.029167,
       "/-", kNone, kNone, kNone, 1, "", "", ""},
      {"decimals hidden", "N1TEST>APRS:=4903.  N/07201.  W-", ReportKind::Plain, "", false, 49.058333, -72.025, "/-",
       kNone, kNone, kNone, 2, "", "", ""},
      {"minutes hidden", "N1TEST>APRS:=490 .  N/0720 .  W-", ReportKind::Plain, "", false, 49.083333, -72.083333, "/-",
       kNone, kNone, kNone, 3, "", "", ""},
      {"tens of minutes hidden", "N1TEST>APRS:=49  .  N/072  .  W-", ReportKind::Plain, "", false, 49.5, -72.5, "/-",
       kNone, kNone, kNone, 4, "", "", ""},
      {"the latitude's blanks hide the longitude's digits too", "N1TEST>APRS:!4903.  N/07201.75W-PHG5132",
       ReportKind::Plain, "", false, 49.058333, -72.025, "/-", kNone, kNone, kNone, 2, "", "", ""},
      {"hidden digits with a local stamp", "N1TEST>APRS:@092345/4903.  N/07201.  W>270/010/A=000500", ReportKind::Plain,
       "", false, 49.058333, -72.025, "/>", 270, 10, 500, 2, "6/15/2024 23:45", "", ""},
      {"small hemisphere letters", "N1TEST>APRS:=4903.50n/07201.75w-", ReportKind::Plain, "", false, 49.058333,
       -72.029167, "/-", kNone, kNone, kNone, 0, "", "", ""},
      {"GLL sentence", "N1TEST>APRS:$GPGLL,4916.45,N,12311.12,W,225444,A*31", ReportKind::Nmea, "", false, 49.274167,
       -123.185333, "", kNone, kNone, kNone, 0, "6/15/2024 22:54:44", "", ""},
      {"plain position with course, speed and altitude", "N1TEST>APRS:/092345z4903.50N/07201.75W>088/036/A=001234",
       ReportKind::Plain, "", false, 49.058333, -72.029167, "/>", 88, 36, 1234, 0, "6/15/2024 23:45", "", ""},
      {"weather wind is no course", "N1TEST>APRS:!4903.50N/07201.75W_220/004g005t077", ReportKind::Plain, "", false,
       49.058333, -72.029167, "/_", kNone, kNone, kNone, 0, "", "", ""},
      {"RMC speed and course", "N1TEST>APRS:$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
       ReportKind::Nmea, "", false, 48.1173, 11.516667, "", 84.4, 22.4, kNone, 0, "3/23/2094 12:35:19", "", ""},
      {"GGA altitude", "N1TEST>APRS:$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
       ReportKind::Nmea, "", false, 48.1173, 11.516667, "", kNone, kNone, 1789.4, 0, "6/15/2024 12:35:19", "", ""},
  };
  const FixedClock clock(unixFromCalendar(kMidday));
  for (const FormRow& row : kRows) {
    SCOPED_TRACE(row.name);
    const StationEntry e = decodeLine(row.line, clock);
    ASSERT_TRUE(e.positionValid);
    EXPECT_EQ(e.reportKind, row.kind);
    EXPECT_EQ(e.sourceCall, "N1TEST");
    EXPECT_EQ(e.objectName, row.objectName);
    EXPECT_EQ(e.killed, row.killed);
    EXPECT_NEAR(e.latitudeDeg, row.latitudeDeg, 1e-6);
    EXPECT_NEAR(e.longitudeDeg, row.longitudeDeg, 1e-6);
    const std::string symbol = e.symbolTable == '\0' ? "" : std::string{e.symbolTable, e.symbolCode};
    EXPECT_EQ(symbol, row.symbol);
    expectNumber(e.courseDeg, row.courseDeg, 1e-9, "course");
    expectNumber(e.speedKnots, row.speedKnots, 0.05, "speed");
    expectNumber(e.altitudeFeet, row.altitudeFeet, 0.5, "altitude");
    EXPECT_EQ(e.ambiguity, row.ambiguity);
    EXPECT_EQ(e.sentTime, row.sentTime);
    EXPECT_EQ(e.micEMessage, row.micEMessage);
    EXPECT_EQ(e.deviceName, row.deviceName);
  }
}

TEST(PositionForms, RadioRangeFromCompressedAndPlainReports) {
  const FixedClock clock(unixFromCalendar(kMidday));
  EXPECT_NEAR(decodeLine("N1TEST>APRS:!" + kCompressed + "{?!", clock).radioRangeMiles, 20.1, 0.05);
  EXPECT_EQ(decodeLine("N1TEST>APRS:!4903.50N/07201.75W&RNG0050 2m voice", clock).radioRangeMiles, 50.0);
}

TEST(PositionForms, ALocalStampIsTakenInThePcTimeZoneAndShownInUtc) {
  // 12:00 UTC is 08:00 at UTC-4; 23:45 local on the 15th is 03:45 UTC on the
  // 16th.
  const FixedClock clock(unixFromCalendar(kMidday), -4 * 3600);
  EXPECT_EQ(decodeLine("N1TEST>APRS:@152345/" + kCompressed + "  T", clock).sentTime, "6/16/2024 03:45");
}

TEST(PositionForms, MalformedReportsGiveNoPosition) {
  struct Row {
    const char* name;
    std::string line;
  };
  const Row kRows[] = {
      {"Mic-E destination of five characters", "N1TEST>S32UV:" + kMicE},
      {"Mic-E message letter where only position letters may stand", "N1TEST>S32UKT:" + kMicE},
      {"Mic-E digit after a hidden one", "N1TEST>S3L5VT:" + kMicE},
      {"Mic-E minutes past 59", "N1TEST>S36UVT:" + kMicE},
      {"Mic-E latitude past 90 degrees", "N1TEST>Y0RUVT:" + kMicE},
      {"Mic-E information field too short", kMicEHeader + kMicE.substr(0, 8)},
      {"compressed latitude outside base 91", "N1TEST>APRS:!/5L!~<*e7>7P["},
      {"compressed too short", "N1TEST>APRS:!/5L!!<*e7>7P"},
      {"a digit after a hidden one", "N1TEST>APRS:=49 3.50N/07201.75W-"},
      {"a longitude hiding more digits than the latitude", "N1TEST>APRS:=5210.  N/021  .  E?"},
      {"object name not followed by '*' or '_'", "N1TEST>APRS:;LEADER*092345z4903.50N/07201.75W>"},
      {"object latitude past 90", "N1TEST>APRS:;LEADER   *092345z9100.00N/07201.75W>"},
      {"object with a blank name", "N1TEST>APRS:;         *092345z4903.50N/07201.75W>"},
      {"item name of two characters", "N1TEST>APRS:)AB!4903.50N/07201.75W!"},
      {"item name of ten characters", "N1TEST>APRS:)ABCDEFGHIJ!4903.50N/07201.75W!"},
      {"GLL without a hemisphere", "N1TEST>APRS:$GPGLL,4916.45,,12311.12,W,225444,A"},
      {"no callsign: nothing, whatever the form", "AB_C>APRS:!" + kCompressed + "7P["},
  };
  const FixedClock clock(unixFromCalendar(kMidday));
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const StationEntry e = decodeLine(row.line, clock);
    EXPECT_FALSE(e.positionValid);
    EXPECT_EQ(e.reportKind, ReportKind::None);
    EXPECT_TRUE(e.objectName.empty());
  }
}

TEST(PositionForms, ThePlainTextScanComesFirstExceptForObjects) {
  const FixedClock clock(unixFromCalendar(kMidday));
  // A plain position in a Mic-E status text overrides the encoded one, as
  // the reference says it should.
  const StationEntry micE = decodeLine(kMicEHeader + kMicE + " 4237.14N/07120.83W", clock);
  EXPECT_EQ(micE.reportKind, ReportKind::Plain);
  EXPECT_NEAR(micE.latitudeDeg, 42.619, 1e-6);
  // An object's position is the object's, under its name; the sending
  // station keeps its callsign and gets no position from it.
  const StationEntry object = decodeLine("N1TEST>APRS:;LEADER   *092345z4903.50N/07201.75W>", clock);
  EXPECT_EQ(stationName(object), "LEADER");
  EXPECT_EQ(object.sourceCall, "N1TEST");
  // Nothing of an object stays with the next report.
  PacketDecoder decoder(clock);
  for (const char* line :
       {"N1TEST>APRS:;LEADER   _092345z4903.50N/07201.75W>\r\n", "N1TEST>APRS:!4903.50N/07201.75W-\r\n"}) {
    decoder.beginLine(line);
    decoder.decode();
  }
  const StationEntry& e = decoder.entry();
  EXPECT_EQ(e.reportKind, ReportKind::Plain);
  EXPECT_FALSE(e.killed);
  EXPECT_TRUE(e.objectName.empty());
  EXPECT_EQ(stationName(e), "N1TEST");
}

TEST(PositionForms, EncodedPositionsDecodeBackEverywhereOnTheGlobe) {
  using namespace encode;
  std::vector<std::pair<double, double>> positions = {
      {0, 0},          {90, 180},       {-90, -180},     {90, -180},    {-90, 180},   {0, 5.5},
      {-0.01, -5.5},   {42.36, -71.06}, {-33.87, 151.2}, {51.5, -0.12}, {10, 105.25}, {-45, -150.75},
      {89.999, 99.99}, {-1, 100},       {1, -109.99},    {60, 110},     {12, 9.99},   {-12, -10},
  };
  std::mt19937 random(16);
  std::uniform_real_distribution<double> latitude(-90.0, 90.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  for (int i = 0; i < 2000; ++i) positions.emplace_back(latitude(random), longitude(random));

  const FixedClock clock(unixFromCalendar(kMidday));
  for (const auto& [lat, lon] : positions) {
    SCOPED_TRACE(testing::Message() << lat << " " << lon);
    const StationEntry object = decodeLine("N1TEST>APRS:;ROUNDTRIP*092345z" + plainCoordinates(lat, lon), clock);
    ASSERT_EQ(object.reportKind, ReportKind::Object);
    EXPECT_NEAR(object.latitudeDeg, lat, kDegreeTolerance);
    EXPECT_NEAR(object.longitudeDeg, lon, kDegreeTolerance);

    const StationEntry compressed = decodeLine("N1TEST>APRS:!" + compressedPosition(lat, lon), clock);
    ASSERT_EQ(compressed.reportKind, ReportKind::Compressed);
    EXPECT_NEAR(compressed.latitudeDeg, lat, kDegreeTolerance);
    EXPECT_NEAR(compressed.longitudeDeg, lon, kDegreeTolerance);

    const double micELongitude = std::clamp(lon, -kMicELongitudeLimit, kMicELongitudeLimit);
    const int speed = static_cast<int>(std::fabs(lat)) * 7;
    const int course = 1 + static_cast<int>(std::fabs(lon) * 2) % 360;
    const MicE packed = micE(lat, micELongitude, speed, course);
    const StationEntry mobile = decodeLine("N1TEST>" + packed.destination + ":" + packed.information, clock);
    ASSERT_EQ(mobile.reportKind, ReportKind::MicE) << packed.destination << " " << packed.information;
    EXPECT_NEAR(mobile.latitudeDeg, lat, kDegreeTolerance);
    EXPECT_NEAR(mobile.longitudeDeg, micELongitude, kDegreeTolerance);
    EXPECT_EQ(mobile.speedKnots, speed);
    EXPECT_EQ(mobile.courseDeg, course);
    EXPECT_EQ(mobile.micEMessage, "En Route");
  }
}

}  // namespace
}  // namespace tervane
