#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tracker/elements.h"

namespace tervane {
namespace {

const std::string kLine1 = "1 88888U          80275.98708465  .00073094  13844-3  66816-4 0    87";
const std::string kLine2 = "2 88888  72.8435 115.9689 0086731  52.6988 110.5714 16.05824518  1058";

std::string withField(std::string line, Column column, const std::string& text) {
  return line.replace(static_cast<std::size_t>(column.first - 1), text.size(), text);
}

struct FieldCase {
  const char* what;
  std::string line1;
  std::string line2;
  double Elements::*field;
  double expected;
};

TEST(ElementParse, ReadsEachFieldFromItsColumns) {
  using namespace line1_columns;
  using namespace line2_columns;
  const FieldCase cases[] = {
      {"epoch", kLine1, kLine2, &Elements::epoch, 80275.98708465},
      {"epoch of year 02", withField(kLine1, kEpoch, "02001.50000000"), kLine2, &Elements::epoch, 2001.5},
      {"first derivative", kLine1, kLine2, &Elements::meanMotionDot2, 0.00073094},
      {"negative first derivative", withField(kLine1, kMeanMotionDot2, "-.00000047"), kLine2,
       &Elements::meanMotionDot2, -0.00000047},
      {"second derivative", kLine1, kLine2, &Elements::meanMotionDdot6, 0.13844e-3},
      {"second derivative -12345-4", withField(kLine1, kMeanMotionDdot6Mantissa, "-12345-4"), kLine2,
       &Elements::meanMotionDdot6, -0.12345e-4},
      {"second derivative all zero", withField(kLine1, kMeanMotionDdot6Mantissa, " 00000-0"), kLine2,
       &Elements::meanMotionDdot6, 0.0},
      {"second derivative, positive exponent", withField(kLine1, kMeanMotionDdot6Mantissa, " 50000+1"), kLine2,
       &Elements::meanMotionDdot6, 5.0},
      {"inclination", kLine1, kLine2, &Elements::inclination, 72.8435},
      {"inclination with its hundreds digit in column 9", kLine1, withField(kLine2, kInclination, "101.2345"),
       &Elements::inclination, 101.2345},
      {"right ascension of the node", kLine1, kLine2, &Elements::raan, 115.9689},
      {"eccentricity", kLine1, kLine2, &Elements::eccentricity, 0.0086731},
      {"eccentricity 0001234", kLine1, withField(kLine2, kEccentricity, "0001234"), &Elements::eccentricity,
       0.0001234},
      {"argument of perigee", kLine1, kLine2, &Elements::argPerigee, 52.6988},
      {"mean anomaly", kLine1, kLine2, &Elements::meanAnomaly, 110.5714},
      {"mean motion", kLine1, kLine2, &Elements::meanMotion, 16.05824518},
      {"mean motion ends at column 63 though the revolution number follows", kLine1,
       withField(kLine2, Column{64, 68}, "29265"), &Elements::meanMotion, 16.05824518},
      {"a malformed field reads as its numeric prefix", kLine1, withField(kLine2, kArgPerigee, " 12.5abc"),
       &Elements::argPerigee, 12.5},
      {"a field with no number reads as 0", kLine1, withField(kLine2, kMeanAnomaly, "  ??????"),
       &Elements::meanAnomaly, 0.0},
      {"columns past the end of a short line read as 0", kLine1, kLine2.substr(0, 50) + "\n",
       &Elements::meanMotion, 0.0},
      {"a line end inside a field ends it", kLine1, kLine2.substr(0, 58) + "\n", &Elements::meanMotion, 16.058},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_DOUBLE_EQ(parseElements(c.line1, c.line2).*c.field, c.expected);
  }
  EXPECT_EQ(catalogNumberOf(kLine1), 88888);
}

TEST(ElementParse, LinesWhoseFieldsAreNotAllNumbersGiveNoOrbit) {
  using namespace line1_columns;
  using namespace line2_columns;
  struct Row {
    const char* what;
    std::string line1;
    std::string line2;
    bool readable;
  };
  const Row rows[] = {
      {"complete lines", kLine1 + "\n", kLine2 + "\n", true},
      {"blank second derivative sign and negative exponent", withField(kLine1, kMeanMotionDdot6Mantissa, " 00000-0"),
       kLine2, true},
      {"revolution number and checksum missing", kLine1, kLine2.substr(0, 63) + "\n", true},
      {"second line cut in the mean motion", kLine1, kLine2.substr(0, 58) + "\n", false},
      {"second line cut after the eccentricity", kLine1, kLine2.substr(0, 40) + "\n", false},
      {"first line cut in the epoch", kLine1.substr(0, 25) + "\n", kLine2, false},
      {"letters in the inclination", kLine1, withField(kLine2, kInclination, " 72.84ab"), false},
      {"a blank eccentricity digit", kLine1, withField(kLine2, kEccentricity, "00867 1"), false},
      {"two decimal points in the epoch", withField(kLine1, kEpoch, "80275.987.8465"), kLine2, false},
      {"blank mean anomaly", kLine1, withField(kLine2, kMeanAnomaly, "        "), false},
      {"zero mean motion", kLine1, withField(kLine2, kMeanMotion, " 0.00000000"), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(elementLinesReadable(row.line1, row.line2), row.readable);
  }
}

TEST(ElementParse, NumbersReadLikeTheCConversions) {
  struct Row {
    const char* text;
    double decimal;
    long integer;
  };
  const Row rows[] = {{"  42", 42.0, 42}, {"+7.5", 7.5, 7},   {"-.25", -0.25, 0}, {"1e3x", 1000.0, 1},
                      {"  - 5", 0.0, 0},  {"abc", 0.0, 0},    {"1e-999", 0.0, 1}, {".", 0.0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_DOUBLE_EQ(readDecimal(row.text), row.decimal);
    EXPECT_EQ(readInteger(row.text), row.integer);
  }
  EXPECT_TRUE(std::isinf(readDecimal("1e999")));
}

}  // namespace
}  // namespace tervane
