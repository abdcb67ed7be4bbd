#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "gps/nmea.h"

namespace tervane {
namespace {

// "$" + body + "*hh", the checksum computed here independently.
std::string sentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X", sum);
  return "$" + body + tail;
}

std::vector<std::string> collect(const std::string& stream) {
  NmeaSentenceCollector collector;
  std::vector<std::string> out;
  for (char c : stream) {
    if (collector.add(c)) out.emplace_back(collector.sentence());
  }
  return out;
}

TEST(NmeaCollector, CutsSentencesFromTheByteStream) {
  struct Row {
    const char* name;
    std::string stream;
    std::vector<std::string> sentences;
  };
  const std::string longest = "$" + std::string(999, 'A');
  const Row rows[] = {
      {"CR LF line ends, noise before", "noise\n$GPGGA,1*00\r\n$GPRMC,2\r\n", {"$GPGGA,1*00", "$GPRMC,2"}},
      {"LF only", "$A\n$B\n", {"$A", "$B"}},
      {"a '$' restarts an unfinished sentence", "$GPG$GPGGA,x\r", {"$GPGGA,x"}},
      {"no line end yet", "$GPGGA,123519", {}},
      {"1000 bytes fit", longest + "\r", {longest}},
      {"longer is dropped whole", longest + "B\r$OK\r", {"$OK"}},
      {"line ends without a sentence", "\r\n\r\n", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(collect(row.stream), row.sentences);
  }
}

struct GgaRow {
  const char* name;
  std::string text;
  int hour, minute, second;
  bool hasPosition;
  double latitudeDeg, longitudeDeg;
  char latLetter, lonLetter;
  int fixQuality;
};

TEST(GgaReader, ReadsFieldsWhateverTheirWidth) {
  const GgaRow rows[] = {
      {"six-digit time", sentence("GPGGA,123519,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,"), 12, 35, 19,
       true, 48.1173, 11.0 + 31.0 / 60, 'N', 'E', 1},
      {"fractional time", sentence("GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,"), 14, 30,
       32, true, 42.3612, -71.0573, 'N', 'W', 1},
      {"three decimals of a second, two and six of a minute",
       sentence("GPGGA,095257.809,4221.60,N,07103.600000,W,2,08,0.9,1,M,1,M,,"), 9, 52, 57, true, 42.36, -71.06, 'N',
       'W', 2},
      {"GN talker", sentence("GNGGA,143102.00,4221.7440,N,07103.2760,W,1,08,0.9,12.7,M,-33.8,M,,"), 14, 31, 2, true,
       42.3624, -71.0546, 'N', 'W', 1},
      {"southern and western", sentence("GPGGA,235959,3354.0000,S,15112.0000,W,1,05,1.2,3.0,M,20.1,M,,"), 23, 59,
       59, true, -33.9, -151.2, 'S', 'W', 1},
      {"no fix: time only", sentence("GPGGA,143000,,,,,0,00,99.9,,M,,M,,"), 14, 30, 0, false, 0, 0, 0, 0, 0},
      {"no checksum", "$GPGGA,010203,0030.0000,N,00030.0000,E,1,04,2.0,0,M,0,M,,", 1, 2, 3, true, 0.5, 0.5, 'N', 'E',
       1},
      {"empty fix quality, CR LF", sentence("GPGGA,010203,0030.0000,N,00030.0000,E,,04,2.0,0,M,0,M,,") + "\r\n", 1, 2,
       3, true, 0.5, 0.5, 'N', 'E', -1},
      {"equator with its own letter", sentence("GPGGA,010203,0000.0000,N,00000.0000,E,1,04,2.0,0,M,0,M,,"), 1, 2, 3,
       true, 0, 0, 'N', 'E', 1},
  };
  for (const GgaRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<GgaFix> fix = parseGga(row.text);
    ASSERT_TRUE(fix.has_value()) << row.text;
    EXPECT_EQ(fix->hour, row.hour);
    EXPECT_EQ(fix->minute, row.minute);
    EXPECT_EQ(fix->second, row.second);
    EXPECT_EQ(fix->fixQuality, row.fixQuality);
    ASSERT_EQ(fix->position.has_value(), row.hasPosition);
    if (!row.hasPosition) continue;
    EXPECT_NEAR(fix->position->latitudeDeg, row.latitudeDeg, 1e-9);
    EXPECT_NEAR(fix->position->longitudeDeg, row.longitudeDeg, 1e-9);
    EXPECT_EQ(fix->position->latHemisphere, row.latLetter);
    EXPECT_EQ(fix->position->lonHemisphere, row.lonLetter);
  }
  std::string lowered = sentence("GPGGA,235959,3354.0000,S,15112.0000,W,1,05,1.2,3.0,M,20.1,M,,");
  ASSERT_EQ(lowered.substr(lowered.size() - 3), "*4D");
  for (std::size_t i = lowered.find('*') + 1; i < lowered.size(); ++i) {
    lowered[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowered[i])));
  }
  EXPECT_TRUE(parseGga(lowered).has_value()) << "hex digits of either case: " << lowered;
}

TEST(GgaReader, RejectsWhatCouldMoveTheStationWrongly) {
  const std::string good = "GPGGA,123519,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,";
  std::string wrongChecksum = sentence(good);
  wrongChecksum.back() = wrongChecksum.back() == '0' ? '1' : '0';
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"wrong checksum", wrongChecksum},
      {"one-digit checksum", "$" + good + "*4"},
      {"another sentence", sentence("GPRMC,123519,A,4807.0380,N,01131.0000,E,0.0,0.0,071225,,,A")},
      {"another talker", sentence("GLGGA,123519,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"five time digits", sentence("GPGGA,12351,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"letter in the time", sentence("GPGGA,1235a9,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"hour 24", sentence("GPGGA,240000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"60 minutes of latitude", sentence("GPGGA,123519,4860.0000,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"latitude beyond the pole", sentence("GPGGA,123519,9100.0000,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"signed latitude", sentence("GPGGA,123519,-4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"two points", sentence("GPGGA,123519,4807.0380,N,01131.00.00,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"unknown latitude letter", sentence("GPGGA,123519,4807.0380,X,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")},
      {"fix quality not a number", sentence("GPGGA,123519,4807.0380,N,01131.0000,E,x,08,0.9,545.4,M,46.9,M,,")},
      {"too few fields", sentence("GPGGA,123519,4807.0380,N")},
      {"no dollar", good},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(parseGga(row.text).has_value()) << row.text;
  }
}

TEST(RmcReader, TakesTheDateOfValidFixesOnly) {
  struct Row {
    const char* name;
    std::string text;
    const char* expected;  // "yyyy-mm-dd hh:mm:ss" or nothing
  };
  const Row rows[] = {
      {"valid fix", sentence("GPRMC,235959.00,A,4807.0380,N,01131.0000,E,0.0,0.0,311226,,,A"), "2026-12-31 23:59:59"},
      {"GNSS talker, two-digit year of the last century", sentence("GNRMC,000001,A,,,,,,,010199,,,A"),
       "1999-01-01 00:00:01"},
      {"leap day", sentence("GPRMC,120000,A,,,,,,,290228,,,A"), "2028-02-29 12:00:00"},
      {"void fix", sentence("GPRMC,120000,V,4807.0380,N,01131.0000,E,0.0,0.0,071225,,,N"), nullptr},
      {"no date", sentence("GPRMC,120000,A,4807.0380,N,01131.0000,E,0.0,0.0,,,,A"), nullptr},
      {"29 February of a common year", sentence("GPRMC,120000,A,,,,,,,290227,,,A"), nullptr},
      {"month 13", sentence("GPRMC,120000,A,,,,,,,011326,,,A"), nullptr},
      {"wrong checksum", sentence("GPRMC,120000,A,,,,,,,071225,,,A").replace(1, 1, "N"), nullptr},
      {"a GGA sentence", sentence("GPGGA,123519,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,"), nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<RmcTime> t = parseRmcTime(row.text);
    if (row.expected == nullptr) {
      EXPECT_FALSE(t) << row.text;
      continue;
    }
    ASSERT_TRUE(t) << row.text;
    char shown[32];
    std::snprintf(shown, sizeof shown, "%04d-%02d-%02d %02d:%02d:%02d", t->date.year, t->date.month, t->date.day,
                  t->hour, t->minute, t->second);
    EXPECT_STREQ(shown, row.expected);
  }
}

// The fixed-column reading of a "$GPGGA" sentence: time at columns 7-12,
// latitude from the 10 characters at column 14, its letter at 24, longitude
// from the 11 characters at 26, its letter at 37 (column 0 is the '$').
struct ColumnReading {
  int hour, minute, second;
  double latitudeDeg, longitudeDeg;
  char latLetter, lonLetter;
};

double columnDegrees(const std::string& text) {
  const double v = std::atof(text.c_str()) * 0.01;
  const double whole = std::trunc(v);
  return whole + (v - whole) * 1.6666666666666667;
}

ColumnReading readAtColumns(std::string s) {
  s.resize(std::max<std::size_t>(s.size(), 40), '\0');
  ColumnReading r{};
  r.hour = std::atoi(s.substr(7, 2).c_str());
  r.minute = std::atoi(s.substr(9, 2).c_str());
  r.second = std::atoi(s.substr(11, 2).c_str());
  r.latLetter = s[24];
  r.lonLetter = s[37];
  r.latitudeDeg = columnDegrees(s.substr(14, 10));
  r.longitudeDeg = columnDegrees(s.substr(26, 11));
  if (r.latLetter == 'S') r.latitudeDeg = -r.latitudeDeg;
  if (r.lonLetter == 'W') r.longitudeDeg = -r.longitudeDeg;
  return r;
}

TEST(GgaReader, AgreesExactlyWithTheFixedColumnsOnWellFormedSentences) {
  std::mt19937 random(20251207);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 5000; ++i) {
    char body[128];
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d,%02d%02d.%04d,%c,%03d%02d.%04d,%c,1,08,0.9,%d.%d,M,-33.8,M,,",
                  pick(24), pick(60), pick(60), pick(90), pick(60), pick(10000), "NS"[pick(2)], pick(180), pick(60),
                  pick(10000), "EW"[pick(2)], pick(3000), pick(10));
    const std::string text = i % 2 == 0 ? sentence(body) : "$" + std::string(body);
    SCOPED_TRACE(text);
    const ColumnReading expected = readAtColumns(text);
    const std::optional<GgaFix> fix = parseGga(text);
    ASSERT_TRUE(fix.has_value());
    ASSERT_TRUE(fix->position.has_value());
    EXPECT_EQ(fix->hour, expected.hour);
    EXPECT_EQ(fix->minute, expected.minute);
    EXPECT_EQ(fix->second, expected.second);
    EXPECT_EQ(fix->position->latitudeDeg, expected.latitudeDeg);
    EXPECT_EQ(fix->position->longitudeDeg, expected.longitudeDeg);
    EXPECT_EQ(fix->position->latHemisphere, expected.latLetter);
    EXPECT_EQ(fix->position->lonHemisphere, expected.lonLetter);
  }
}

// Damaged sentences (without a checksum to catch the damage) never give a
// time or position out of range.
TEST(GgaReader, DamagedSentencesStayInRange) {
  const std::string good = "$GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,";
  const std::string alphabet = "0123456789.,-+eENSWX$* ";
  std::mt19937 random(42);
  for (int round = 0; round < 20000; ++round) {
    std::string text = good;
    for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
      const std::size_t at = random() % text.size();
      switch (random() % 3) {
        case 0:
          text[at] = alphabet[random() % alphabet.size()];
          break;
        case 1:
          text.erase(at, 1);
          break;
        default:
          text.insert(at, 1, alphabet[random() % alphabet.size()]);
      }
      if (text.empty()) text = "$";
    }
    const std::optional<GgaFix> fix = parseGga(text);
    if (!fix) continue;
    SCOPED_TRACE(text);
    ASSERT_LE(fix->hour, 23);
    ASSERT_LE(fix->minute, 59);
    ASSERT_LE(fix->second, 59);
    if (!fix->position) continue;
    ASSERT_LE(std::fabs(fix->position->latitudeDeg), 90.0);
    ASSERT_LE(std::fabs(fix->position->longitudeDeg), 180.0);
    ASSERT_TRUE(fix->position->latHemisphere == 'N' || fix->position->latHemisphere == 'S');
    ASSERT_TRUE(fix->position->lonHemisphere == 'E' || fix->position->lonHemisphere == 'W');
  }
}

TEST(GgaReader, FractionalSecondsNoLongerShiftThePosition) {
  const std::string text = sentence("GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,");
  const ColumnReading columns = readAtColumns(text);
  EXPECT_LT(std::fabs(columns.latitudeDeg), 1.0) << "the fixed columns read the seconds as latitude";
  const std::optional<GgaFix> fix = parseGga(text);
  ASSERT_TRUE(fix && fix->position);
  EXPECT_NEAR(fix->position->latitudeDeg, 42.3612, 1e-9);
  EXPECT_NEAR(fix->position->longitudeDeg, -71.0573, 1e-9);
}

}  // namespace
}  // namespace tervane
