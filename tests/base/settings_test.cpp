#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/coordination.h"
#include "base/station_settings.h"
#include "base/text_format.h"

namespace tervane {
namespace {

TEST(StationSettings, FirstRunOnEmptyStoreGivesDefaults) {
  MemoryProfileStore store;
  StationSettings s;
  s.callsign = "junk";
  s.tncType = 99;
  s.load(store);
  EXPECT_EQ(s.callsign, "");
  EXPECT_EQ(s.beaconInterval, "30.0");
  EXPECT_EQ(s.unproto, "APRS");
  EXPECT_EQ(s.unprotoVia, "WIDE1-1,WIDE2-1");
  EXPECT_EQ(s.message, "CQ");
  EXPECT_EQ(s.phg, "4310");
  EXPECT_EQ(s.kepFileName, "amateur.txt");
  EXPECT_EQ(s.tncType, 3);
  EXPECT_EQ(s.tncBeaconOn, 1);
  EXPECT_EQ(s.baudRate, 9600);
  EXPECT_EQ(s.portNumber, 0);
  EXPECT_EQ(s.gpsPortNumber, 1);
  EXPECT_EQ(s.gpsType, 0);
  EXPECT_EQ(s.emailNumber, 1);
  EXPECT_EQ(s.emailSelected, 0);
  EXPECT_EQ(s.satellitesObserved, 0);
  for (int i = 0; i < kSatelliteSlots; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.satelliteLeadTime[i], 18);
    EXPECT_EQ(s.satelliteBeaconInterval[i], 6);
    EXPECT_EQ(s.satelliteAutoBeaconUnprotoVia[i], 1);
    EXPECT_EQ(s.satelliteUnprotoVia[i], "ARISS");
    EXPECT_EQ(s.nickname[i], "");
    EXPECT_EQ(s.address[i], "");
  }
}

// The exact entries, kinds and order a save writes after an unchanged first run.
TEST(StationSettings, SaveWritesEveryEntryInOrderWithKinds) {
  MemoryProfileStore empty;
  StationSettings s;
  s.load(empty);
  MemoryProfileStore store;
  s.save(store);

  std::vector<std::string> expected;
  for (int i = 0; i < 16; ++i) {
    for (const char* stem : {"satelliteID", "satelliteLeadTime", "satelliteBeaconInterval",
                             "satelliteAutoBeaconUnprotoVia", "satelliteUnprotoVia", "filterString", "address",
                             "nickname"}) {
      expected.push_back(textf("%s%02d", stem, i));
    }
  }
  for (const char* name :
       {"kepFileName", "satellitesObserved", "emailNumber", "emailSelected", "gpsPortNumber", "gpsType", "tncType",
        "tncBeaconOn", "baudRate", "portNumber", "message", "unproto", "unprotoVia", "beaconInterval", "callsign",
        "latitude", "longitude", "power", "height", "gain", "direction", "phg", "mobile", "textFilePath", "linkType",
        "kissHost", "kissPort", "aprsIsHost", "aprsIsPort", "aprsIsFilter", "aprsIsReceiveOnly", "gpsdHost",
        "gpsdPort", "link1Name"}) {
    expected.push_back(name);
  }
  for (int link = 2; link <= 4; ++link) {
    for (const char* field : {"Name", "End", "Transmits", "Filter"}) expected.push_back(textf("link%d%s", link, field));
  }
  expected.push_back("igateOn");
  expected.push_back("igatePath");
  ASSERT_EQ(store.writes().size(), expected.size());
  const std::set<std::string> ints = {"satellitesObserved", "emailNumber", "emailSelected", "gpsPortNumber", "gpsType",
                                      "tncType", "tncBeaconOn", "baudRate", "portNumber", "mobile",
                                      "linkType", "kissPort", "aprsIsPort", "aprsIsReceiveOnly", "gpsdPort",
                                      "link2Transmits", "link3Transmits", "link4Transmits", "igateOn"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(store.writes()[i].entry, expected[i]);
    EXPECT_EQ(store.writes()[i].section, "Version 1.0");
    const bool slotInt = expected[i].rfind("satelliteID", 0) == 0 || expected[i].rfind("satelliteLeadTime", 0) == 0 ||
                         expected[i].rfind("satelliteBeaconInterval", 0) == 0 ||
                         expected[i].rfind("satelliteAutoBeacon", 0) == 0;
    EXPECT_EQ(store.writes()[i].value.isInt, slotInt || ints.count(expected[i]) == 1);
  }
  EXPECT_EQ(store.size(), expected.size());
  EXPECT_EQ(store.readText("Version 1.0", "beaconInterval", "x"), "30.0");
  EXPECT_EQ(store.readInt("Version 1.0", "baudRate", 0), 9600);
}

TEST(StationSettings, EveryFieldSurvivesARoundTrip) {
  StationSettings a;
  a.callsign = "N0CALL-9";
  a.latitude = "42.360100";
  a.longitude = "-71.058900";
  a.power = "25";
  a.gain = "3";
  a.height = "40";
  a.direction = "0";
  a.mobile = 1;
  a.portNumber = 2;
  a.gpsPortNumber = 3;
  a.gpsType = 1;
  a.baudRate = 1;
  a.beaconInterval = "2.500000";
  a.unproto = "APZ001";
  a.unprotoVia = "WIDE1-1,WIDE2-1";
  a.message = "Mobile QRV";
  a.phg = "5230";
  a.tncBeaconOn = 0;
  a.tncType = 4;
  a.textFilePath = "/home/op/logs/";
  a.kepFileName = "/home/op/keps.txt";
  for (int i = 0; i < 16; ++i) {
    a.satelliteID[i] = 25544 + i;
    a.satelliteLeadTime[i] = i;
    a.satelliteBeaconInterval[i] = 100 + i;
    a.satelliteAutoBeaconUnprotoVia[i] = i % 2;
    a.satelliteUnprotoVia[i] = textf("ARISS%d", i);
    a.filterString[i] = textf("F%d", i);
    a.nickname[i] = textf("nick%d", i);
    a.address[i] = textf("op%d@example.org", i);
  }
  a.satellitesObserved = 5;
  a.emailNumber = 16;
  a.emailSelected = 7;
  a.linkType = 3;
  a.kissHost = "10.0.0.2";
  a.kissPort = 8101;
  a.aprsIsHost = "noam.aprs2.net";
  a.aprsIsPort = 14581;
  a.aprsIsFilter = "r/42.36/-71.06/50";
  a.aprsIsReceiveOnly = 1;
  a.gpsdHost = "gps.local";
  a.gpsdPort = 2948;

  MemoryProfileStore store;
  a.save(store);
  StationSettings b;
  b.load(store);
  MemoryProfileStore again;
  b.save(again);
  ASSERT_EQ(store.writes().size(), again.writes().size());
  for (std::size_t i = 0; i < store.writes().size(); ++i) {
    SCOPED_TRACE(store.writes()[i].entry);
    EXPECT_EQ(store.writes()[i].value.isInt, again.writes()[i].value.isInt);
    EXPECT_EQ(store.writes()[i].value.number, again.writes()[i].value.number);
    EXPECT_EQ(store.writes()[i].value.text, again.writes()[i].value.text);
  }
  EXPECT_EQ(b.satelliteUnprotoVia[15], "ARISS15");
  EXPECT_EQ(b.beaconInterval, "2.500000");
  EXPECT_EQ(b.aprsIsFilter, "r/42.36/-71.06/50");
  EXPECT_EQ(b.gpsdPort, 2948);
}

TEST(StationSettings, EntryNamesIgnoreCaseAndBeaconIntervalIsOneValue) {
  MemoryProfileStore store;
  store.writeText("Version 1.0", "BEACONINTERVAL", "12.5");
  store.writeInt("Version 1.0", "TncType", 1);
  StationSettings s;
  s.load(store);
  EXPECT_EQ(s.beaconInterval, "12.5");
  EXPECT_EQ(s.tncType, 1);
  s.beaconInterval = "7.0";
  s.save(store);
  StationSettings t;
  t.load(store);
  EXPECT_EQ(t.beaconInterval, "7.0");
}

TEST(StationSettings, KindsAreKeptAndOutOfRangeValuesLoadUnchanged) {
  MemoryProfileStore store;
  store.writeText("Version 1.0", "tncType", "2");     // a text where an integer belongs
  store.writeInt("Version 1.0", "callsign", 5);       // an integer where a text belongs
  store.writeInt("Version 1.0", "gpsType", 5);
  store.writeInt("Version 1.0", "baudRate", 2);
  StationSettings s;
  s.load(store);
  EXPECT_EQ(s.tncType, 3);
  EXPECT_EQ(s.callsign, "");
  EXPECT_EQ(s.gpsType, 5);
  EXPECT_EQ(tncBaudFromIndex(s.baudRate), 9600);
  EXPECT_EQ(tncBaudFromIndex(0), 1200);
  EXPECT_EQ(tncBaudFromIndex(1), 4800);
  EXPECT_EQ(tncBaudFromIndex(9600), 9600);
}

TEST(StationSettings, TextsLongerThanTheFieldAreCutToCapacityLessOne) {
  MemoryProfileStore store;
  store.writeText("Version 1.0", "callsign", std::string(100, 'A'));
  store.writeText("Version 1.0", "message", std::string(100, 'm'));
  store.writeText("Version 1.0", "phg", "123456789012345678");
  store.writeText("Version 1.0", "textFilePath", std::string(300, '/'));
  StationSettings s;
  s.load(store);
  EXPECT_EQ(s.callsign.size(), 31u);
  EXPECT_EQ(s.message.size(), 63u);
  EXPECT_EQ(s.phg, "123456789012345");
  EXPECT_EQ(s.textFilePath.size(), 255u);
}

TEST(WorkingValues, PublishDerivesValuesLettersAndMobileRule) {
  struct Row {
    const char* name;
    const char* latitude;
    const char* longitude;
    int mobile;
    int tncBeaconOn;
    char latLetter;
    char lonLetter;
    const char* latShown;
    const char* lonShown;
    bool flag;
    int storedBeaconOn;
  };
  const Row rows[] = {
      {"zero is south and west", "0", "0", 0, 1, 'S', 'W', " 0.000000 S", "  0.000000 W", true, 1},
      {"southern latitude", "-33.5", "151.25", 0, 0, 'S', 'E', "33.500000 S", "151.250000 E", false, 0},
      {"north and west", "42.3601", "-71.0589", 0, 1, 'N', 'W', "42.360100 N", " 71.058900 W", true, 1},
      {"mobile clears the TNC beacon", "1", "1", 1, 1, 'N', 'E', " 1.000000 N", "  1.000000 E", false, 0},
      {"text that is no number", "abc", "12abc", 0, 1, 'S', 'E', " 0.000000 S", " 12.000000 E", true, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    StationSettings s;
    s.latitude = r.latitude;
    s.longitude = r.longitude;
    s.mobile = r.mobile;
    s.tncBeaconOn = r.tncBeaconOn;
    Coordination shared;
    publishWorkingValues(s, shared);
    const StationPosition p = shared.values.position();
    EXPECT_EQ(p.latHemisphere, r.latLetter);
    EXPECT_EQ(p.lonHemisphere, r.lonLetter);
    EXPECT_EQ(latitudeDisplay(p.latitudeDeg), r.latShown);
    EXPECT_EQ(longitudeDisplay(p.longitudeDeg), r.lonShown);
    EXPECT_EQ(shared.values.tncBeaconFlag.load(), r.flag);
    EXPECT_EQ(s.tncBeaconOn, r.storedBeaconOn);
    EXPECT_EQ(shared.values.mobileMode.load(), r.mobile != 0);
  }
}

TEST(WorkingValues, PublishCopiesTextsAndTrackerSlots) {
  StationSettings s;
  s.message = "hello";
  s.beaconInterval = "12.5abc";
  s.unproto = "APRS";
  s.emailSelected = 2;
  s.address[2] = "op@example.org";
  s.textFilePath = "/tmp/";
  s.phg = "5230";
  s.filterString[3] = "WIDE";
  s.satelliteAutoBeaconUnprotoVia[4] = 0;
  s.satelliteLeadTime[4] = 30;
  Coordination shared;
  publishWorkingValues(s, shared);
  EXPECT_EQ(shared.values.beaconComment(), "hello");
  EXPECT_DOUBLE_EQ(shared.values.beaconMinutes.load(), 12.5);
  EXPECT_EQ(shared.values.emailAddress(), "op@example.org");
  EXPECT_EQ(shared.values.captureDirectory(), "/tmp/");
  EXPECT_EQ(shared.values.phgText(), "5230");
  EXPECT_EQ(shared.values.filterStrings()[3], "WIDE");
  EXPECT_FALSE(shared.tracker.autoBeacon[4]);
  EXPECT_TRUE(shared.tracker.autoBeacon[5]);
  EXPECT_EQ(shared.tracker.leadTimeTens[4], 30);
  EXPECT_EQ(shared.tracker.unprotoVia[0], "ARISS");

  s.emailSelected = 40;  // a damaged store must not index past the book
  publishWorkingValues(s, shared);
  EXPECT_EQ(shared.values.emailAddress(), "");
}

}  // namespace
}  // namespace tervane
