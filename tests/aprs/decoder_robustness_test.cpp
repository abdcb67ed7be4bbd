// Random and mutated monitor lines: the decoder must stay inside its buffers
// (run this under ASan+UBSan) and its record must stay self-consistent. The
// plain-text position search is also checked against a direct, quadratic
// reading of the numeric-run definition: wherever it finds a position, that
// position is the result (objects and items aside), and only where it finds
// none may a packed form give one.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_format.h"
#include "aprs/packet_decoder.h"

namespace tervane {
namespace {

constexpr std::size_t kFieldMax = 31;

const std::vector<std::string> kTemplates = {
    "N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test\r\n",
    "N0CALL>APRS:@092345z4237.14N/07120.83W>PHG5132/mobile\r\n",
    "cmd:N1TEST-9>APU25N,WIDE1-1,WIDE2-1:=4903.50N/07201.75W-PHG2360/Digi\r\n",
    "N0CALL>APRS:}N1TEST>APRS,TCPIP,N0CALL*:!4237.14S/07120.83E-\r\n",
    "N0CALL>GPSLK:$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n",
    "N0CALL>GPS:$GPGGA,235959,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
    "N0CALL>GPS:$GPGGA,123519,,,,,0,00,,,M,,M,,*66\r\n",
    "W1AW>APRS,TCPIP*:/150815h4237.14N/07120.83W_090/005g010t072\r\n",
    "KA1ABC-5>T2SP0W,WIDE1-1:`c51!f?>/]\"4f}=\r\n",
    "N0CALL>APRS::N1TEST   :hello{01\r\n",
    "cmd:cmd:\r\n",
    "VK2ABC>APRS:;OBJECT   *092345z3330.00S/15115.00E-\r\n",
    "N1TEST>APRS:)AID #2!4903.50N/07201.75W!\r\n",
    "N1TEST>APRS:!/5L!!<*e7>7P[\r\n",
    "N1TEST>APRS:@092345z/5L!!<*e7>{?!\r\n",
    "N1TEST>TRRQ6Q:`c[QoFO>/]\"4T}=\r\n",
    "N1TEST>APRS:=4903.5 N/07201.75W-\r\n",
    "N1TEST>APRS:$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n",
    "VACA>APNU19,WR6ABD*:!3824.71N/12206.81W#PHG5600!W52!\r\n",
    "N0CALL>APRS:}SEA>TWSRRQ,TCPIP:'22]l \x1c#/]SEA !wJ,!\r\n",
    "N1TEST>S32UVT:`(_fn\"O/]\"4T}\r\n",
};

const std::string kAlphabet = "0123456789.NSEWzZ>}:$,/- cmdPHGPRMCGA\r\nN0CALL`'!=@;)_*h{|";
// Mostly digits and dots, to reach every shape of numeric run.
const std::string kNumericAlphabet = "0123456789012345678901234567890123456789....NSEWzZ/";

struct RawAprsPosition {
  std::string latitude;
  std::string longitude;
  char northSouth = '\0';
  char eastWest = '\0';
  bool zulu = false;
};

// The plain-text position search read straight from its definition, with
// numRun recomputed through isNumericRun at every position.
RawAprsPosition referenceScan(std::string_view working) {
  const std::size_t n = working.size();
  std::vector<std::size_t> numRun(n + 1, 0);
  std::vector<std::size_t> digitRun(n + 1, 0);
  std::size_t start = 0;
  for (std::size_t j = 1; j <= n; ++j) {
    if (isNumericRun(working, start, j)) {
      numRun[j] = numRun[j - 1] + 1;
    } else {
      numRun[j] = 0;
      start = j;
    }
    digitRun[j] = (working[j - 1] >= '0' && working[j - 1] <= '9') ? digitRun[j - 1] + 1 : 0;
  }
  RawAprsPosition raw;
  for (std::size_t k = 0; k < n; ++k) {
    const char c = working[k];
    if ((c == 'N' || c == 'S') && numRun[k] >= 7) {
      raw.latitude = std::string(working.substr(k - numRun[k], numRun[k]));
      raw.northSouth = c;
    } else if ((c == 'E' || c == 'W') && numRun[k] >= 8) {
      raw.longitude = std::string(working.substr(k - numRun[k], numRun[k]));
      raw.eastWest = c;
    } else if ((c == 'z' || c == 'Z') && digitRun[k] >= 6) {
      raw.zulu = true;
    }
  }
  return raw;
}

std::string cut(std::string_view text) { return std::string(text.substr(0, kFieldMax)); }

double referenceDegrees(const std::string& text) {
  const double v = std::fmod(std::strtod(text.c_str(), nullptr) * 0.01, 1000.0);
  const double whole = std::trunc(v);
  return whole + (v - whole) * 1.6666666666666667;
}

// The display texts as printf writes them, cut at a zero hemisphere letter
// as the record's zero-terminated text is.
std::string latitudeShown(double value, char letter) { return FixedText<32>(textf("%9.6f %c", value, letter)).str(); }
std::string longitudeShown(double value, char letter) {
  return FixedText<32>(textf("%10.6f %c", value, letter)).str();
}

class LineMaker {
 public:
  explicit LineMaker(unsigned seed) : random_(seed) {}

  std::string next() {
    switch (pick(5)) {
      case 0:
        return randomBytes(pick(1100));
      case 1:
        return fromAlphabet(kAlphabet, pick(300));
      case 2:
        return "N0CALL>APRS:" + fromAlphabet(kNumericAlphabet, pick(120));
      default:
        return mutated();
    }
  }

 private:
  std::size_t pick(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound)(random_); }
  char anyByte() { return static_cast<char>(pick(255)); }

  std::string randomBytes(std::size_t length) {
    std::string s(length, '\0');
    for (char& c : s) c = anyByte();
    return s;
  }
  std::string fromAlphabet(const std::string& alphabet, std::size_t length) {
    std::string s(length, '\0');
    for (char& c : s) c = alphabet[pick(alphabet.size() - 1)];
    return s;
  }
  std::string mutated() {
    std::string s = kTemplates[pick(kTemplates.size() - 1)];
    const std::size_t edits = 1 + pick(4);
    for (std::size_t e = 0; e < edits; ++e) {
      const std::size_t at = s.empty() ? 0 : pick(s.size() - 1);
      switch (pick(6)) {
        case 0:
          if (!s.empty()) s[at] = anyByte();
          break;
        case 1:
          if (!s.empty()) s[at] = kAlphabet[pick(kAlphabet.size() - 1)];
          break;
        case 2:
          s.insert(at, 1, kAlphabet[pick(kAlphabet.size() - 1)]);
          break;
        case 3:
          if (!s.empty()) s.erase(at, 1 + pick(5));
          break;
        case 4:
          s.resize(at);
          break;
        case 5:
          s.insert(at, s.substr(at, pick(40)));
          break;
        default:
          s += kTemplates[pick(kTemplates.size() - 1)];
          break;
      }
    }
    if (pick(8) == 0) s.insert(0, std::string(pick(300), kAlphabet[pick(kAlphabet.size() - 1)]));
    return s;
  }

  std::mt19937 random_;
};

const CalendarTime kClocks[] = {
    {2024, 6, 15, 12, 0, 0, 0},
    {2025, 1, 1, 0, 0, 1, 0},
    {2024, 3, 1, 0, 30, 0, 0},
    {2023, 12, 31, 23, 59, 59, 0},
};

// The information field's first character, behind any prompt and
// third-party headers; '\0' when the line has none.
char dataType(std::string_view working) {
  const std::size_t prompt = working.rfind("cmd:");
  std::string_view rest = prompt == std::string_view::npos ? working : working.substr(prompt + 4);
  for (;;) {
    const std::size_t close = rest.find('>');
    const std::size_t colon = close == std::string_view::npos ? close : rest.find(':', close + 1);
    if (colon == std::string_view::npos || colon + 1 >= rest.size()) return '\0';
    rest = rest.substr(colon + 1);
    if (rest.front() != '}') return rest.front();
    rest.remove_prefix(1);
  }
}

// "!DAO!" with a letter for the datum, anywhere in the text.
bool hasPrecisionExtension(std::string_view text) {
  for (std::size_t at = text.find('!'); at != std::string_view::npos && at + 4 < text.size();
       at = text.find('!', at + 1)) {
    const char datum = text[at + 1];
    if (text[at + 4] == '!' && ((datum >= 'A' && datum <= 'Z') || (datum >= 'a' && datum <= 'z'))) return true;
  }
  return false;
}

void checkEntry(const std::string& line, const CalendarTime& now, const StationEntry& e) {
  const std::string_view kept = std::string_view(line).substr(0, std::min(line.find('\0'), std::size_t{1029}));
  ASSERT_EQ(e.receivedLine.view(), kept);
  const std::string_view working = kept.substr(0, PacketDecoder::kDecodedLength);

  ASSERT_EQ(e.callsignFound, !e.sourceCall.empty());
  if (e.callsignFound) {
    // A name of any shape only from a line that starts with a packet header.
    ASSERT_TRUE(isCallsign(e.sourceCall.view()) ||
                (isStationName(e.sourceCall.view()) && working.find("cmd:") == std::string_view::npos &&
                 working.find(':') != std::string_view::npos))
        << e.sourceCall.view();
  } else {
    ASSERT_FALSE(e.positionValid);
  }
  ASSERT_FALSE(e.tracked);

  if (!e.phgDigits.empty()) {
    const std::size_t at = working.find("PHG");
    ASSERT_NE(at, std::string_view::npos);
    ASSERT_EQ(working.substr(at + 3, e.phgDigits.size()), e.phgDigits.view());
    ASSERT_EQ(e.phgDigits.view().find_first_of("\r\n"), std::string_view::npos);
  } else if (e.callsignFound) {
    const std::size_t at = working.find("PHG");
    if (at != std::string_view::npos && at + 3 < working.size()) {
      ASSERT_TRUE(working[at + 3] == '\r' || working[at + 3] == '\n');
    }
  }

  if (e.positionValid) {
    ASSERT_TRUE(std::isfinite(e.latitudeDeg));
    ASSERT_TRUE(std::isfinite(e.longitudeDeg));
    ASSERT_LT(std::fabs(e.latitudeDeg), 1002.0);
    ASSERT_LT(std::fabs(e.longitudeDeg), 1002.0);
    const double latitude = e.northSouth == 'N' ? e.latitudeDeg : -e.latitudeDeg;
    const double longitude = e.eastWest == 'E' ? e.longitudeDeg : -e.longitudeDeg;
    ASSERT_EQ(e.latitudeText.view(), latitudeShown(latitude, e.northSouth));
    ASSERT_EQ(e.longitudeText.view(), longitudeShown(longitude, e.eastWest));
    char received[64];
    std::snprintf(received, sizeof received, "%d/%d/%d %02d:%02d:%02d", now.month, now.day, now.year, now.hour,
                  now.minute, now.second);
    ASSERT_EQ(e.receivedTime.view(), received);
    ASSERT_NE(e.reportKind, ReportKind::None);
    ASSERT_EQ(isObjectOrItem(e), !e.objectName.empty());
    ASSERT_TRUE(e.ambiguity >= 0 && e.ambiguity <= 4);
  } else {
    ASSERT_EQ(e.latitudeDeg, 0.0);
    ASSERT_EQ(e.longitudeDeg, 0.0);
    ASSERT_TRUE(e.sentTime.empty());
    ASSERT_TRUE(e.receivedTime.empty());
    ASSERT_EQ(e.reportKind, ReportKind::None);
    ASSERT_TRUE(e.objectName.empty());
    ASSERT_FALSE(e.killed);
  }
  if (e.positionValid && e.reportKind != ReportKind::Plain && e.reportKind != ReportKind::Nmea) {
    // The packed forms give positions on the globe.
    ASSERT_LE(std::fabs(e.latitudeDeg), 90.0);
    ASSERT_LE(std::fabs(e.longitudeDeg), 180.0);
  }

  const bool nmea = kept.find("$GPRMC") != std::string_view::npos || kept.find("$GPGGA") != std::string_view::npos;
  if (!e.callsignFound || nmea) return;
  const char type = dataType(working);
  if (type == ';' || type == ')') {
    // An object's position is never the sender's.
    ASSERT_TRUE(!e.positionValid || isObjectOrItem(e));
    return;
  }
  ASSERT_FALSE(isObjectOrItem(e));
  const RawAprsPosition raw = referenceScan(working);
  if (raw.latitude.empty() || raw.longitude.empty()) {
    if (!e.positionValid) {
      ASSERT_EQ(e.latitudeText.view(), cut(raw.latitude));
      ASSERT_EQ(e.longitudeText.view(), cut(raw.longitude));
    }
    return;
  }
  ASSERT_TRUE(e.positionValid);
  ASSERT_EQ(e.reportKind, ReportKind::Plain);
  ASSERT_EQ(e.ambiguity, 0);
  ASSERT_EQ(e.northSouth, raw.northSouth);
  ASSERT_EQ(e.eastWest, raw.eastWest);
  if (hasPrecisionExtension(working)) {
    // "!DAO!" adds less than a hundredth of a minute.
    constexpr double kPrecisionDeg = 0.01 / 60;
    ASSERT_NEAR(std::fabs(e.latitudeDeg), referenceDegrees(cut(raw.latitude)), kPrecisionDeg);
    ASSERT_NEAR(std::fabs(e.longitudeDeg), referenceDegrees(cut(raw.longitude)), kPrecisionDeg);
  } else {
    ASSERT_DOUBLE_EQ(std::fabs(e.latitudeDeg), referenceDegrees(cut(raw.latitude)));
    ASSERT_DOUBLE_EQ(std::fabs(e.longitudeDeg), referenceDegrees(cut(raw.longitude)));
  }
  ASSERT_EQ(!e.sentTime.empty(), raw.zulu);
}

TEST(PacketDecoderRobustness, RandomAndMutatedLinesKeepTheRecordConsistent) {
  LineMaker maker(20240615u);
  std::size_t valid = 0;
  std::size_t withCallsign = 0;
  constexpr int kLines = 60000;
  for (int i = 0; i < kLines; ++i) {
    const CalendarTime& now = kClocks[static_cast<std::size_t>(i) % std::size(kClocks)];
    FixedClock clock(unixFromCalendar(now));
    PacketDecoder decoder(clock);
    const std::string line = maker.next();
    decoder.beginLine(line);
    decoder.decode();
    checkEntry(line, now, decoder.entry());
    if (HasFatalFailure()) {
      ADD_FAILURE() << "line " << i << ": " << testing::PrintToString(line);
      return;
    }
    valid += decoder.entry().positionValid ? 1 : 0;
    withCallsign += decoder.entry().callsignFound ? 1 : 0;
  }
  // The mix must reach the interesting paths, not only reject noise.
  EXPECT_GT(valid, static_cast<std::size_t>(kLines / 20));
  EXPECT_GT(withCallsign, static_cast<std::size_t>(kLines / 4));
}

TEST(PacketDecoderRobustness, EveryByteValueInEveryPositionOfAReport) {
  const std::string base = "N0CALL>APRS:@092345z4237.14N/07120.83W#PHG5132\r\n";
  FixedClock clock(unixFromCalendar(kClocks[1]));
  PacketDecoder decoder(clock);
  for (std::size_t at = 0; at < base.size(); ++at) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string line = base;
      line[at] = static_cast<char>(byte);
      decoder.beginLine(line);
      decoder.decode();
      checkEntry(line, kClocks[1], decoder.entry());
      if (HasFatalFailure()) {
        ADD_FAILURE() << "byte " << byte << " at " << at;
        return;
      }
    }
  }
}

}  // namespace
}  // namespace tervane
