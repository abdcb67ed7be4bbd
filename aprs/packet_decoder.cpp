#include "aprs/packet_decoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tervane {

namespace {

using namespace std::string_view_literals;

constexpr std::size_t kNotFound = std::string_view::npos;

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Character classes of the APRS text scan: a table lookup keeps the one pass
// over up to 255 characters cheap. Digit and dot are the low bits so the
// run bookkeeping can use them as 0/1 values.
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

// A latitude needs DDMM.mm (7 characters), a longitude DDDMM.mm (8), a zulu
// stamp DDHHMM (6 digits).
constexpr std::size_t kMinLatitudeRun = 7;
constexpr std::size_t kMinLongitudeRun = 8;
constexpr std::size_t kMinZuluDigits = 6;

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
constexpr std::size_t kSentenceNameLength = 5;

constexpr double kMinutesToDegrees = 1.6666666666666667;  // 100 / 60 on the DD.MMmm scale
constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

// Every text field of the station record holds at most this many characters.
constexpr std::size_t kMaxTextLength = 31;

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

// A number as strtod reads it (leading blanks, sign, decimals, exponent), but
// independent of the process locale. Text without digits reads as 0; a value
// that is not a finite double comes back as NaN.
double readNumber(std::string_view text) {
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

// Small formatter for the fixed shapes the decoder writes; sized so that no
// shape it is given can overrun, the record field then cuts to 31.
class TextBuilder {
 public:
  void put(char c) {
    if (size_ < kCapacity) buffer_[size_++] = c;
  }
  void put(std::string_view text) {
    for (char c : text) put(c);
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
  // "%<width>.6f" for the bounded values of decimal degrees.
  void putFixed6(double value, std::size_t width) {
    char digits[64];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return;
    const auto length = static_cast<std::size_t>(end - digits);
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
  const double v = std::fmod(readNumber(text) * 0.01, 1000.0);
  const double whole = std::trunc(v);
  return whole + (v - whole) * kMinutesToDegrees;
}

}  // namespace

bool isCallsignChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isAsciiDigit(c) || c == '/' || c == '-';
}

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
  return (!d0 && d1 && !d2) || (!d0 && !d1 && d2) || (d0 && !d1 && d2);
}

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
};

PacketDecoder::PacketDecoder(const Clock& clock) : clock_(clock) {}

void PacketDecoder::beginLine(std::string_view line) {
  entry_.receptionClock = clock_.utcNow();
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
  const std::string_view working = entry_.receivedLine.view().substr(0, kDecodedLength);

  findSourceCall(working);
  entry_.callsignFound = !entry_.sourceCall.empty();

  bool valid = false;
  RawPosition raw;
  if (entry_.callsignFound) {
    if (!findNmeaPosition(raw)) findAprsPosition(working, raw);
    valid = storePosition(raw);
    findPhg(working);
  }
  entry_.northSouth = raw.northSouth;
  entry_.eastWest = raw.eastWest;

  entry_.positionValid = valid;
  if (!valid) {
    entry_.latitudeDeg = 0.0;
    entry_.longitudeDeg = 0.0;
    entry_.sentTime.clear();
    entry_.receivedTime.clear();
  }
}

void PacketDecoder::findSourceCall(std::string_view working) {
  const std::string_view rest = afterLastPrompt(working);
  std::string_view call;
  // A third-party header "}ORIGIN>..." names the station that really sent
  // the report; the outer source is only the gateway that relayed it.
  const std::size_t brace = rest.find('}');
  if (brace != kNotFound) {
    const std::size_t close = rest.find('>', brace + 1);
    if (close != kNotFound) {
      const std::string_view inner = rest.substr(brace + 1, close - brace - 1);
      if (isCallsign(inner)) call = inner;
    }
  }
  if (call.empty()) {
    const std::size_t close = rest.find('>');
    if (close != kNotFound && isCallsign(rest.substr(0, close))) call = rest.substr(0, close);
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
  } else {
    raw.latitude = fields.slot[kGgaLatitude];
    raw.northSouth = firstChar(fields.slot[kGgaNorthSouth]);
    raw.longitude = fields.slot[kGgaLongitude];
    raw.eastWest = firstChar(fields.slot[kGgaEastWest]);
    date = reportDate(entry_.receptionClock, hour);
  }
  TextBuilder sent;
  putDateTime(sent, date.month, date.day, date.year, hour, time / 100 % 100);
  sent.put(':');
  sent.putTwoDigits(time % 100);
  entry_.sentTime = sent.view();
  return true;
}

void PacketDecoder::findAprsPosition(std::string_view working, RawPosition& raw) {
  entry_.sentTime.clear();

  // digitRun: digits immediately before k. numRun: length of the numeric
  // run (digits with at most one '.') ending before k; any other character
  // or a second '.' ends the run and is itself left out of the next one.
  // The run updates are branch-free: digits and dots alternate with letters
  // unpredictably, and only the six letters that end a field need a branch.
  std::size_t digitRun = 0;
  std::size_t numRun = 0;
  std::size_t dotInRun = 0;
  std::size_t latitudeEnd = 0, latitudeLength = 0;
  std::size_t longitudeEnd = 0, longitudeLength = 0;
  std::size_t zuluEnd = 0, zuluLength = 0;
  for (std::size_t k = 0; k < working.size(); ++k) {
    const std::uint8_t scanClass = kScanClass[static_cast<unsigned char>(working[k])];
    if (scanClass >= kLatitudeLetter) {
      if (scanClass == kLatitudeLetter && numRun >= kMinLatitudeRun) {
        latitudeEnd = k;
        latitudeLength = numRun;
      } else if (scanClass == kLongitudeLetter && numRun >= kMinLongitudeRun) {
        longitudeEnd = k;
        longitudeLength = numRun;
      } else if (scanClass == kZuluLetter && digitRun >= kMinZuluDigits) {
        zuluEnd = k;
        zuluLength = numRun;
      }
    }
    // All-ones or zero masks, so each update is a single AND.
    const std::size_t digit = 0 - static_cast<std::size_t>(scanClass & kDigit);
    const std::size_t dot = 0 - static_cast<std::size_t>((scanClass & kDot) >> 1);
    const std::size_t numeric = digit | (dot & ~dotInRun);
    dotInRun = (dotInRun | dot) & numeric;  // a second dot ends the run
    numRun = (numRun + 1) & numeric;
    digitRun = (digitRun + 1) & digit;
  }

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
    const CivilDate date = reportDate(entry_.receptionClock, hour);
    TextBuilder sent;
    putDateTime(sent, date.month, date.day, date.year, hour, stamp % 100);
    entry_.sentTime = sent.view();
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
  const std::size_t at = working.find(kPhg);
  if (at == kNotFound) return;
  std::string_view digits = working.substr(at + kPhg.size(), kPhgDigits);
  // The line's own CR/LF ends a PHG group cut short at the end of the line.
  std::size_t length = 0;
  while (length < digits.size() && digits[length] != '\r' && digits[length] != '\n') ++length;
  store(entry_.phgDigits, digits.substr(0, length));
}

}  // namespace tervane
