// NMEA input in read-only mode: the byte stream cut into sentences by the
// collector, and every sentence (and the whole input taken as one) read as
// GGA. A sentence read with its correct "*hh" checksum added must give the
// same fix as without it, and with a wrong one no fix.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "gps/nmea.h"

namespace {

using namespace tervane;

bool sameFix(const std::optional<GgaFix>& a, const std::optional<GgaFix>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  if (a->hour != b->hour || a->minute != b->minute || a->second != b->second || a->fixQuality != b->fixQuality ||
      a->position.has_value() != b->position.has_value()) {
    return false;
  }
  if (!a->position) return true;
  return a->position->latitudeDeg == b->position->latitudeDeg &&
         a->position->longitudeDeg == b->position->longitudeDeg &&
         a->position->latHemisphere == b->position->latHemisphere &&
         a->position->lonHemisphere == b->position->lonHemisphere;
}

void checkFix(const std::optional<GgaFix>& fix) {
  if (!fix) return;
  TERVANE_FUZZ_CHECK(fix->hour >= 0 && fix->hour <= 23);
  TERVANE_FUZZ_CHECK(fix->minute >= 0 && fix->minute <= 59);
  TERVANE_FUZZ_CHECK(fix->second >= 0 && fix->second <= 59);
  TERVANE_FUZZ_CHECK(fix->fixQuality >= -1);
  if (!fix->position) return;
  const StationPosition& p = *fix->position;
  TERVANE_FUZZ_CHECK(std::isfinite(p.latitudeDeg) && std::fabs(p.latitudeDeg) <= 90.0);
  TERVANE_FUZZ_CHECK(std::isfinite(p.longitudeDeg) && std::fabs(p.longitudeDeg) <= 180.0);
  TERVANE_FUZZ_CHECK(p.latHemisphere == 'N' || p.latHemisphere == 'S');
  TERVANE_FUZZ_CHECK(p.lonHemisphere == 'E' || p.lonHemisphere == 'W');
  TERVANE_FUZZ_CHECK(p.latHemisphere == 'N' ? !std::signbit(p.latitudeDeg) : p.latitudeDeg <= 0.0);
  TERVANE_FUZZ_CHECK(p.lonHemisphere == 'E' ? !std::signbit(p.longitudeDeg) : p.longitudeDeg <= 0.0);
}

std::string withChecksum(std::string_view sentence, unsigned sum) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(sentence);
  out += '*';
  out += kHex[(sum >> 4) & 0xF];
  out += kHex[sum & 0xF];
  return out;
}

void readSentence(std::string_view sentence) {
  const std::optional<GgaFix> fix = parseGga(sentence);
  checkFix(fix);
  if (sentence.empty() || sentence[0] != '$' || sentence.find('*') != std::string_view::npos) return;
  if (sentence.find_first_of("\r\n") != std::string_view::npos) return;
  const unsigned sum = nmeaChecksum(sentence.substr(1));
  TERVANE_FUZZ_CHECK(sameFix(parseGga(withChecksum(sentence, sum)), fix));
  TERVANE_FUZZ_CHECK(!parseGga(withChecksum(sentence, sum ^ 0x5A)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytesView(data, size);
  NmeaSentenceCollector collector;
  for (const char byte : input) {
    if (!collector.add(byte)) {
      TERVANE_FUZZ_CHECK(collector.sentence().empty());
      continue;
    }
    const std::string_view sentence = collector.sentence();
    TERVANE_FUZZ_CHECK(!sentence.empty() && sentence[0] == '$');
    TERVANE_FUZZ_CHECK(sentence.size() <= NmeaSentenceCollector::kMaxBytes);
    TERVANE_FUZZ_CHECK(sentence.find_first_of("\r\n") == std::string_view::npos);
    TERVANE_FUZZ_CHECK(sentence.find('$', 1) == std::string_view::npos);
    readSentence(sentence);
  }
  readSentence(input);
  return 0;
}
