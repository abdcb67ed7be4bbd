#include "tools/orbit/orbit_cli.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "base/text_format.h"
#include "platform/clock.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/elements.h"
#include "tracker/orbit_model.h"
#include "tracker/pass_table.h"

namespace tervane {
namespace {

constexpr std::string_view kUsage =
    "usage: tervane-orbit look FILE LAT LON START [COUNT [STEP]]\n"
    "       tervane-orbit crossings FILE LAT LON START [N]\n"
    "       tervane-orbit passes FILE LAT LON START DAYS\n"
    "       tervane-orbit demo-elements LAT LON START MINUTES\n"
    "\n"
    "Runs the tracker's orbit model (SGP) on every satellite of a Keplerian\n"
    "element file (NORAD two-line sets after name lines), in file order.\n"
    "\n"
    "  look       for each satellite and each instant START + k*STEP seconds\n"
    "             (k < COUNT; COUNT and STEP default to 1), one line:\n"
    "             name, instant, X, Y, Z (km, inertial), azimuth, elevation\n"
    "             (degrees), range (km), sub-satellite latitude and longitude\n"
    "             (degrees), altitude (km)\n"
    "  crossings  for each satellite, one line: name, then the next N\n"
    "             (default 1) horizon crossings (rise or set, the first second\n"
    "             whose elevation has the opposite sign to the second before),\n"
    "             each search covering 24 hours and starting 2 seconds after\n"
    "             the previous crossing; \"none\" where a search finds nothing\n"
    "  passes     every pass of every satellite under way at START or rising\n"
    "             within DAYS (1 to 7) days, sorted by rise, one line each:\n"
    "             name, rise, rise azimuth, time and elevation of the highest\n"
    "             point, set, set azimuth (degrees, two decimals); \"none\"\n"
    "             for a rise or set more than a day away from the pass\n"
    "\n"
    "  demo-elements  prints an element file of made-up satellites whose\n"
    "             first, DEMOSAT-1, rises over the station about MINUTES after\n"
    "             START (its epoch); the predicted rise goes to standard error\n"
    "\n"
    "  LAT, LON   station position in decimal degrees, north and east positive\n"
    "  START      seconds since 1970 UTC, or YYYY-MM-DDTHH:MM:SSZ\n"
    "\n"
    "Fields are separated by tabs; instants are seconds since 1970 UTC.\n";

std::optional<double> parseDegrees(std::string_view text, double limit) {
  double value = 0.0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value) || std::fabs(value) > limit) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::int64_t> parseWhole(std::string_view text, std::int64_t least) {
  std::int64_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < least) return std::nullopt;
  return value;
}

int usageError(std::ostream& err, std::string_view problem) {
  err << "tervane-orbit: " << problem << "\n" << kUsage;
  return 2;
}

struct Common {
  std::vector<ElementRecord> satellites;
  double latitudeDeg = 0.0;
  double longitudeDeg = 0.0;
  std::int64_t startUnix = 0;
};

void printLook(std::ostream& out, OrbitModel& model, std::int64_t instant, double latitudeDeg, double longitudeDeg) {
  model.propagate(instant);
  const LookAngles look = model.lookAngles(latitudeDeg, longitudeDeg);
  out << model.name() << '\t' << instant
      << textf("\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\n", model.xKm(), model.yKm(), model.zKm(),
               look.azimuthDeg, look.elevationDeg, look.rangeKm, look.subLatitudeDeg, look.subLongitudeDeg,
               look.altitudeKm);
}

}  // namespace

std::optional<std::int64_t> parseInstant(std::string_view text) {
  if (auto seconds = parseWhole(text, INT64_MIN)) return seconds;
  // YYYY-MM-DDTHH:MM:SSZ
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z') {
    return std::nullopt;
  }
  const auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const auto year = digits(0, 4);
  const auto month = digits(5, 2);
  const auto day = digits(8, 2);
  const auto hour = digits(11, 2);
  const auto minute = digits(14, 2);
  const auto second = digits(17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59 ||
      *second > 59) {
    return std::nullopt;
  }
  CalendarTime utc;
  utc.year = *year;
  utc.month = *month;
  utc.day = *day;
  utc.hour = *hour;
  utc.minute = *minute;
  utc.second = *second;
  return unixFromCalendar(utc);
}

// An element file for trying the tracker: DEMOSAT-1 passes over the station
// soon after START, the others are ordinary low orbits.
int demoElements(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 5) return usageError(err, "wrong number of arguments");
  const auto latitude = parseDegrees(args[1], 90.0);
  const auto longitude = parseDegrees(args[2], 180.0);
  const auto start = parseInstant(args[3]);
  const auto minutes = parseWhole(args[4], 0);
  if (!latitude || !longitude || !start || !minutes) return usageError(err, "bad LAT, LON, START or MINUTES");
  const OrbitDescription soon =
      orbitPassingOver("DEMOSAT-1", 99001, *latitude, *longitude, *start, *minutes * 60);
  out << formatElementSet(soon);
  const struct {
    const char* name;
    double inclinationDeg, raanDeg, meanAnomalyDeg, revPerDay;
  } others[] = {{"DEMOSAT-2", 51.6, 40.0, 10.0, 15.5}, {"DEMOSAT-3", 98.6, 120.0, 200.0, 14.3},
                {"DEMOSAT-4", 82.0, 300.0, 90.0, 13.8}};
  int catalog = 99002;
  for (const auto& o : others) {
    OrbitDescription d;
    d.name = o.name;
    d.catalogNumber = catalog++;
    d.epochUnix = *start;
    d.inclinationDeg = o.inclinationDeg;
    d.raanDeg = o.raanDeg;
    d.meanAnomalyDeg = o.meanAnomalyDeg;
    d.meanMotionRevPerDay = o.revPerDay;
    out << formatElementSet(d);
  }
  OrbitModel model;
  const std::string text = formatElementSet(soon);
  const auto records = scanElementText(text);
  if (!records.empty()) {
    model.loadElements(records[0].name.view(), records[0].line1.view(), records[0].line2.view());
    const auto rise = model.findCrossing(*start, *latitude, *longitude);
    if (rise) err << "DEMOSAT-1 rises at " << *rise << " (" << (*rise - *start) << " s after START)\n";
  }
  return 0;
}

// The pass table of the Upcoming Passes window, one pass a line.
void printPasses(const Common& common, int days, std::ostream& out, std::ostream& err) {
  const std::vector<ElementRecord>& satellites = common.satellites;
  for (const ElementRecord& sat : satellites) {
    if (!elementLinesReadable(sat.line1.view(), sat.line2.view())) {
      err << "tervane-orbit: " << shownName(sat.name.view()) << ": element lines do not read as numbers\n";
    }
  }
  const auto instant = [](const std::optional<std::int64_t>& t) { return t ? std::to_string(*t) : "none"; };
  const auto angle = [](const std::optional<std::int64_t>& t, double deg) { return t ? textf("%.2f", deg) : "none"; };
  for (const PassRow& row : passTable(satellites, common.latitudeDeg, common.longitudeDeg, common.startUnix, days)) {
    const SatellitePass& p = row.pass;
    out << shownName(satellites[static_cast<std::size_t>(row.satellite)].name.view()) << '\t' << instant(p.riseUnix)
        << '\t' << angle(p.riseUnix, p.riseAzimuthDeg) << '\t' << p.culminationUnix << '\t'
        << textf("%.2f", p.maxElevationDeg) << '\t' << instant(p.setUnix) << '\t' << angle(p.setUnix, p.setAzimuthDeg)
        << '\n';
  }
}

int runOrbitTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << kUsage;
    return 0;
  }
  if (args.empty()) return usageError(err, "no command given");
  const std::string& command = args[0];
  if (command == "demo-elements") return demoElements(args, out, err);
  const bool look = command == "look";
  const bool passes = command == "passes";
  if (!look && !passes && command != "crossings") return usageError(err, "unknown command");
  const std::size_t least = passes ? 6 : 5;
  const std::size_t most = look ? 7 : 6;
  if (args.size() < least || args.size() > most) return usageError(err, "wrong number of arguments");

  Common common;
  const auto latitude = parseDegrees(args[2], 90.0);
  const auto longitude = parseDegrees(args[3], 180.0);
  const auto start = parseInstant(args[4]);
  if (!latitude) return usageError(err, "LAT must be decimal degrees from -90 to 90");
  if (!longitude) return usageError(err, "LON must be decimal degrees from -180 to 180");
  if (!start) return usageError(err, "START must be seconds since 1970 or YYYY-MM-DDTHH:MM:SSZ");
  common.latitudeDeg = *latitude;
  common.longitudeDeg = *longitude;
  common.startUnix = *start;

  std::int64_t count = 1;
  std::int64_t step = 1;
  if (passes) {
    const auto days = parseWhole(args[5], 1);
    if (!days || *days > kMostPassDays) return usageError(err, "DAYS must be a whole number from 1 to 7");
    count = *days;
  } else if (args.size() > 5) {
    const auto value = parseWhole(args[5], look ? 0 : 1);
    if (!value) return usageError(err, look ? "COUNT must be a whole number" : "N must be a positive whole number");
    count = *value;
  }
  if (args.size() > 6) {
    const auto value = parseWhole(args[6], 1);
    if (!value) return usageError(err, "STEP must be a positive whole number of seconds");
    step = *value;
  }

  std::ifstream file(args[1], std::ios::binary);
  if (!file) {
    err << "tervane-orbit: cannot read " << args[1] << "\n";
    return 1;
  }
  common.satellites = scanElementStream(file);
  if (passes) {
    printPasses(common, static_cast<int>(count), out, err);
    return 0;
  }

  for (const ElementRecord& record : common.satellites) {
    OrbitModel model;
    model.loadElements(record.name.view(), record.line1.view(), record.line2.view());
    if (look) {
      for (std::int64_t k = 0; k < count; ++k) {
        printLook(out, model, common.startUnix + k * step, common.latitudeDeg, common.longitudeDeg);
      }
      continue;
    }
    out << model.name();
    std::int64_t from = common.startUnix;
    for (std::int64_t k = 0; k < count; ++k) {
      const auto crossing = model.findCrossing(from, common.latitudeDeg, common.longitudeDeg);
      if (!crossing) {
        out << "\tnone";
        break;
      }
      out << '\t' << *crossing;
      from = *crossing + 2;
    }
    out << '\n';
  }
  return 0;
}

}  // namespace tervane
