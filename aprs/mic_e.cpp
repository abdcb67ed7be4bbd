#include "aprs/mic_e.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tervane {

namespace {

constexpr std::size_t kDestinationLength = 6;
constexpr std::size_t kInformationLength = 9;  // type, 3 longitude, 3 speed/course, symbol code, table
constexpr int kOffset = 28;                    // added to every binary byte of the information field
constexpr int kAltitudeDatumMetres = 10000;    // Mic-E altitudes count from 10 km below sea level

// One character of the destination.
struct DestinationChar {
  std::uint8_t digit = 0;  // latitude digit; 0 for a blank
  bool valid = false;      // a Mic-E character at all
  bool blank = false;      // the digit is hidden (position ambiguity)
  bool custom = false;     // message bit set, custom meaning ('A'..'K'; first three only)
  bool standard = false;   // message bit set, standard meaning; also north, +100 and west ('P'..'Z')
};

constexpr std::array<DestinationChar, 128> kDestinationChars = [] {
  std::array<DestinationChar, 128> table{};
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = {static_cast<std::uint8_t>(c - '0'), true};
  for (int c = 'A'; c <= 'J'; ++c) {
    table[static_cast<std::size_t>(c)] = {static_cast<std::uint8_t>(c - 'A'), true, false, true, false};
  }
  table['K'] = {0, true, true, true, false};
  table['L'] = {0, true, true, false, false};
  for (int c = 'P'; c <= 'Y'; ++c) {
    table[static_cast<std::size_t>(c)] = {static_cast<std::uint8_t>(c - 'P'), true, false, false, true};
  }
  table['Z'] = {0, true, true, false, true};
  return table;
}();

// Message bits A, B, C as one number, 7 for "all set".
constexpr std::array<std::string_view, 8> kStandardMessages = {"Emergency", "Priority",   "Special",  "Committed",
                                                               "Returning", "In Service", "En Route", "Off Duty"};
constexpr std::array<std::string_view, 8> kCustomMessages = {"Emergency", "Custom-6", "Custom-5", "Custom-4",
                                                             "Custom-3",  "Custom-2", "Custom-1", "Custom-0"};

// Devices that mark their status text with a type byte in front and two
// bytes at its end.
struct DeviceSuffix {
  char type;
  std::string_view suffix;
  std::string_view device;
};
constexpr DeviceSuffix kDeviceSuffixes[] = {
    {'`', "_ ", "Yaesu VX-8"},
    {'`', "_\"", "Yaesu FTM-350"},
    {'`', "_#", "Yaesu VX-8G"},
    {'`', "_$", "Yaesu FT1D"},
    {'`', "_%", "Yaesu FTM-400DR"},
    {'`', "_)", "Yaesu FTM-100D"},
    {'`', "_(", "Yaesu FT2D"},
    {'`', "_0", "Yaesu FT3D"},
    {'`', "_3", "Yaesu FT5D"},
    {'`', "_1", "Yaesu FTM-300D"},
    {'`', " X", "SainSonic AP510"},
    {'`', "(5", "Anytone D578UV"},
    {'`', "(8", "Anytone D878UV"},
    {'\'', "|3", "Byonics TinyTrak3"},
    {'\'', "|4", "Byonics TinyTrak4"},
    {'\'', ":4", "SCS P4dragon DR-7400"},
    {'\'', ":8", "SCS P4dragon DR-7800"},
};

// The device named by the status text's type byte and suffix; removes both
// from `status`.
std::string_view takeDevice(std::string_view& status) {
  if (status.empty()) return {};
  const char type = status.front();
  if (type == ' ') {
    status.remove_prefix(1);
    return "Original Mic-E";
  }
  if (type == '>' || type == ']') {
    status.remove_prefix(1);
    const bool kenwoodHandheld = type == '>';
    if (!status.empty() && status.back() == '=') {
      status.remove_suffix(1);
      return kenwoodHandheld ? "Kenwood TH-D72" : "Kenwood TM-D710";
    }
    if (kenwoodHandheld && !status.empty() && status.back() == '^') {
      status.remove_suffix(1);
      return "Kenwood TH-D74";
    }
    return kenwoodHandheld ? "Kenwood TH-D7A" : "Kenwood TM-D700";
  }
  if (type != '`' && type != '\'') return {};
  status.remove_prefix(1);
  if (status.size() < 2) return {};
  const std::string_view suffix = status.substr(status.size() - 2);
  for (const DeviceSuffix& d : kDeviceSuffixes) {
    if (d.type == type && d.suffix == suffix) {
      status.remove_suffix(2);
      return d.device;
    }
  }
  return {};
}

}  // namespace

bool decodeMicE(std::string_view destination, std::string_view information, MicEReport& report) {
  destination = destination.substr(0, destination.find('-'));
  if (destination.size() != kDestinationLength || information.size() < kInformationLength) return false;
  if (information[0] != '`' && information[0] != '\'') return false;

  std::array<DestinationChar, kDestinationLength> chars;
  for (std::size_t i = 0; i < kDestinationLength; ++i) {
    const auto c = static_cast<unsigned char>(destination[i]);
    chars[i] = c < kDestinationChars.size() ? kDestinationChars[c] : DestinationChar{};
    // 'A'..'K' carry a message bit, so only the first three may use them.
    if (!chars[i].valid || (i >= 3 && chars[i].custom)) return false;
  }
  // Hidden digits run from the last one backwards; a digit after a blank is
  // no Mic-E destination.
  int ambiguity = 0;
  while (ambiguity < 4 && chars[kDestinationLength - 1 - static_cast<std::size_t>(ambiguity)].blank) ++ambiguity;
  for (std::size_t i = 0; i + static_cast<std::size_t>(ambiguity) < kDestinationLength; ++i) {
    if (chars[i].blank) return false;
  }
  const int latitudeDegrees = chars[0].digit * 10 + chars[1].digit;
  const int latitudeHundredths = chars[2].digit * 1000 + chars[3].digit * 100 + chars[4].digit * 10 + chars[5].digit;
  if (latitudeHundredths >= 6000 || latitudeDegrees * 6000 + latitudeHundredths > 90 * 6000) return false;
  // A packet with its table byte out of place (a byte went missing, or was
  // damaged) still has its position in the destination and the longitude
  // bytes; what comes after them is not to be trusted.
  const bool whole = isPlainSymbolTable(information[8]);
  const bool north = chars[3].standard;
  const bool offset100 = chars[4].standard;
  const bool west = chars[5].standard;

  const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(information[i])); };
  int longitudeDegrees = byte(1) - kOffset;
  if (offset100) longitudeDegrees += 100;
  if (longitudeDegrees >= 180 && longitudeDegrees <= 189) {
    longitudeDegrees -= 80;
  } else if (longitudeDegrees >= 190 && longitudeDegrees <= 199) {
    longitudeDegrees -= 190;
  }
  int longitudeMinutes = byte(2) - kOffset;
  if (longitudeMinutes >= 60) longitudeMinutes -= 60;
  const int longitudeHundredthsOfMinute = byte(3) - kOffset;
  if (longitudeDegrees < 0 || longitudeDegrees > 179 || longitudeMinutes < 0 || longitudeMinutes > 59 ||
      longitudeHundredthsOfMinute < 0 || longitudeHundredthsOfMinute > 99) {
    return false;
  }

  // The longitude takes the latitude's ambiguity.
  const double latitude = std::min(90.0, ambiguousDegrees(latitudeDegrees, latitudeHundredths, ambiguity));
  const double longitude =
      ambiguousDegrees(longitudeDegrees, longitudeMinutes * 100 + longitudeHundredthsOfMinute, ambiguity);

  report = MicEReport{};
  ReportPosition& p = report.position;
  p.latitudeDeg = north ? latitude : -latitude;
  p.longitudeDeg = west ? -longitude : longitude;
  p.northSouth = north ? 'N' : 'S';
  p.eastWest = west ? 'W' : 'E';
  p.ambiguity = ambiguity;
  if (whole) {
    p.symbolCode = information[7];
    p.symbolTable = information[8];
    const int sp = byte(4) - kOffset;
    const int dc = byte(5) - kOffset;
    const int se = byte(6) - kOffset;
    // Bytes below the offset are damaged; the motion they carry is unknown.
    if (sp >= 0 && dc >= 0 && se >= 0) {
      int speed = sp * 10 + dc / 10;
      int course = dc % 10 * 100 + se;
      if (speed >= 800) speed -= 800;
      if (course >= 400) course -= 400;
      // A course of 0 says the course is not known; 360 is due north.
      if (course > 0 && course <= 360) p.courseDeg = course;
      if (speed >= 0 && speed < 800) p.speedKnots = speed;
    }
  }

  const int bits = (chars[0].standard || chars[0].custom ? 4 : 0) + (chars[1].standard || chars[1].custom ? 2 : 0) +
                   (chars[2].standard || chars[2].custom ? 1 : 0);
  const bool standard = chars[0].standard || chars[1].standard || chars[2].standard;
  const bool custom = chars[0].custom || chars[1].custom || chars[2].custom;
  report.message = standard && custom ? "Unknown"
                   : custom           ? kCustomMessages[static_cast<std::size_t>(bits)]
                                      : kStandardMessages[static_cast<std::size_t>(bits)];

  std::string_view status = information.substr(kInformationLength);
  if (ambiguity == 0) applyPrecisionExtension(status, p);
  // The type byte and the "xxx}" altitude are known only by where they
  // stand; in a damaged packet only the marked "/A=" altitude is.
  if (whole) report.device = takeDevice(status);
  long altitude = 0;
  if (whole && status.size() >= 4 && status[3] == '}' && readBase91(status.substr(0, 3), altitude)) {
    p.altitudeFeet = static_cast<double>(altitude - kAltitudeDatumMetres) * kFeetPerMetre;
  } else {
    p.altitudeFeet = commentAltitudeFeet(status);
  }
  return true;
}

}  // namespace tervane
