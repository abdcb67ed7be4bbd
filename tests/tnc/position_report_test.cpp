#include "tnc/position_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tervane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct PhgRow {
  const char* name;
  double powerW;
  double heightFt;
  double gainDb;
  double directionDeg;
  const char* digits;
};

// APRS PHG: power = P^2 W, height = 10 * 2^H ft, gain = G dB, direction =
// D * 45 deg; each input is exercised at and around its digit boundaries.
constexpr PhgRow kPhgRows[] = {
    {"example station 25 W, 40 ft, 3 dB, omni", 25, 40, 3, 0, "5230"},
    {"all zero", 0, 0, 0, 0, "0000"},
    {"power 0.5 W gives a leading zero", 0.5, 0, 0, 0, "0000"},
    {"power 1 W", 1, 0, 0, 0, "1000"},
    {"power 3.99 W truncates", 3.99, 0, 0, 0, "1000"},
    {"power 81 W", 81, 0, 0, 0, "9000"},
    {"power 1000 W held at 9", 1000, 0, 0, 0, "9000"},
    {"negative power", -4, 0, 0, 0, "0000"},
    {"height 15 ft", 0, 15, 0, 0, "0000"},
    {"height 19.99 ft", 0, 19.99, 0, 0, "0000"},
    {"height 20 ft", 0, 20, 0, 0, "0100"},
    {"height 39 ft", 0, 39, 0, 0, "0100"},
    {"height 40 ft", 0, 40, 0, 0, "0200"},
    {"height 80 ft", 0, 80, 0, 0, "0300"},
    {"height 5119 ft", 0, 5119, 0, 0, "0800"},
    {"height 5120 ft", 0, 5120, 0, 0, "0900"},
    {"height 100000 ft", 0, 100000, 0, 0, "0900"},
    {"negative height", 0, -50, 0, 0, "0000"},
    {"gain 6.9 dB truncates", 0, 0, 6.9, 0, "0060"},
    {"gain 12 dB held at 9", 0, 0, 12, 0, "0090"},
    {"negative gain", 0, 0, -3, 0, "0000"},
    {"direction 22.49 still omni", 0, 0, 0, 22.49, "0000"},
    {"direction 22.5 north-east", 0, 0, 0, 22.5, "0001"},
    {"direction 45", 0, 0, 0, 45, "0001"},
    {"direction 90", 0, 0, 0, 90, "0002"},
    {"direction 180", 0, 0, 0, 180, "0004"},
    {"direction 337.5 north", 0, 0, 0, 337.5, "0008"},
    {"direction 382.49", 0, 0, 0, 382.49, "0008"},
    {"direction 382.5", 0, 0, 0, 382.5, "0009"},
    {"direction 400", 0, 0, 0, 400, "0009"},
    {"direction -10 counts as 350", 0, 0, 0, -10, "0008"},
    {"direction -360 counts as 0", 0, 0, 0, -360, "0000"},
    {"direction -720.5 counts as 359.5", 0, 0, 0, -720.5, "0008"},
    {"direction -315 counts as 45", 0, 0, 0, -315, "0001"},
    {"NaN power", kNaN, 0, 0, 0, "0000"},
    {"infinite power", kInf, 0, 0, 0, "9000"},
    {"NaN height", 0, kNaN, 0, 0, "0000"},
    {"infinite height", 0, kInf, 0, 0, "0900"},
    {"NaN gain", 0, 0, kNaN, 0, "0000"},
    {"huge gain", 0, 0, 1e300, 0, "0090"},
    {"huge negative gain", 0, 0, -1e300, 0, "0000"},
    {"NaN direction", 0, 0, 0, kNaN, "0000"},
    {"infinite direction", 0, 0, 0, kInf, "0009"},
    {"minus infinite direction", 0, 0, 0, -kInf, "0000"},
};

TEST(ComputePhg, DigitsAtEveryBoundary) {
  for (const PhgRow& row : kPhgRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(computePhg(row.powerW, row.heightFt, row.gainDb, row.directionDeg), row.digits);
  }
}

TEST(ComputePhg, HugeNegativeDirectionStillGivesFourDigits) {
  for (double direction : {-1e300, -1e17, -123456789.25, -std::numeric_limits<double>::denorm_min()}) {
    SCOPED_TRACE(direction);
    const std::string digits = computePhg(0, 0, 0, direction);
    ASSERT_EQ(digits.size(), 4u);
    EXPECT_EQ(digits.substr(0, 3), "000");
    EXPECT_GE(digits[3], '0');
    EXPECT_LE(digits[3], '9');
  }
}

struct ReportRow {
  const char* name;
  CalendarTime utc;
  double latDeg;
  char latLetter;
  double lonDeg;
  char lonLetter;
  bool mobile;
  const char* phg;
  const char* comment;
  const char* text;
};

const ReportRow kReportRows[] = {
    {"fixed station 42.3601 N 71.0589 W on the 6th 14:05", {2024, 5, 6, 14, 5, 0, 0}, 42.3601, 'N', -71.0589,
     'W', false, "5230", "CQ", "/061405z4221.61N/07103.53W-PHG5230/CQ\r"},
    {"mobile station takes the car symbol", {2024, 5, 6, 14, 5, 0, 0}, 42.3601, 'N', -71.0589, 'W', true, "5230",
     "CQ", "/061405z4221.61N/07103.53W>PHG5230/CQ\r"},
    {"position still at 0, 0", {2024, 12, 31, 0, 0, 59, 0}, 0.0, 'S', 0.0, 'W', false, "0000", "",
     "/310000z0000.00S/00000.00W-PHG0000/\r"},
    {"southern and eastern hemisphere, padded degrees", {2024, 1, 1, 9, 7, 0, 0}, -33.5, 'S', 151.25, 'E', false,
     "5132", "Sydney", "/010907z3330.00S/15115.00E-PHG5132/Sydney\r"},
    {"single-digit degrees keep leading zeros", {2024, 1, 1, 23, 59, 0, 0}, 5.25, 'N', 5.25, 'E', false, "1000",
     "x", "/012359z0515.00N/00515.00E-PHG1000/x\r"},
    {"minutes rounding up to 60 carry into the degrees", {2024, 1, 1, 12, 0, 0, 0}, 42.999999, 'N',
     -179.9999999, 'W', false, "1000", "x", "/011200z4300.00N/18000.00W-PHG1000/x\r"},
};

TEST(BuildPositionReport, FixedAndMobileForms) {
  for (const ReportRow& row : kReportRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(buildPositionReport(row.utc, row.latDeg, row.latLetter, row.lonDeg, row.lonLetter, row.mobile,
                                  row.phg, row.comment),
              row.text);
  }
}

TEST(BuildPositionReport, F2TextCarriesConverseEscapeInFront) {
  const CalendarTime utc{2024, 5, 6, 14, 5, 0, 0};
  EXPECT_EQ(kConverseEscape, std::string("\x03" "conv\r"));
  EXPECT_EQ(buildF2Text(utc, 42.3601, 'N', -71.0589, 'W', false, "5230", "CQ"),
            std::string("\x03" "conv\r/061405z4221.61N/07103.53W-PHG5230/CQ\r"));
}

struct BeaconRow {
  const char* name;
  double latDeg;
  double lonDeg;
  const char* phg;
  const char* comment;
  const char* text;
};

constexpr BeaconRow kBeaconRows[] = {
    {"north-west, letters from the signs", 42.3601, -71.0589, "5230", "CQ",
     "BTEXT =4221.61N/07103.53W-PHG5230/CQ\r"},
    {"exactly 0, 0 counts as south and west", 0.0, 0.0, "0000", "", "BTEXT =0000.00S/00000.00W-PHG0000/\r"},
    {"south-east", -33.5, 151.25, "5132", "Sydney", "BTEXT =3330.00S/15115.00E-PHG5132/Sydney\r"},
    // 59.99994 minutes round to 60.00, which carries into the degrees: a
    // minute field of 60 is no position a receiver takes.
    {"minutes rounding up to 60 carry into the degrees", 0.999999, -179.999999, "1111", "edge",
     "BTEXT =0100.00N/18000.00W-PHG1111/edge\r"},
};

TEST(BuildBeaconText, AlwaysHouseSymbolAndDerivedLetters) {
  for (const BeaconRow& row : kBeaconRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(buildBeaconText(row.latDeg, row.lonDeg, row.phg, row.comment), row.text);
  }
}

TEST(ToDegreesMinutes, SignDroppedMinutesRoundedToHundredths) {
  struct Row {
    const char* name;
    double deg;
    double ddmm;
  };
  constexpr Row kRows[] = {
      {"42.3601", 42.3601, 4221.61},  {"-71.0589", -71.0589, 7103.53}, {"-33.5", -33.5, 3330.0},
      {"151.25", 151.25, 15115.0},    {"zero", 0.0, 0.0},              {"whole degrees", 7.0, 700.0},
      {"just below a whole degree", 42.999999, 4300.0},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_NEAR(toDegreesMinutes(row.deg), row.ddmm, 1e-9);
  }
}

TEST(BuildEmailLine, AddresseePaddedToNineAndTrailingBlank) {
  EXPECT_EQ(buildEmailLine("op@example.org"), ":EMAIL    :op@example.org ");
  EXPECT_EQ(buildEmailLine(""), ":EMAIL    : ");
}

}  // namespace
}  // namespace tervane
