#include <gtest/gtest.h>

#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/satellite_selection.h"

namespace tervane {
namespace {

std::vector<ElementRecord> sats(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    OrbitDescription o;
    o.name = "SAT-" + std::to_string(i);
    o.catalogNumber = 40000 + i;
    o.epochUnix = 1796621563;
    o.inclinationDeg = 97;
    text += formatElementSet(o);
  }
  return scanElementText(text);
}

ChoiceBoxes boxes(const char* via, const char* interval, const char* lead, bool autoBeacon) {
  return ChoiceBoxes{via, interval, lead, autoBeacon};
}

TEST(SatelliteSelection, MinutesAndTensOfSeconds) {
  EXPECT_EQ(minutesTextToTens("2.5"), 15);
  EXPECT_EQ(minutesTextToTens("0.1"), 0);
  EXPECT_EQ(minutesTextToTens("soon"), 0);
  EXPECT_EQ(minutesTextToTens("1e30"), 0);
  EXPECT_EQ(tensToMinutesText(15), "    2.50");
  EXPECT_EQ(tensToMinutesText(18), "    3.00");
}

TEST(SatelliteSelection, PickAddModifyAndDefaults) {
  StationSettings s;
  SatelliteSelection sel(sats(3), s);
  const ChoiceBoxes fresh = sel.boxesForPick(1);
  EXPECT_EQ(fresh.via, "ARISS");
  EXPECT_EQ(fresh.beaconIntervalMinutes, "    1.00");
  EXPECT_EQ(fresh.leadTimeMinutes, "    3.00");
  EXPECT_FALSE(fresh.autoBeacon);
  EXPECT_EQ(sel.addOrModify(1, boxes("ARISS", "1", "2.5", true)), SatelliteSelection::AddResult::Added);
  EXPECT_EQ(sel.choices()[0].leadTimeTens, 15);
  EXPECT_EQ(sel.boxesForPick(1).leadTimeMinutes, "    2.50");
  EXPECT_EQ(sel.addOrModify(1, boxes("WIDE", "0.1", "3", false)), SatelliteSelection::AddResult::Modified);
  EXPECT_EQ(sel.rowCount(), 1u);
  EXPECT_EQ(sel.choices()[0].passBeaconIntervalTens, 0);
  EXPECT_EQ(sel.addOrModify(std::nullopt, boxes("x", "1", "1", true)), SatelliteSelection::AddResult::NothingPicked);
  EXPECT_EQ(sel.rowText(0), "SAT-1");
}

TEST(SatelliteSelection, RefusesASeventeenthSatellite) {
  StationSettings s;
  SatelliteSelection sel(sats(17), s);
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(sel.addOrModify(i, boxes("", "1", "3", true)), SatelliteSelection::AddResult::Added);
  }
  EXPECT_EQ(sel.addOrModify(16, boxes("", "1", "3", true)), SatelliteSelection::AddResult::Full);
  EXPECT_EQ(sel.addOrModify(3, boxes("", "2", "3", true)), SatelliteSelection::AddResult::Modified);
}

TEST(SatelliteSelection, EditBoxesReachSelectedRowsAndDeleteMovesUp) {
  StationSettings s;
  SatelliteSelection sel(sats(3), s);
  for (std::size_t i = 0; i < 3; ++i) sel.addOrModify(i, boxes(("VIA" + std::to_string(i)).c_str(), "1", "3", true));
  sel.boxChanged({0, 2}, SatelliteSelection::Box::Via, "BOTH");
  sel.boxChanged({0, 2}, SatelliteSelection::Box::LeadTime, "");
  EXPECT_EQ(sel.choices()[0].passVia, "BOTH");
  EXPECT_EQ(sel.choices()[1].passVia, "VIA1");
  EXPECT_EQ(sel.choices()[2].passVia, "BOTH");
  EXPECT_EQ(sel.choices()[2].leadTimeTens, 0);
  sel.deleteRows({0});
  ASSERT_EQ(sel.rowCount(), 2u);
  EXPECT_EQ(sel.rowText(0), "SAT-1");
  EXPECT_EQ(sel.choices()[0].passVia, "VIA1");
  EXPECT_EQ(sel.choices()[1].passVia, "BOTH");
}

TEST(SatelliteSelection, CommitFillsSettingsAndTrackerAndKeepsMissingOrUnreadableChoices) {
  StationSettings s;
  s.satellitesObserved = 4;
  s.satelliteID[0] = 40001;
  s.satelliteID[1] = 12345;  // no longer in the element file
  s.satelliteID[2] = 40002;
  s.satelliteID[3] = 40003;  // its second line is cut short
  s.satelliteUnprotoVia[2] = "THIRD";
  s.satelliteAutoBeaconUnprotoVia[0] = 0;
  std::vector<ElementRecord> available = sats(4);
  available[3].name = "SAT-3     ";
  available[3].line2 = available[3].line2.str().substr(0, 40) + "\n";
  SatelliteSelection sel(available, s);
  ASSERT_EQ(sel.rowCount(), 4u);
  EXPECT_EQ(sel.rowText(1), "12345 (elements missing)");
  EXPECT_FALSE(sel.rowTracked(1));
  EXPECT_EQ(sel.rowText(3), "SAT-3 (elements unreadable)");
  EXPECT_FALSE(sel.rowTracked(3));
  EXPECT_TRUE(sel.rowTracked(2));
  StationSettings out = s;
  TrackerTables tracker;
  sel.commit(out, tracker);
  EXPECT_EQ(out.satellitesObserved, 4);
  EXPECT_EQ(out.satelliteID[1], 12345);
  EXPECT_EQ(out.satelliteID[3], 40003);
  ASSERT_EQ(tracker.count, 2);
  EXPECT_EQ(tracker.names[0], "SAT-1");
  EXPECT_FALSE(tracker.autoBeacon[0]);
  EXPECT_EQ(tracker.names[1], "SAT-2");
  EXPECT_EQ(tracker.unprotoVia[1], "THIRD");

  SatelliteSelection none(sats(2), StationSettings{});
  TrackerTables empty;
  empty.count = 5;
  StationSettings cleared = s;
  none.commit(cleared, empty);
  EXPECT_EQ(cleared.satellitesObserved, 0);
  EXPECT_EQ(empty.count, 0);
}

}  // namespace
}  // namespace tervane
