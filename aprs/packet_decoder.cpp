#include "aprs/packet_decoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "aprs/compressed_position.h"
#include "aprs/mic_e.h"
#include "base/text_format.h"

namespace tervane {

namespace {

using namespace std::string_view_literals;

constexpr std::size_t kNotFound = std::string_view::npos;

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Character classes of the APRS text scan: a table lookup keeps the pass
// over up to 255 characters cheap, and the letters that end a field are
// single bits so the scan can mask out those it no longer looks for.
enum ScanClass : std::uint8_t {
  kOther = 0,
  kDigit = 1,
  kDot = 2,
  kLatitudeLetter = 4,
  kLongitudeLetter = 8,
  kZuluLetter = 16,
};

constexpr std::array<std::uint8_t, 256> kScanClass = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = kDigit;
  table['.'] = kDot;
  table['N'] = kLatitudeLetter;
  table['S'] = kLatitudeLetter;
  table['E'] = kLongitudeLetter;
  table['W'] = kLongitudeLetter;
  table['z'] = kZuluLetter;
  table['Z'] = kZuluLetter;
  return table;
}();

// The numeric run that ends just before `end`: digits with at most one
// '.', where any other character or a second '.' ends a run and is itself
// left out of the next one. Within a stretch of digits and dots that means
// the run starts after the last dot of an even count (the second, fourth,
// ... dot of the stretch each end a run). `digits` counts the digits alone
// directly before `end`.
struct NumericRun {
  std::size_t length = 0;
  std::size_t digits = 0;
};

NumericRun numericRunBefore(std::string_view text, std::size_t end) {
  NumericRun run;
  std::size_t begin = end;
  std::size_t dots = 0;
  std::size_t lastDot = 0;
  std::size_t dotBeforeLast = 0;
  while (begin > 0) {
    const std::uint8_t scanClass = kScanClass[static_cast<unsigned char>(text[begin - 1])];
    if (scanClass == kDot) {
      // Going backwards the first dot met is the stretch's last one.
      if (dots == 0) {
        lastDot = begin - 1;
        run.digits = end - begin;
      } else if (dots == 1) {
        dotBeforeLast = begin - 1;
      }
      ++dots;
    } else if (scanClass != kDigit) {
      break;
    }
    --begin;
  }
  if (dots == 0) {
    run.digits = end - begin;
    run.length = end - begin;
  } else if (dots == 1) {
    run.length = end - begin;
  } else {
    const std::size_t runStart = (dots % 2 == 0 ? lastDot : dotBeforeLast) + 1;
    run.length = end - runStart;
  }
  return run;
}

// A latitude needs DDMM.mm (7 characters), a longitude DDDMM.mm (8), a zulu
// stamp DDHHMM (6 digits).
constexpr std::size_t kMinLatitudeRun = 7;
constexpr std::size_t kMinLongitudeRun = 8;
constexpr std::size_t kMinZuluDigits = 6;

// The last latitude, longitude and zulu stamp letters of a text, found
// from its end.
struct FieldEnds {
  explicit FieldEnds(std::string_view scanned) : text(scanned) {}

  // Looks at the letter at k (k >= 1), behind which the text is unseen.
  void consider(std::size_t k) {
    const std::uint8_t scanClass = kScanClass[static_cast<unsigned char>(text[k])] & wanted;
    if (scanClass == 0 || (kScanClass[static_cast<unsigned char>(text[k - 1])] & (kDigit | kDot)) == 0) return;
    const NumericRun run = numericRunBefore(text, k);
    if (scanClass == kLatitudeLetter && run.length >= kMinLatitudeRun) {
      latitudeEnd = k;
      latitudeLength = run.length;
      wanted &= static_cast<std::uint8_t>(~kLatitudeLetter);
    } else if (scanClass == kLongitudeLetter && run.length >= kMinLongitudeRun) {
      longitudeEnd = k;
      longitudeLength = run.length;
      wanted &= static_cast<std::uint8_t>(~kLongitudeLetter);
    } else if (scanClass == kZuluLetter && run.digits >= kMinZuluDigits) {
      zuluEnd = k;
      zuluLength = run.length;
      wanted &= static_cast<std::uint8_t>(~kZuluLetter);
    }
  }

  std::string_view text;
  std::uint8_t wanted = kLatitudeLetter | kLongitudeLetter | kZuluLetter;
  std::size_t latitudeEnd = 0, latitudeLength = 0;
  std::size_t longitudeEnd = 0, longitudeLength = 0;
  std::size_t zuluEnd = 0, zuluLength = 0;
};

// Sixteen characters compared at once (vector registers where the machine
// has them; the compiler lowers the same code to plain loops elsewhere).
constexpr std::size_t kScanBlock = 16;
using ScanBlock = unsigned char __attribute__((vector_size(kScanBlock)));

// One bit per character of the 16 at `block` that is a field-ending letter
// right after a digit or dot (bit i for block[i]); the character before
// `block` must exist.
std::uint32_t fieldEndsInBlock(const char* block) {
  ScanBlock letters;
  ScanBlock before;
  std::memcpy(&letters, block, kScanBlock);
  std::memcpy(&before, block - 1, kScanBlock);
  const auto letter = (letters == 'N') | (letters == 'S') | (letters == 'E') | (letters == 'W') | (letters == 'z') |
                      (letters == 'Z');
  const auto numeric = ((before - '0') < 10) | (before == '.');
  const auto found = letter & numeric;
  std::uint64_t halves[2];
  std::memcpy(halves, &found, sizeof halves);
  if ((halves[0] | halves[1]) == 0) return 0;
  // Each byte is 0x00 or 0xFF: gather the low bit of the eight bytes of a
  // half into one byte (the multiplication adds each into its own bit).
  constexpr std::uint64_t kLowBits = 0x0101010101010101;
  constexpr std::uint64_t kGather = 0x0102040810204080;
  const auto low = static_cast<std::uint32_t>(((halves[0] & kLowBits) * kGather) >> 56);
  const auto high = static_cast<std::uint32_t>(((halves[1] & kLowBits) * kGather) >> 56);
  return low | (high << 8);
}

// NMEA field numbers after the sentence name.
constexpr std::size_t kNmeaTime = 1;
constexpr std::size_t kRmcLatitude = 3;
constexpr std::size_t kRmcNorthSouth = 4;
constexpr std::size_t kRmcLongitude = 5;
constexpr std::size_t kRmcEastWest = 6;
constexpr std::size_t kRmcDate = 9;
constexpr std::size_t kGgaLatitude = 2;
constexpr std::size_t kGgaNorthSouth = 3;
constexpr std::size_t kGgaLongitude = 4;
constexpr std::size_t kGgaEastWest = 5;
constexpr std::size_t kRmcSpeedKnots = 7;
constexpr std::size_t kRmcCourse = 8;
constexpr std::size_t kGgaAltitude = 9;
constexpr std::size_t kGgaAltitudeUnit = 10;
constexpr std::size_t kSentenceNameLength = 5;

constexpr double kMinutesToDegrees = 1.6666666666666667;  // 100 / 60 on the DD.MMmm scale
constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

// Every text field of the station record holds at most this many characters.
constexpr std::size_t kMaxTextLength = 31;

// Third-party headers inside third-party headers are followed this deep.
constexpr int kMaxThirdPartyDepth = 4;
constexpr std::size_t kObjectNameLength = 9;
constexpr std::size_t kMinItemNameLength = 3;
constexpr std::size_t kMaxItemNameLength = 9;
constexpr std::int64_t kSecondsPerMinute = 60;

// The value of the leading decimal digits, reduced modulo `modulus`. Callers
// only use the low digits (HHMMSS, DDMMYY, HHMM), so the reduction gives the
// same digits as the full number and cannot overflow however long the run.
long leadingDigitsModulo(std::string_view text, long modulus) {
  long value = 0;
  for (char c : text) {
    if (!isAsciiDigit(c)) break;
    value = (value * 10 + (c - '0')) % modulus;
  }
  return value;
}

// Digits with at most one '.' and at most 15 significant digits, such as
// every coordinate of a monitored line: an integer and a power of ten both
// exact in a double, whose one correctly rounded quotient is what strtod
// reads. False for any other text.
bool readPlainDecimal(std::string_view text, double& value) {
  constexpr int kMaxSignificant = 15;
  constexpr int kMaxDecimals = 22;
  static constexpr double kPowersOfTen[kMaxDecimals + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::uint64_t mantissa = 0;
  int significant = 0;  // digits from the first non-zero one
  int decimals = 0;
  int dots = 0;
  for (char c : text) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
    if (digit < 10) {
      mantissa = mantissa * 10 + digit;
      significant += mantissa != 0;
      decimals += dots;
    } else if (c != '.' || ++dots > 1) {
      return false;
    }
  }
  if (text.size() == static_cast<std::size_t>(dots) || significant > kMaxSignificant || decimals > kMaxDecimals) {
    return false;
  }
  value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  return true;
}

// A number as strtod reads it (leading blanks, sign, decimals, exponent), but
// independent of the process locale. Text without digits reads as 0; a value
// that is not a finite double comes back as NaN.
double readNumber(std::string_view text) {
  double plain = 0.0;
  if (readPlainDecimal(text, plain)) return plain;
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  if (at < text.size() && text[at] == '+') {
    ++at;
    if (at < text.size() && text[at] == '-') return 0.0;
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (ec == std::errc::invalid_argument) return 0.0;
  if (ec == std::errc::result_out_of_range) {
    // Too small a value reads as 0, as strtod reads it. The texts decoded
    // (at most 31 characters) underflow only through a negative exponent.
    const std::string_view token(text.data() + at, static_cast<std::size_t>(end - (text.data() + at)));
    const std::size_t mark = token.find_first_of("eE");
    return mark != kNotFound && mark + 1 < token.size() && token[mark + 1] == '-' ? 0.0 : kNoNumber;
  }
  if (!std::isfinite(value)) return kNoNumber;
  return value;
}

// An NMEA number field that holds one; NaN when it is empty or no number.
double optionalNumber(std::string_view field) {
  if (field.empty() || (!isAsciiDigit(field.front()) && field.front() != '-' && field.front() != '.')) return kNoNumber;
  return readNumber(field);
}

// "00" "01" ... "99", for writing numbers two digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes two digits of `pair` (0..99) at `at`; returns the new end.
std::size_t putPair(char* text, std::size_t at, std::uint32_t pair) {
  std::memcpy(text + at, kDigitPairs + 2 * pair, 2);
  return at + 2;
}

// Small formatter for the fixed shapes the decoder writes; sized so that no
// shape it is given can overrun, the record field then cuts to 31.
class TextBuilder {
 public:
  void put(char c) {
    if (size_ < kCapacity) buffer_[size_++] = c;
  }
  void put(std::string_view text) {
    const std::size_t n = std::min(text.size(), kCapacity - size_);
    std::memcpy(buffer_ + size_, text.data(), n);
    size_ += n;
  }
  // "%d"
  void putInt(long long value) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    if (ec == std::errc()) put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  // "%02d"
  void putTwoDigits(long long value) {
    if (value >= 0 && value <= 9) put('0');
    putInt(value);
  }
  // "%<width>.6f" for the bounded values of decimal degrees. Below 10,000
  // the product with a million is off the exact one by less than 1e-6, so
  // rounding it to whole millionths gives printf's digits unless it lies
  // that close to a half; there, and for larger values, the exact library
  // conversion decides. Digits go out two at a time.
  void putFixed6(double value, std::size_t width) {
    constexpr double kScale = 1e6;
    constexpr double kLargest = 1e4;
    constexpr double kHalfMargin = 1e-6;
    constexpr std::uint32_t kMillion = 1000000;
    char digits[64];
    std::size_t length = 0;
    const double magnitude = std::fabs(value);
    const double scaled = magnitude < kLargest ? magnitude * kScale : 0.0;
    const auto whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (magnitude < kLargest && std::fabs(fraction - 0.5) > kHalfMargin) {
      const std::uint64_t millionths = whole + (fraction > 0.5 ? 1 : 0);
      const auto units = static_cast<std::uint32_t>(millionths / kMillion);
      const auto decimals = static_cast<std::uint32_t>(millionths - std::uint64_t{units} * kMillion);
      if (std::signbit(value)) digits[length++] = '-';
      if (units >= 1000) {
        length = putPair(digits, length, units / 100);
      } else if (units >= 100) {
        digits[length++] = static_cast<char>('0' + units / 100);
      }
      if (units >= 10) {
        length = putPair(digits, length, units % 100);
      } else {
        digits[length++] = static_cast<char>('0' + units);
      }
      digits[length++] = '.';
      length = putPair(digits, length, decimals / 10000);
      length = putPair(digits, length, decimals / 100 % 100);
      length = putPair(digits, length, decimals % 100);
    } else {
      const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
      if (ec != std::errc()) return;
      length = static_cast<std::size_t>(end - digits);
    }
    for (std::size_t pad = length; pad < width; ++pad) put(' ');
    put(std::string_view(digits, length));
  }
  std::string_view view() const { return std::string_view(buffer_, size_); }

 private:
  static constexpr std::size_t kCapacity = 128;
  char buffer_[kCapacity];
  std::size_t size_ = 0;
};

// "M/D/YYYY HH:MM"; NMEA times add ":SS".
void putDateTime(TextBuilder& out, long long month, long long day, long long year, long long hour,
                 long long minute) {
  out.putInt(month);
  out.put('/');
  out.putInt(day);
  out.put('/');
  out.putInt(year);
  out.put(' ');
  out.putTwoDigits(hour);
  out.put(':');
  out.putTwoDigits(minute);
}

struct CivilDate {
  int year;
  int month;
  int day;
};

// A report stamped 23h that arrives when the PC clock already shows 0h UTC
// was made on the previous day; that day may lie in the previous month or
// year.
CivilDate reportDate(const CalendarTime& reception, long reportHour) {
  CivilDate date{reception.year, reception.month, reception.day};
  if (reportHour != 23 || reception.hour != 0) return date;
  if (date.day > 1) {
    --date.day;
    return date;
  }
  if (date.month <= 1) {
    date.month = 12;
    --date.year;
  } else {
    --date.month;
  }
  date.day = daysInMonth(date.year, date.month);
  return date;
}

// The time of a report, "M/D/YYYY HH:MM", with ":SS" for a second of 0 or
// more.
FixedText<32> reportTimeText(const CivilDate& date, long hour, long minute, long second) {
  TextBuilder out;
  putDateTime(out, date.month, date.day, date.year, hour, minute);
  if (second >= 0) {
    out.put(':');
    out.putTwoDigits(second);
  }
  return FixedText<32>(out.view());
}
constexpr long kNoSecond = -1;

// An empty view may carry a null pointer, which FixedText would hand to
// memchr; an empty text is stored by clearing.
template <std::size_t Capacity>
void store(FixedText<Capacity>& field, std::string_view text) {
  if (text.empty()) {
    field.clear();
  } else {
    field = text;
  }
}

// The monitored text after the last TNC command prompt "cmd:". Every prompt
// ends in a ':', and a monitored line holds only a few of them, so the
// search steps from colon to colon.
std::string_view afterLastPrompt(std::string_view text) {
  constexpr std::string_view kPromptWord = "cmd"sv;
  std::size_t restStart = 0;
  for (std::size_t colon = text.find(':'); colon != kNotFound; colon = text.find(':', colon + 1)) {
    if (colon >= kPromptWord.size() && text.substr(colon - kPromptWord.size(), kPromptWord.size()) == kPromptWord) {
      restStart = colon + 1;
    }
  }
  return text.substr(restStart);
}

// Decimal degrees from APRS/NMEA degrees-and-minutes text (DDMM.mm or
// DDDMM.mm); NaN when the text is no finite number.
double degreesFromText(std::string_view text) {
  const double hundredths = readNumber(text) * 0.01;
  const double v = std::fabs(hundredths) < 1000.0 ? hundredths : std::fmod(hundredths, 1000.0);
  const double whole = std::trunc(v);
  return whole + (v - whole) * kMinutesToDegrees;
}

}  // namespace

namespace {

constexpr std::array<bool, 256> kCallsignChar = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<std::size_t>(c)] =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-';
  }
  return table;
}();

}  // namespace

bool isCallsignChar(char c) { return kCallsignChar[static_cast<unsigned char>(c)]; }

bool isNumericRun(std::string_view text, std::size_t from, std::size_t to) {
  if (to > text.size()) to = text.size();
  bool dotSeen = false;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] == '.') {
      if (dotSeen) return false;
      dotSeen = true;
    } else if (!isAsciiDigit(text[i])) {
      return false;
    }
  }
  return true;
}

bool isCallsign(std::string_view text) {
  for (char c : text) {
    if (!isCallsignChar(c)) return false;
  }
  const auto digitAt = [text](std::size_t i) { return i < text.size() && isAsciiDigit(text[i]); };
  const bool d0 = digitAt(0);
  const bool d1 = digitAt(1);
  const bool d2 = digitAt(2);
  // Letter, digit, digit is the shape of whole countries' callsigns (S56OA
  // in Slovenia, E27FSR in Thailand, N419RV): without it they were never
  // heard at all.
  return (!d0 && d1) || (!d0 && !d1 && d2) || (d0 && !d1 && d2);
}

bool isStationName(std::string_view text) {
  constexpr std::size_t kMaxNameLength = 9;
  const auto nameChar = [](char c) { return (c >= 'A' && c <= 'Z') || isAsciiDigit(c); };
  if (text.empty() || text.size() > kMaxNameLength) return false;
  const std::size_t dash = text.find('-');
  if (dash == kNotFound) return std::all_of(text.begin(), text.end(), nameChar);
  const std::string_view base = text.substr(0, dash);
  const std::string_view ssid = text.substr(dash + 1);
  return !base.empty() && !ssid.empty() && std::all_of(base.begin(), base.end(), nameChar) &&
         std::all_of(ssid.begin(), ssid.end(), nameChar);
}

namespace {

// Where the addresses of a packet header "SOURCE>DESTINATION,PATH:" end,
// given the '>' at `close`: the ':' after it, when the destination before
// the first ',' or blank is a station name; npos when the text is no
// packet header.
std::size_t addressesEnd(std::string_view text, std::size_t close) {
  const std::size_t colon = text.find(':', close + 1);
  if (colon == kNotFound) return kNotFound;
  std::size_t destinationEnd = close + 1;
  while (destinationEnd < colon && text[destinationEnd] != ',' && text[destinationEnd] != ' ') ++destinationEnd;
  return isStationName(text.substr(close + 1, destinationEnd - close - 1)) ? colon : kNotFound;
}

}  // namespace

NmeaFields splitSentence(std::string_view sentence) {
  NmeaFields fields;
  fields.slot[0] = sentence.substr(std::min<std::size_t>(1, sentence.size()), kSentenceNameLength);
  std::size_t comma = sentence.find(',');
  for (std::size_t k = 1; k < NmeaFields::kSlots && comma != kNotFound; ++k) {
    const std::size_t start = comma + 1;
    const std::size_t end = k + 1 == NmeaFields::kSlots ? kNotFound : sentence.find(',', start);
    const std::size_t length = (end == kNotFound ? sentence.size() : end) - start;
    fields.slot[k] = sentence.substr(start, std::min(length, NmeaFields::kMaxFieldLength));
    comma = end;
  }
  return fields;
}

// A position as the line gives it, before conversion: degrees-and-minutes
// texts (each at most 31 characters) and the hemisphere letters.
struct PacketDecoder::RawPosition {
  std::string_view latitude;
  std::string_view longitude;
  char northSouth = '\0';
  char eastWest = '\0';
  bool fromNmea = false;
};

// The AX.25 destination and the information field of the monitored packet,
// "SOURCE>DESTINATION,PATH:information", inside any third-party headers.
// The information field ends before the line's CR/LF.
struct PacketDecoder::Packet {
  std::string_view destination;
  std::string_view information;
};

PacketDecoder::Packet PacketDecoder::splitPacket(std::string_view rest, std::size_t close) {
  Packet packet;
  for (int depth = 0; depth <= kMaxThirdPartyDepth; ++depth) {
    if (depth > 0) close = rest.find('>');
    if (close == kNotFound) return {};
    const std::size_t colon = rest.find(':', close + 1);
    if (colon == kNotFound) return {};
    const std::string_view addresses = rest.substr(close + 1, colon - close - 1);
    std::size_t destinationEnd = 0;
    while (destinationEnd < addresses.size() && addresses[destinationEnd] != ',' && addresses[destinationEnd] != ' ') {
      ++destinationEnd;
    }
    packet.destination = addresses.substr(0, destinationEnd);
    packet.information = rest.substr(colon + 1);
    if (packet.information.empty() || packet.information.front() != '}') break;
    rest = packet.information.substr(1);
  }
  packet.information = withoutLineEnd(packet.information);
  return packet;
}

PacketDecoder::PacketDecoder(const Clock& clock) : clock_(clock) {}

void PacketDecoder::beginLine(std::string_view line) {
  // The reception time changes once a second; a busy feed brings hundreds of
  // lines within one, so the calendar is worked out only when it moves on.
  const std::int64_t second = clock_.unixSeconds();
  if (second != stampedSecond_) {
    stampedSecond_ = second;
    receptionClock_ = clock_.utcNow();
  }
  entry_.receptionClock = receptionClock_;
  const CalendarTime& now = entry_.receptionClock;
  if (now.second != stampedClock_.second || now.minute != stampedClock_.minute || now.hour != stampedClock_.hour ||
      now.day != stampedClock_.day || now.month != stampedClock_.month || now.year != stampedClock_.year) {
    TextBuilder received;
    putDateTime(received, now.month, now.day, now.year, now.hour, now.minute);
    received.put(':');
    received.putTwoDigits(now.second);
    stampText_ = received.view();
    stampedClock_ = now;
  }
  entry_.receivedTime = stampText_;
  entry_.latitudeText.clear();
  entry_.longitudeText.clear();
  entry_.positionValid = false;
  store(entry_.receivedLine, line);
}

void PacketDecoder::decode() {
  entry_.positionValid = false;
  entry_.phgDigits.clear();
  clearReportDetails();
  const std::string_view working = entry_.receivedLine.view().substr(0, kDecodedLength);
  const std::string_view rest = afterLastPrompt(working);

  const std::size_t headerEnd = rest.find('>');
  // Text after a prompt is not known to be a whole packet.
  findSourceCall(rest, headerEnd, rest.size() == working.size());
  entry_.callsignFound = !entry_.sourceCall.empty();

  bool valid = false;
  if (entry_.callsignFound) {
    const Packet packet = splitPacket(rest, headerEnd);
    const char type = packet.information.empty() ? '\0' : packet.information.front();
    if (type == ';' || type == ')') {
      // An object's position is the object's, never its sender's.
      entry_.sentTime.clear();
      entry_.northSouth = '\0';
      entry_.eastWest = '\0';
      valid = decodeObjectOrItem(packet);
    } else {
      RawPosition raw;
      if (!findNmeaPosition(raw)) findAprsPosition(working, raw);
      valid = storePosition(raw);
      entry_.northSouth = raw.northSouth;
      entry_.eastWest = raw.eastWest;
      if (valid) {
        entry_.reportKind = raw.fromNmea ? ReportKind::Nmea : ReportKind::Plain;
        if (!raw.fromNmea) addPlainDetails(packet, raw);
      } else {
        valid = decodePackedPosition(packet);
      }
    }
    findPhg(working);
  } else {
    entry_.northSouth = '\0';
    entry_.eastWest = '\0';
  }

  entry_.positionValid = valid;
  if (!valid) {
    entry_.latitudeDeg = 0.0;
    entry_.longitudeDeg = 0.0;
    entry_.sentTime.clear();
    entry_.receivedTime.clear();
    clearReportDetails();
  }
}

void PacketDecoder::clearReportDetails() {
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  entry_.reportKind = ReportKind::None;
  entry_.objectName.clear();
  entry_.killed = false;
  entry_.symbolTable = '\0';
  entry_.symbolCode = '\0';
  entry_.courseDeg = kNone;
  entry_.speedKnots = kNone;
  entry_.altitudeFeet = kNone;
  entry_.radioRangeMiles = kNone;
  entry_.ambiguity = 0;
  entry_.micEMessage.clear();
  entry_.deviceName.clear();
}

void PacketDecoder::findSourceCall(std::string_view rest, std::size_t headerEnd, bool packetLine) {
  std::string_view call;
  // The ':' that ends the addresses of a line that is a whole packet; found
  // only when a name that is not shaped like a callsign needs it.
  std::size_t headerColon = kNotFound;
  bool headerLooked = false;
  const auto packetHeader = [&] {
    if (!headerLooked) {
      headerLooked = true;
      if (packetLine && headerEnd != kNotFound) headerColon = addressesEnd(rest, headerEnd);
    }
    return headerColon != kNotFound;
  };
  // A third-party header "}ORIGIN>..." names the station that really sent
  // the report; the outer source is only the gateway that relayed it. Where
  // the brace starts the information field of a whole packet and a header
  // follows it, the originator goes by its name whatever its shape; a brace
  // anywhere else is free text, where only a callsign's shape counts.
  const std::size_t brace = rest.find('}');
  if (brace != kNotFound) {
    const std::size_t close = rest.find('>', brace + 1);
    if (close != kNotFound) {
      const std::string_view inner = rest.substr(brace + 1, close - brace - 1);
      if (isCallsign(inner) || (isStationName(inner) && packetHeader() && brace == headerColon + 1 &&
                                addressesEnd(rest, close) != kNotFound)) {
        call = inner;
      }
    }
  }
  if (call.empty() && headerEnd != kNotFound) {
    const std::string_view source = rest.substr(0, headerEnd);
    if (isCallsign(source) || (isStationName(source) && packetHeader())) call = source;
  }
  store(entry_.sourceCall, call);
}

bool PacketDecoder::findNmeaPosition(RawPosition& raw) {
  const std::string_view line = entry_.receivedLine.view();
  std::size_t rmc = kNotFound;
  std::size_t gga = kNotFound;
  for (std::size_t at = line.find('$'); at != kNotFound; at = line.find('$', at + 1)) {
    const std::string_view name = line.substr(at + 1, kSentenceNameLength);
    if (name == "GPRMC"sv) {
      rmc = at;
      break;
    }
    if (gga == kNotFound && name == "GPGGA"sv) gga = at;
  }
  const std::size_t start = rmc != kNotFound ? rmc : gga;
  if (start == kNotFound) return false;

  const NmeaFields fields = splitSentence(line.substr(start));
  const auto firstChar = [](std::string_view field) { return field.empty() ? '\0' : field.front(); };
  const long time = leadingDigitsModulo(fields.slot[kNmeaTime], 1000000);
  const long hour = time / 10000 % 100;
  CivilDate date{};
  if (rmc != kNotFound) {
    raw.latitude = fields.slot[kRmcLatitude];
    raw.northSouth = firstChar(fields.slot[kRmcNorthSouth]);
    raw.longitude = fields.slot[kRmcLongitude];
    raw.eastWest = firstChar(fields.slot[kRmcEastWest]);
    const long ddmmyy = leadingDigitsModulo(fields.slot[kRmcDate], 1000000);
    date = CivilDate{static_cast<int>(2000 + ddmmyy % 100), static_cast<int>(ddmmyy / 100 % 100),
                     static_cast<int>(ddmmyy / 10000 % 100)};
    entry_.speedKnots = optionalNumber(fields.slot[kRmcSpeedKnots]);
    const double course = optionalNumber(fields.slot[kRmcCourse]);
    if (course >= 0.0 && course <= 360.0) entry_.courseDeg = course;
  } else {
    raw.latitude = fields.slot[kGgaLatitude];
    raw.northSouth = firstChar(fields.slot[kGgaNorthSouth]);
    raw.longitude = fields.slot[kGgaLongitude];
    raw.eastWest = firstChar(fields.slot[kGgaEastWest]);
    date = reportDate(entry_.receptionClock, hour);
    if (fields.slot[kGgaAltitudeUnit] == "M"sv) {
      entry_.altitudeFeet = optionalNumber(fields.slot[kGgaAltitude]) * kFeetPerMetre;
    }
  }
  raw.fromNmea = true;
  entry_.sentTime = reportTimeText(date, hour, time / 100 % 100, time % 100);
  return true;
}

void PacketDecoder::findAprsPosition(std::string_view working, RawPosition& raw) {
  entry_.sentTime.clear();

  // The last N/S behind a numeric run of 7 or more is the latitude, the
  // last E/W behind 8 or more the longitude, the last z/Z behind six digits
  // the zulu stamp. Scanning from the end finds each one first and stops
  // once all three are known; the runs are measured only behind those
  // letters, and a block of text with no such letter right after a digit or
  // dot is passed over whole.
  FieldEnds ends(working);
  const auto considerBlock = [&](std::size_t first, std::uint32_t candidates) {
    while (candidates != 0 && ends.wanted != 0) {
      const int highest = 31 - __builtin_clz(candidates);
      ends.consider(first + static_cast<std::size_t>(highest));
      candidates &= ~(1u << highest);
    }
  };
  std::size_t end = working.size();
  for (; end > kScanBlock && ends.wanted != 0; end -= kScanBlock) {
    considerBlock(end - kScanBlock, fieldEndsInBlock(working.data() + end - kScanBlock));
  }
  if (ends.wanted != 0 && working.size() > kScanBlock) {
    // What is left at the start, looked at through the block that starts at
    // the second character, without what has been seen already.
    considerBlock(1, fieldEndsInBlock(working.data() + 1) & ((1u << (end - 1)) - 1));
  } else {
    for (std::size_t k = end; k-- > 1 && ends.wanted != 0;) ends.consider(k);
  }
  const std::size_t latitudeEnd = ends.latitudeEnd, latitudeLength = ends.latitudeLength;
  const std::size_t longitudeEnd = ends.longitudeEnd, longitudeLength = ends.longitudeLength;
  const std::size_t zuluEnd = ends.zuluEnd, zuluLength = ends.zuluLength;

  if (latitudeLength > 0) {
    raw.latitude = working.substr(latitudeEnd - latitudeLength, std::min(latitudeLength, kMaxTextLength));
    raw.northSouth = working[latitudeEnd];
  }
  if (longitudeLength > 0) {
    raw.longitude = working.substr(longitudeEnd - longitudeLength, std::min(longitudeLength, kMaxTextLength));
    raw.eastWest = working[longitudeEnd];
  }
  if (zuluLength > 0) {
    // DDHHMM: only hour and minute are used, the date comes from the PC clock.
    const long stamp = leadingDigitsModulo(working.substr(zuluEnd - zuluLength, zuluLength), 10000);
    const long hour = stamp / 100 % 100;
    entry_.sentTime = reportTimeText(reportDate(entry_.receptionClock, hour), hour, stamp % 100, kNoSecond);
  }
}

// Converts both coordinates and writes the display texts. A coordinate that
// does not read as a finite number ("inf", "nan", beyond the range of a
// double) gives no position rather than a NaN one; the raw texts stay.
bool PacketDecoder::storePosition(const RawPosition& raw) {
  const double latitude = raw.latitude.empty() ? kNoNumber : degreesFromText(raw.latitude);
  const double longitude = raw.longitude.empty() ? kNoNumber : degreesFromText(raw.longitude);
  if (std::isnan(latitude) || std::isnan(longitude)) {
    store(entry_.latitudeText, raw.latitude);
    store(entry_.longitudeText, raw.longitude);
    return false;
  }

  TextBuilder latitudeText;
  latitudeText.putFixed6(latitude, 9);
  latitudeText.put(' ');
  latitudeText.put(raw.northSouth);
  entry_.latitudeText = latitudeText.view();

  TextBuilder longitudeText;
  longitudeText.putFixed6(longitude, 10);
  longitudeText.put(' ');
  longitudeText.put(raw.eastWest);
  entry_.longitudeText = longitudeText.view();

  entry_.latitudeDeg = raw.northSouth == 'N' ? latitude : -latitude;
  entry_.longitudeDeg = raw.eastWest == 'E' ? longitude : -longitude;
  return true;
}

void PacketDecoder::findPhg(std::string_view working) {
  constexpr std::string_view kPhg = "PHG"sv;
  constexpr std::size_t kPhgDigits = 4;
  // Looked for by its 'H', far rarer on the air than the 'P' of every APRS
  // destination; the first "PHG" has the first 'H' between 'P' and 'G'.
  std::size_t at = kNotFound;
  for (std::size_t h = working.find('H', 1); h != kNotFound && h + 1 < working.size(); h = working.find('H', h + 1)) {
    if (working[h - 1] == 'P' && working[h + 1] == 'G') {
      at = h - 1;
      break;
    }
  }
  if (at == kNotFound) return;
  std::string_view digits = working.substr(at + kPhg.size(), kPhgDigits);
  // The line's own CR/LF ends a PHG group cut short at the end of the line.
  std::size_t length = 0;
  while (length < digits.size() && digits[length] != '\r' && digits[length] != '\n') ++length;
  store(entry_.phgDigits, digits.substr(0, length));
}

// Symbol, course and speed, range and altitude of a plain position that the
// text scan found; the scan's own results stay as they are.
void PacketDecoder::addPlainDetails(const Packet& packet, const RawPosition& raw) {
  const std::string_view info = packet.information;
  std::string_view comment = info;
  std::string_view field;
  if (!info.empty() && (info.front() == '!' || info.front() == '=')) {
    field = info.substr(1);
  } else if (!info.empty() && (info.front() == '/' || info.front() == '@')) {
    field = info.substr(std::min(info.size(), 1 + kTimeStampLength));
  }
  ReportPosition position;
  // Where the scan read the coordinates in their standard places, only the
  // symbol is left to read.
  const bool scanned = field.size() >= kPlainPositionLength && raw.latitude.data() == field.data() &&
                       raw.latitude.size() == 7 && raw.longitude.data() == field.data() + 9 &&
                       raw.longitude.size() == 8 && isPlainSymbolTable(field[8]) && field[18] >= '!' &&
                       field[18] <= '~';
  if (scanned) {
    position.symbolTable = field[8];
    position.symbolCode = field[18];
  }
  if (scanned || readPlainPosition(field, position)) {
    comment = field.substr(kPlainPositionLength);
    readDataExtension(comment, position);
    entry_.symbolTable = position.symbolTable;
    entry_.symbolCode = position.symbolCode;
    entry_.courseDeg = position.courseDeg;
    entry_.speedKnots = position.speedKnots;
    entry_.radioRangeMiles = position.rangeMiles;
  }
  entry_.altitudeFeet = commentAltitudeFeet(comment);
  // The precision extension belongs to the position in its standard place,
  // which has no hidden digits; the scan reads such a position whole.
  if (scanned && std::fabs(entry_.latitudeDeg) <= 90.0 && std::fabs(entry_.longitudeDeg) <= 180.0) {
    ReportPosition precise;
    precise.latitudeDeg = entry_.latitudeDeg;
    precise.longitudeDeg = entry_.longitudeDeg;
    precise.northSouth = entry_.northSouth;
    precise.eastWest = entry_.eastWest;
    applyPrecisionExtension(comment, precise);
    if (precise.latitudeDeg != entry_.latitudeDeg || precise.longitudeDeg != entry_.longitudeDeg) {
      storeCoordinates(precise);
    }
  }
}

namespace {

// A plain or compressed position with what follows it: data extension and
// comment (with its "/A=" altitude). Says which of the two it was; None
// when neither is there.
ReportKind readPositionField(std::string_view text, ReportPosition& position) {
  if (!text.empty() && isCompressedSymbolTable(text.front())) {
    if (!readCompressedPosition(text, position)) return ReportKind::None;
    if (std::isnan(position.altitudeFeet)) {
      position.altitudeFeet = commentAltitudeFeet(text.substr(kCompressedPositionLength));
    }
    return ReportKind::Compressed;
  }
  if (!readPlainPosition(text, position)) return ReportKind::None;
  const std::string_view comment = text.substr(kPlainPositionLength);
  readDataExtension(comment, position);
  position.altitudeFeet = commentAltitudeFeet(comment);
  if (position.ambiguity == 0) applyPrecisionExtension(comment, position);
  return ReportKind::Plain;
}

bool isPrintable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

}  // namespace

// ";NAME_____*DDHHMMz" or ")NAME!" followed by a position: '_' in place of
// '*' or '!' kills the object or item.
bool PacketDecoder::decodeObjectOrItem(const Packet& packet) {
  const std::string_view info = packet.information;
  std::string_view name;
  std::string_view rest;
  bool killed = false;
  TimeStamp stamp;
  ReportKind kind = ReportKind::Object;
  if (info.front() == ';') {
    if (info.size() < 2 + kObjectNameLength) return false;
    name = info.substr(1, kObjectNameLength);
    const char live = info[1 + kObjectNameLength];
    if (live != '*' && live != '_') return false;
    killed = live == '_';
    rest = info.substr(2 + kObjectNameLength);
    // The time stamp takes its seven characters even when a field is out of
    // range; the position follows it.
    if (hasTimeStampShape(rest)) {
      readTimeStamp(rest, stamp);
      rest.remove_prefix(kTimeStampLength);
    }
  } else {
    kind = ReportKind::Item;
    std::size_t end = 1;
    while (end < info.size() && end <= 1 + kMaxItemNameLength && info[end] != '!' && info[end] != '_') ++end;
    if (end >= info.size() || end < 1 + kMinItemNameLength || end > 1 + kMaxItemNameLength) return false;
    name = info.substr(1, end - 1);
    killed = info[end] == '_';
    rest = info.substr(end + 1);
  }
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.empty() || !isPrintable(name)) return false;
  ReportPosition position;
  if (readPositionField(rest, position) == ReportKind::None) return false;
  entry_.objectName = name;
  entry_.killed = killed;
  storeReport(position, kind);
  storeTimeStamp(stamp);
  return true;
}

// The forms the text scan cannot read: Mic-E, compressed positions, and
// plain positions with hidden digits or a time stamp not in zulu.
bool PacketDecoder::decodePackedPosition(const Packet& packet) {
  const std::string_view info = packet.information;
  if (info.empty()) return false;
  ReportPosition position;
  TimeStamp stamp;
  ReportKind kind = ReportKind::None;
  switch (info.front()) {
    case '`':
    case '\'': {
      MicEReport report;
      if (!decodeMicE(packet.destination, info, report)) return false;
      storeReport(report.position, ReportKind::MicE);
      entry_.micEMessage = report.message;
      entry_.deviceName = report.device;
      entry_.sentTime.clear();
      return true;
    }
    case '!':
    case '=':
      kind = readPositionField(info.substr(1), position);
      break;
    case '/':
    case '@':
      if (info.size() < 1 + kTimeStampLength) return false;
      readTimeStamp(info.substr(1), stamp);
      kind = readPositionField(info.substr(1 + kTimeStampLength), position);
      break;
    case '$':
      return decodeGllSentence(info);
    default:
      return false;
  }
  if (kind == ReportKind::None) return false;
  storeReport(position, kind);
  storeTimeStamp(stamp);
  return true;
}

// "$GPGLL,DDMM.mm,N,DDDMM.mm,W,HHMMSS,A": the geographic position sentence,
// which the text scan does not look for.
bool PacketDecoder::decodeGllSentence(std::string_view information) {
  if (!information.starts_with("$GPGLL,"sv)) return false;
  const NmeaFields fields = splitSentence(information);
  constexpr std::size_t kLatitude = 1, kNorthSouth = 2, kLongitude = 3, kEastWest = 4, kTime = 5;
  const auto letter = [&](std::size_t slot) {
    return fields.slot[slot].size() == 1 ? fields.slot[slot].front() : '\0';
  };
  const char northSouth = letter(kNorthSouth);
  const char eastWest = letter(kEastWest);
  if ((northSouth != 'N' && northSouth != 'S') || (eastWest != 'E' && eastWest != 'W')) return false;
  const std::string_view latitudeText = fields.slot[kLatitude];
  const std::string_view longitudeText = fields.slot[kLongitude];
  if (latitudeText.empty() || longitudeText.empty() || !isAsciiDigit(latitudeText.front()) ||
      !isAsciiDigit(longitudeText.front())) {
    return false;
  }
  const double latitude = degreesFromText(latitudeText);
  const double longitude = degreesFromText(longitudeText);
  if (!(latitude <= 90.0) || !(longitude <= 180.0)) return false;
  ReportPosition position;
  position.latitudeDeg = northSouth == 'N' ? latitude : -latitude;
  position.longitudeDeg = eastWest == 'E' ? longitude : -longitude;
  position.northSouth = northSouth;
  position.eastWest = eastWest;
  storeReport(position, ReportKind::Nmea);
  entry_.sentTime.clear();
  const std::string_view time = fields.slot[kTime];
  if (time.size() >= 6 && std::all_of(time.begin(), time.begin() + 6, isAsciiDigit)) {
    const long t = leadingDigitsModulo(time, 1000000);
    const long hour = t / 10000;
    entry_.sentTime = reportTimeText(reportDate(entry_.receptionClock, hour), hour, t / 100 % 100, t % 100);
  }
  return true;
}

void PacketDecoder::storeReport(const ReportPosition& position, ReportKind kind) {
  storeCoordinates(position);
  entry_.reportKind = kind;
  entry_.symbolTable = position.symbolTable;
  entry_.symbolCode = position.symbolCode;
  entry_.courseDeg = position.courseDeg;
  entry_.speedKnots = position.speedKnots;
  entry_.altitudeFeet = position.altitudeFeet;
  entry_.radioRangeMiles = position.rangeMiles;
  entry_.ambiguity = position.ambiguity;
}

void PacketDecoder::storeCoordinates(const ReportPosition& position) {
  TextBuilder latitudeText;
  latitudeText.putFixed6(std::fabs(position.latitudeDeg), 9);
  latitudeText.put(' ');
  latitudeText.put(position.northSouth);
  entry_.latitudeText = latitudeText.view();
  TextBuilder longitudeText;
  longitudeText.putFixed6(std::fabs(position.longitudeDeg), 10);
  longitudeText.put(' ');
  longitudeText.put(position.eastWest);
  entry_.longitudeText = longitudeText.view();
  entry_.latitudeDeg = position.latitudeDeg;
  entry_.longitudeDeg = position.longitudeDeg;
  entry_.northSouth = position.northSouth;
  entry_.eastWest = position.eastWest;
}

// The report's own time. Zulu stamps take their date from the PC clock like
// the text scan's; a local stamp is taken to be in the PC's time zone and
// shown in UTC like every other time.
void PacketDecoder::storeTimeStamp(const TimeStamp& stamp) {
  switch (stamp.kind) {
    case StampKind::None:
      entry_.sentTime.clear();
      return;
    case StampKind::ZuluDayHourMinute:
      entry_.sentTime =
          reportTimeText(reportDate(entry_.receptionClock, stamp.hour), stamp.hour, stamp.minute, kNoSecond);
      return;
    case StampKind::HourMinuteSecond:
      entry_.sentTime =
          reportTimeText(reportDate(entry_.receptionClock, stamp.hour), stamp.hour, stamp.minute, stamp.second);
      return;
    case StampKind::LocalDayHourMinute: {
      const CalendarTime local = clock_.localNow();
      const std::int64_t offsetMinutes = std::llround(
          static_cast<double>(unixFromCalendar(local) - clock_.unixSeconds()) / kSecondsPerMinute);
      const CivilDate date = reportDate(local, stamp.hour);
      const std::int64_t reportUnix =
          unixFromCalendar(CalendarTime{date.year, date.month, date.day, stamp.hour, stamp.minute, 0, 0}) -
          offsetMinutes * kSecondsPerMinute;
      const CalendarTime utc = calendarFromUnix(reportUnix);
      entry_.sentTime = reportTimeText(CivilDate{utc.year, utc.month, utc.day}, utc.hour, utc.minute, kNoSecond);
      return;
    }
  }
}

}  // namespace tervane
