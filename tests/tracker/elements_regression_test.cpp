// Inputs found by fuzzing the element file, kept as regression cases: a
// field whose sign is doubled is no number, as for the C conversions.
#include <gtest/gtest.h>

#include <string>

#include "tracker/element_file.h"
#include "tracker/elements.h"

namespace tervane {
namespace {

TEST(ElementNumberRegression, ASecondSignMakesNoNumber) {
  struct Row {
    const char* text;
    double decimal;
    long integer;
  };
  const Row rows[] = {
      {"--5", 0.0, 0},       {"+-5", 0.0, 0},     {"-+5", 0.0, 0},       {" - -5", 0.0, 0},
      {"--4500-5", 0.0, 0},  {"-5", -5.0, -5},    {"  -45.5", -45.5, -45}, {"+7", 7.0, 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_DOUBLE_EQ(readDecimal(row.text), row.decimal);
    EXPECT_EQ(readInteger(row.text), row.integer);
  }
}

TEST(ElementNumberRegression, DoubledSignsInElementFieldsReadAsZero) {
  // Columns: epoch 19-32, first derivative 34-43, second derivative
  // mantissa 45-50 and exponent 51-52; inclination 9-16 on line 2.
  const std::string text =
      "FUZZ FINDING\n"
      "1 25544U 98067A   --150.50000000 --.0001671 --4500-5 10270-3 0  9001\n"
      "2 25544 --1.6400 208.9163 0006317  69.9862  25.2906 15.49560830 12345\n";
  const auto records = scanElementText(text);
  ASSERT_EQ(records.size(), 1u);
  const Elements e = parseElements(records[0].line1.view(), records[0].line2.view());
  EXPECT_EQ(e.epoch, 0.0);
  EXPECT_EQ(e.meanMotionDot2, 0.0);
  EXPECT_EQ(e.meanMotionDdot6, 0.0);
  EXPECT_EQ(e.inclination, 0.0);
  EXPECT_DOUBLE_EQ(e.raan, 208.9163);
  EXPECT_DOUBLE_EQ(e.meanMotion, 15.4956083);
}

}  // namespace
}  // namespace tervane
