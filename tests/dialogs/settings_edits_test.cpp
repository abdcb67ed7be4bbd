#include <gtest/gtest.h>

#include "base/text_format.h"
#include "dialogs/field_checks.h"
#include "dialogs/settings_edits.h"
#include "tests/decimal_comma_locale.h"
#include "tnc/position_report.h"

namespace tervane {
namespace {

TEST(TncSettingsEdit, OkStoresEveryFieldAndRefreshesTheBeaconFlag) {
  StationSettings s;
  WorkingValues v;
  TncSettingsEdit e = loadTncSettings(s);
  EXPECT_EQ(e.baudIndex, 9600);
  EXPECT_DOUBLE_EQ(e.intervalMinutes, 30.0);
  e.intervalMinutes = 2.5;
  e.tncBeaconOn = 0;
  e.model = 1;
  e.comment = std::string(100, 'c');
  e.unproto = "APZTVN";
  e.unprotoVia = "WIDE1-1,WIDE2-1";
  v.tncBeaconFlag = true;
  applyTncSettings(e, s, v);
  EXPECT_EQ(s.beaconInterval, "2.500000");
  EXPECT_DOUBLE_EQ(v.beaconMinutes.load(), 2.5);
  EXPECT_EQ(s.baudRate, 9600);  // an untouched list keeps the stored value
  EXPECT_EQ(s.tncType, 1);
  EXPECT_EQ(s.tncBeaconOn, 0);
  EXPECT_FALSE(v.tncBeaconFlag.load());
  EXPECT_EQ(s.message.size(), 63u);
  EXPECT_EQ(v.beaconComment(), std::string(63, 'c'));
  EXPECT_EQ(v.currentUnproto(), "APZTVN");
  EXPECT_EQ(s.unprotoVia, "WIDE1-1,WIDE2-1");

  e.intervalMinutes = 1e30;  // its "%f" text would not fit: the stored interval stays
  applyTncSettings(e, s, v);
  EXPECT_EQ(s.beaconInterval, "2.500000");

  // The link: kind and addresses stored, a port that is none leaves the stored one.
  s.callsign = "n0call-9";
  e = loadTncSettings(s);
  EXPECT_EQ(shownAprsIsPasscode(e), 13023);
  e.linkType = 3;
  e.aprsIsHost = "euro.aprs2.net";
  e.aprsIsPort = 0;
  e.kissPort = 8101;
  e.aprsIsReceiveOnly = true;
  EXPECT_EQ(shownAprsIsPasscode(e), -1);
  applyTncSettings(e, s, v);
  EXPECT_EQ(s.linkType, 3);
  EXPECT_EQ(s.aprsIsHost, "euro.aprs2.net");
  EXPECT_EQ(s.aprsIsPort, 14580);
  EXPECT_EQ(s.kissPort, 8101);
  EXPECT_EQ(s.aprsIsReceiveOnly, 1);
}

TEST(StationDataEdit, OkStoresTextsPhgMobileRulesAndPosition) {
  struct Row {
    const char* name;
    double lat, lon;
    bool mobile;
    const char* latText;
    const char* lonText;
    char latLetter, lonLetter;
    int beaconOn;
  };
  const Row rows[] = {
      {"north-west fixed station", 42.3601, -71.0589, false, "42.360100", "-71.058900", 'N', 'W', 1},
      {"zero latitude is south", 0.0, 151.25, false, "0.000000", "151.250000", 'S', 'E', 1},
      {"mobile station beacons from the PC", -33.5, 18.4, true, "-33.500000", "18.400000", 'S', 'E', 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    StationSettings s;
    WorkingValues v;
    v.tncBeaconFlag = s.tncBeaconOn != 0;  // as published at start-up
    StationDataEdit e = loadStationData(s);
    e.callsign = "N0CALL";
    e.latitudeDeg = r.lat;
    e.longitudeDeg = r.lon;
    e.powerW = 25;
    e.heightFt = 40;
    e.gainDb = 3;
    e.directionDeg = 0;
    e.mobile = r.mobile;
    applyStationData(e, s, v);
    EXPECT_EQ(s.latitude, r.latText);
    EXPECT_EQ(s.longitude, r.lonText);
    EXPECT_EQ(s.power, "25.000000");
    EXPECT_EQ(s.phg, "5230");
    EXPECT_EQ(v.phgText(), "5230");
    EXPECT_EQ(s.tncBeaconOn, r.beaconOn);
    EXPECT_EQ(v.tncBeaconFlag.load(), r.beaconOn != 0);  // the PC beacon starts at once
    EXPECT_EQ(v.mobileMode.load(), r.mobile);
    const StationPosition p = v.position();
    EXPECT_EQ(p.latHemisphere, r.latLetter);
    EXPECT_EQ(p.lonHemisphere, r.lonLetter);
    EXPECT_DOUBLE_EQ(p.latitudeDeg, leadingNumber(r.latText));
  }
  StationSettings s;
  s.tncBeaconOn = 1;
  WorkingValues v;
  StationDataEdit e = loadStationData(s);
  e.mobile = true;
  applyStationData(e, s, v);
  e.mobile = false;
  applyStationData(e, s, v);
  EXPECT_EQ(s.tncBeaconOn, 0);  // back to fixed leaves the PC beacon
  e.latitudeDeg = 1e40;         // too long for the field: the stored latitude stays
  applyStationData(e, s, v);
  EXPECT_EQ(s.latitude, "0.000000");
}

// A desktop session in a decimal-comma locale: what is stored, shown and sent
// keeps the decimal point, and stored numbers read back whole.
TEST(StationDataEdit, NumbersKeepTheirDecimalPointUnderACommaLocale) {
  std::string reason;
  if (!useDecimalCommaLocale(&reason)) GTEST_SKIP() << reason;
  StationSettings s;
  WorkingValues v;
  StationDataEdit e = loadStationData(s);
  e.latitudeDeg = 42.5;
  e.longitudeDeg = -71.25;
  applyStationData(e, s, v);
  TncSettingsEdit t = loadTncSettings(s);
  t.intervalMinutes = 2.5;
  applyTncSettings(t, s, v);

  Coordination shared;
  publishWorkingValues(s, shared);  // the next start reads what was stored
  const StationPosition p = shared.values.position();
  const std::string f2 = buildF2Text(CalendarTime{2026, 12, 7, 12, 0, 0, 0}, p.latitudeDeg, p.latHemisphere,
                                     p.longitudeDeg, p.lonHemisphere, false, "4310", "CQ");
  const std::string beacon = buildBeaconText(p.latitudeDeg, p.longitudeDeg, "4310", "CQ");
  const std::string shownLatitude = latitudeDisplay(p.latitudeDeg);
  const double interval = shared.values.beaconMinutes.load();
  const Refusal typedLatitude = checkLatitude("42.5");
  useCLocale();

  EXPECT_EQ(s.latitude, "42.500000");
  EXPECT_EQ(s.longitude, "-71.250000");
  EXPECT_EQ(s.beaconInterval, "2.500000");
  EXPECT_DOUBLE_EQ(p.latitudeDeg, 42.5);
  EXPECT_DOUBLE_EQ(interval, 2.5);
  EXPECT_NE(f2.find("4230.00N/07115.00W"), std::string::npos) << f2;
  EXPECT_NE(beacon.find("4230.00N/07115.00W"), std::string::npos) << beacon;
  EXPECT_EQ(shownLatitude, "42.500000 N");
  EXPECT_FALSE(typedLatitude) << *typedLatitude;  // a typed point is a point
}

// What each field refuses; the values the PHG fields take each have a digit
// of their own, as the encoder gives it.
TEST(FieldChecks, RefuseWhatTheSettingCannotCarry) {
  using Check = Refusal (*)(std::string_view);
  struct Row {
    const char* name;
    Check check;
    const char* text;
    bool taken;
    int phgPlace;  // -1: no PHG field; else the digit's place, 0 power .. 3 direction
    char phgDigit;
  };
  const Row rows[] = {
      {"latitude as the dialog shows it", checkLatitude, " 42.360100", true, -1, 0},
      {"latitude at the pole", checkLatitude, "-90", true, -1, 0},
      {"latitude beyond the pole", checkLatitude, "90.5", false, -1, 0},
      {"latitude with letters after it", checkLatitude, "42.36N", false, -1, 0},
      {"empty latitude", checkLatitude, "", false, -1, 0},
      {"longitude at the date line", checkLongitude, "180", true, -1, 0},
      {"longitude beyond the date line", checkLongitude, "-180.01", false, -1, 0},
      {"negative power", checkPhgPower, "-5", false, -1, 0},
      {"power just under the tenth digit", checkPhgPower, "99.99", true, 0, '9'},
      {"power of the first digit beyond", checkPhgPower, "100", false, -1, 0},
      {"height that is no number", checkPhgHeight, "abc", false, -1, 0},
      {"height just under the tenth digit", checkPhgHeight, "10239", true, 1, '9'},
      {"height of the first digit beyond", checkPhgHeight, "10240", false, -1, 0},
      {"gain of a billion dB", checkPhgGain, "1e9", false, -1, 0},
      {"gain just under the tenth digit", checkPhgGain, "9.9", true, 2, '9'},
      {"direction north", checkPhgDirection, "360", true, 3, '8'},
      {"direction omni", checkPhgDirection, "0", true, 3, '0'},
      {"direction that has no digit", checkPhgDirection, "400", false, -1, 0},
      {"no callsign", checkCallsign, "", true, -1, 0},
      {"callsign with the longest SSID", checkCallsign, "N0CALL-15", true, -1, 0},
      {"14-character callsign", checkCallsign, "N0CALL-15ABCDE", false, -1, 0},
      {"callsign with SSID 16", checkCallsign, "N0CALL-16", false, -1, 0},
      {"callsign with a blank", checkCallsign, "N0 CALL", false, -1, 0},
      {"unproto destination", checkUnprotoDestination, "APRS", true, -1, 0},
      {"empty unproto destination", checkUnprotoDestination, "", false, -1, 0},
      {"path of two digipeaters", checkUnprotoPath, "WIDE1-1,WIDE2-1", true, -1, 0},
      {"path with blanks between", checkUnprotoPath, "RELAY, WIDE", true, -1, 0},
      {"no path", checkUnprotoPath, "", true, -1, 0},
      {"path with an underscore", checkUnprotoPath, "WIDE1-1,WIDE2_1", false, -1, 0},
      {"path of nine digipeaters", checkUnprotoPath, "A,B,C,D,E,F,G,H,I", false, -1, 0},
      {"path entry of seven letters", checkUnprotoPath, "WIDEWIDE", false, -1, 0},
      {"APRS-IS filter", checkAprsIsFilter, "r/42.36/-71.06/100 b/N0DEMO*", true, -1, 0},
      {"APRS-IS filter with umlauts", checkAprsIsFilter, "b/M\xc3\xa4\xc3\xb6*", false, -1, 0},
      {"TCP port", checkTcpPort, "8001", true, -1, 0},
      {"port beyond 65535", checkTcpPort, "99999", false, -1, 0},
      {"port that is no number", checkTcpPort, "abc", false, -1, 0},
      {"port with a fraction", checkTcpPort, "80.5", false, -1, 0},
      {"port 0", checkTcpPort, "0", false, -1, 0},
      {"beacon interval as the dialog shows it", checkBeaconMinutes, "  30.00", true, -1, 0},
      {"no PC beacon", checkBeaconMinutes, "0", true, -1, 0},
      {"negative beacon interval", checkBeaconMinutes, "-5", false, -1, 0},
      {"beacon interval too long to store", checkBeaconMinutes, "1e30", false, -1, 0},
      {"pass minutes cleared by the dialog", checkPassMinutes, "", true, -1, 0},
      {"pass minutes", checkPassMinutes, "2.5", true, -1, 0},
      {"negative pass beacon interval", checkPassMinutes, "-5", false, -1, 0},
      {"lead time that is no number", checkPassMinutes, "abc", false, -1, 0},
      {"lead time beyond tens of seconds", checkPassMinutes, "1e9", false, -1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Refusal why = r.check(r.text);
    EXPECT_EQ(!why, r.taken) << (why ? *why : std::string("taken"));
    if (why) {
      EXPECT_GT(why->size(), 20u) << *why;  // a reason the operator can act on
    }
    if (r.phgPlace < 0) continue;
    double values[4] = {0, 0, 0, 0};
    values[r.phgPlace] = leadingNumber(r.text);
    EXPECT_EQ(computePhg(values[0], values[1], values[2], values[3])[static_cast<std::size_t>(r.phgPlace)],
              r.phgDigit);
  }
}

TEST(AddressBookEdit, AddDeleteAndClose) {
  StationSettings s;
  WorkingValues v;
  AddressBookEdit e = loadAddressBook(s);
  EXPECT_EQ(e.count, 1);
  EXPECT_EQ(e.selectedAddress(), "");
  e.nicknames[0] = "home";
  e.addresses[0] = "home@example.org";
  ASSERT_TRUE(e.add());
  e.nicknames[1] = "club";
  e.addresses[1] = "club@example.org";
  ASSERT_TRUE(e.add());
  e.nicknames[2] = "net";
  e.addresses[2] = "net@example.org";
  e.selected = 1;
  ASSERT_TRUE(e.removeSelected());
  EXPECT_EQ(e.count, 2);
  EXPECT_EQ(e.selected, 0);
  EXPECT_EQ(e.nicknames[1], "net");
  EXPECT_EQ(e.nicknames[2], "");
  applyAddressBook(e, s, v);
  EXPECT_EQ(s.emailNumber, 2);
  EXPECT_EQ(s.emailSelected, 0);
  EXPECT_EQ(s.address[1], "net@example.org");
  EXPECT_EQ(v.emailAddress(), "home@example.org");

  AddressBookEdit full = e;
  while (full.add()) {
  }
  EXPECT_EQ(full.count, 16);
  EXPECT_FALSE(full.add());

  AddressBookEdit one = loadAddressBook(StationSettings{});
  one.addresses[0] = "x@y";
  ASSERT_TRUE(one.removeSelected());
  EXPECT_EQ(one.count, 0);
  EXPECT_EQ(one.selectedAddress(), "");
  EXPECT_FALSE(one.removeSelected());

  AddressBookEdit longText = loadAddressBook(StationSettings{});
  longText.addresses[0] = std::string(80, 'a');
  applyAddressBook(longText, s, v);
  EXPECT_EQ(s.address[0].size(), 63u);
  EXPECT_EQ(v.emailAddress().size(), 63u);
}

}  // namespace
}  // namespace tervane
