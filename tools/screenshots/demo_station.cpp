#include "tools/screenshots/demo_station.h"

#include "platform/clock.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/orbit_model.h"

namespace tervane::demo {

namespace {

constexpr double kGeostationaryRevPerDay = 1.00273791;

struct DemoChoice {
  int catalogNumber;
  int leadTimeTens;
  int beaconIntervalTens;
  bool autoBeacon;
  const char* passVia;
};
constexpr DemoChoice kChoices[] = {
    {kRisingSoon, 18, 6, true, "ARISS"},
    {kWaiting, 18, 3, true, "ARISS"},
    {kNoBeacon, 18, 6, false, "WIDE, RELAY"},
    {kNeverUp, 12, 6, false, "WIDE, RELAY"},
};

struct DemoContact {
  const char* nickname;
  const char* address;
};
constexpr DemoContact kContacts[] = {
    {"Home", "n0call@example.org"},
    {"Club secretary", "secretary@club.example.net"},
    {"Net control", "netcontrol@example.com"},
};

constexpr const char* kFilters[] = {"N0DEMO", "KB1XYZ", "EMAIL"};

// Monitor lines: seconds before the demo instant, and the text.
struct DemoLine {
  int secondsBefore;
  const char* text;
};
constexpr DemoLine kTraffic[] = {
    {388, "W1DGE-1>APNU19,WIDE2-1:!4229.50NS07115.72W#PHG7430/Digi on Prospect Hill"},
    {351, "KB1XYZ-7>APRS,W1DGE-1*,WIDE2-1:=4215.52N/07110.08W>Mobile on Rt 128"},
    {322, "K1QRP>APRS,WIDE2-2:>Monitoring 144.390"},
    {297, "W1WX-9>APTW01,WIDE1-1,WIDE2-1:@121427z4225.31N/07103.47W_220/004g005t072r000p012P010h61b10142"},
    {265, "N1FOX-9>GPSLK,WIDE1-1,WIDE2-1:$GPRMC,142704,A,4218.772,N,07105.413,W,032.5,274.0,120626,014.6,W*7C"},
    {236, "AB1CD-5>APRS,W1DGE-1*,WIDE2-1:@121428z4203.85N/07033.61W-Home, Plymouth"},
    {201, "KC1ABC>APRS,WIDE2-1::N0DEMO   :See you on the net tonight{07"},
    {178, "W1RPT-5>APRS,TCPIP*,qAC,T2BOSTON:!4152.33N/07124.90WrRepeater 147.225+ PL 146.2"},
    {149, "KA1EFG-14>APRS,WIDE1-1,WIDE2-1:@121430z4239.02N/07156.44W>087/045/A=000731 Commuting"},
    {122, "N1HIJ>APRS,W1DGE-1*,WIDE2:/143005h4217.88N/07125.20W-PHG2360Base station, Waltham"},
    {96, "W1NOP>BEACON,WIDE2-1:W1NOP Club net Tuesdays 8 PM on 146.52"},
    {71, "KB1XYZ-7>APRS,W1DGE-1*,WIDE2-1:=4216.10N/07111.40W>Mobile on Rt 128"},
    {44, "K1LMN-2>APRS,WIDE2-1:;LEADER   *121431z4210.11N/07111.35WBFox hunt start"},
    {19, "N1FOX-9>GPSLK,WIDE1-1,WIDE2-1:$GPGGA,143148,4218.701,N,07105.822,W,1,08,1.1,45.2,M,-33.9,M,,*46"},
    {6, "EMAIL-2>APJIE4,TCPIP*,qAC,EMAIL-2::N0DEMO   :Email sent to secretary@club.example.net{18"},
};

// A stationary satellite placed where it never rises over the station: the
// first mean anomaly (in steps of 30 degrees) that leaves it below the
// horizon with no crossing within the next 24 hours.
OrbitDescription stationaryBelowHorizon(std::int64_t epochUnix) {
  OrbitDescription d;
  d.name = "DEMOGEO-1";
  d.catalogNumber = kNeverUp;
  d.epochUnix = epochUnix;
  d.inclinationDeg = 0.05;
  d.meanMotionRevPerDay = kGeostationaryRevPerDay;
  for (int step = 0; step < 12; ++step) {
    d.meanAnomalyDeg = 30.0 * step;
    const std::vector<ElementRecord> records = scanElementText(formatElementSet(d));
    if (records.empty()) continue;
    OrbitModel model;
    model.loadElements(records[0].name.view(), records[0].line1.view(), records[0].line2.view());
    model.propagate(epochUnix);
    const bool below = model.lookAngles(kStationLatitudeDeg, kStationLongitudeDeg).elevationDeg < 0;
    if (below && !model.findCrossing(epochUnix, kStationLatitudeDeg, kStationLongitudeDeg)) return d;
  }
  return d;
}

}  // namespace

std::int64_t demoInstant() { return unixFromCalendar(CalendarTime{2026, 6, 12, 14, 32, 7, 0}); }

std::int64_t elementEpoch() { return demoInstant() - 2 * kRiseAfterEpochSeconds; }

StationSettings demoSettings() {
  StationSettings s;
  s.callsign = "N0DEMO";
  s.latitude = "42.360100";
  s.longitude = "-71.058900";
  s.power = "25.000000";
  s.height = "40.000000";
  s.gain = "3.000000";
  s.direction = "0.000000";
  s.phg = "5230";
  s.mobile = 0;
  s.portNumber = 0;
  s.gpsPortNumber = 1;
  s.gpsType = 0;
  s.baudRate = 2;
  s.tncType = 3;
  s.tncBeaconOn = 0;
  s.beaconInterval = "30.000000";
  s.unproto = "APRS";
  s.unprotoVia = "WIDE1-1,WIDE2-1";
  s.message = "TervaneAPRS station, Boston";
  s.textFilePath = "/home/operator/aprs-logs/";
  s.kepFileName = "amateur.txt";

  s.satellitesObserved = static_cast<std::int32_t>(std::size(kChoices));
  for (std::size_t i = 0; i < std::size(kChoices); ++i) {
    const DemoChoice& c = kChoices[i];
    s.satelliteID[i] = c.catalogNumber;
    s.satelliteLeadTime[i] = c.leadTimeTens;
    s.satelliteBeaconInterval[i] = c.beaconIntervalTens;
    s.satelliteAutoBeaconUnprotoVia[i] = c.autoBeacon ? 1 : 0;
    s.satelliteUnprotoVia[i] = c.passVia;
  }

  for (std::size_t i = 0; i < std::size(kFilters); ++i) s.filterString[i] = kFilters[i];

  s.emailNumber = static_cast<std::int32_t>(std::size(kContacts));
  s.emailSelected = 1;
  for (std::size_t i = 0; i < std::size(kContacts); ++i) {
    s.nickname[i] = kContacts[i].nickname;
    s.address[i] = kContacts[i].address;
  }
  return s;
}

std::vector<HeardLine> demoTraffic() {
  std::vector<HeardLine> lines;
  for (const DemoLine& l : kTraffic) lines.push_back({demoInstant() - l.secondsBefore, l.text});
  return lines;
}

std::string demoElementText() {
  const std::int64_t epoch = elementEpoch();
  std::string text = formatElementSet(orbitPassingOver(
      "DEMOSAT-1", kRisingSoon, kStationLatitudeDeg, kStationLongitudeDeg, epoch, kRiseAfterEpochSeconds));
  const struct {
    const char* name;
    int catalogNumber;
    double inclinationDeg, raanDeg, meanAnomalyDeg, revPerDay;
  } others[] = {{"DEMOSAT-2", kWaiting, 51.6, 40.0, 10.0, 15.5},
                {"DEMOSAT-3", kNoBeacon, 98.6, 120.0, 200.0, 14.3},
                {"DEMOSAT-4", kSpare, 82.0, 300.0, 90.0, 13.8}};
  for (const auto& o : others) {
    OrbitDescription d;
    d.name = o.name;
    d.catalogNumber = o.catalogNumber;
    d.epochUnix = epoch;
    d.inclinationDeg = o.inclinationDeg;
    d.raanDeg = o.raanDeg;
    d.meanAnomalyDeg = o.meanAnomalyDeg;
    d.meanMotionRevPerDay = o.revPerDay;
    text += formatElementSet(d);
  }
  text += formatElementSet(stationaryBelowHorizon(epoch));
  return text;
}

}  // namespace tervane::demo
