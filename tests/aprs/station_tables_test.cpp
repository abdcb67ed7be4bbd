#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aprs/station_tables.h"

namespace tervane {
namespace {

StationEntry entry(const char* call, const char* sent = "", double lat = 1.0) {
  StationEntry e;
  e.positionValid = true;
  e.callsignFound = true;
  e.sourceCall = call;
  e.sentTime = sent;
  e.latitudeDeg = lat;
  e.latitudeText = "lat";
  return e;
}

std::vector<std::string> calls(const PositionTable& t) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < t.size(); ++i) out.push_back(t.row(i).sourceCall.str());
  return out;
}

std::vector<std::string> calls(const StationList& l) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < l.size(); ++i) out.emplace_back(l.at(i));
  return out;
}

TEST(PositionTable, KeepsRowsSortedOnePerCallsign) {
  PositionTable t;
  for (const char* c : {"C1C", "A1A", "B1B", "a1a", "A1A-9"}) t.addOrUpdate(entry(c));
  EXPECT_EQ(calls(t), (std::vector<std::string>{"A1A", "A1A-9", "B1B", "C1C", "a1a"}));
}

TEST(PositionTable, AnUpdateReplacesTheRowButKeepsPlaceAndTracked) {
  PositionTable t;
  t.addOrUpdate(entry("A1A", "12/6/2026 10:00", 1.0));
  t.addOrUpdate(entry("B1B", "12/6/2026 10:01", 2.0));
  t.toggleTracked(1);
  StationEntry fresh = entry("B1B", "", 5.0);
  fresh.tracked = false;
  const TableChange change = t.addOrUpdate(fresh);
  EXPECT_EQ(change.kind, TableChange::Updated);
  EXPECT_EQ(change.row, 1u);
  EXPECT_TRUE(t.row(1).tracked);
  EXPECT_EQ(t.row(1).sentTime, "");
  EXPECT_DOUBLE_EQ(t.row(1).latitudeDeg, 5.0);
  StationEntry tracked = entry("C1C");
  tracked.tracked = true;
  t.addOrUpdate(tracked);
  EXPECT_FALSE(t.row(2).tracked);  // a new row starts untracked
}

StationEntry object(const char* name, const char* sender, ReportKind kind = ReportKind::Object, bool killed = false) {
  StationEntry e = entry(sender);
  e.reportKind = kind;
  e.objectName = name;
  e.killed = killed;
  return e;
}

std::vector<std::string> names(const PositionTable& t) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < t.size(); ++i) out.emplace_back(stationName(t.row(i)));
  return out;
}

TEST(PositionTable, ObjectsAndItemsHaveRowsOfTheirOwnUntilKilled) {
  struct Row {
    const char* name;
    StationEntry entry;
    TableChange::Kind kind;
    std::size_t row;
    std::vector<std::string> names;
  };
  const Row kRows[] = {
      {"the sender's own position", entry("N1NET"), TableChange::Inserted, 0, {"N1NET"}},
      {"an object from the same sender is a row of its own",
       object("LEADER", "N1NET"),
       TableChange::Inserted,
       0,
       {"LEADER", "N1NET"}},
      {"an item likewise",
       object("AID #2", "N1NET", ReportKind::Item),
       TableChange::Inserted,
       0,
       {"AID #2", "LEADER", "N1NET"}},
      {"another station taking the object over updates its row",
       object("LEADER", "W1XYZ"),
       TableChange::Updated,
       1,
       {"AID #2", "LEADER", "N1NET"}},
      {"a killed object leaves",
       object("LEADER", "N1NET", ReportKind::Object, true),
       TableChange::Removed,
       1,
       {"AID #2", "N1NET"}},
      {"killing it again changes nothing",
       object("LEADER", "N1NET", ReportKind::Object, true),
       TableChange::Unchanged,
       1,
       {"AID #2", "N1NET"}},
      {"a killed item leaves", object("AID #2", "N1NET", ReportKind::Item, true), TableChange::Removed, 0, {"N1NET"}},
      {"the sender's row stays throughout", entry("N1NET", "", 2.0), TableChange::Updated, 0, {"N1NET"}},
  };
  PositionTable t;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const TableChange change = t.addOrUpdate(row.entry);
    EXPECT_EQ(change.kind, row.kind);
    EXPECT_EQ(change.row, row.row);
    EXPECT_EQ(names(t), row.names);
  }
  EXPECT_EQ(t.row(0).sourceCall, "N1NET");
  EXPECT_DOUBLE_EQ(t.row(0).latitudeDeg, 2.0);
}

TEST(StationTables, RefillAtTheNinthAndNineteenthAddition) {
  PositionTable t;
  StationList l;
  std::vector<int> tableRefills;
  std::vector<int> listRefills;
  for (int i = 1; i <= 30; ++i) {
    const std::string call = "K" + std::to_string(i) + "AA";
    if (t.addOrUpdate(entry(call.c_str())).refill) tableRefills.push_back(i);
    if (l.addCallsign(call).refill) listRefills.push_back(i);
    t.addOrUpdate(entry(call.c_str()));  // an update never refills
    EXPECT_FALSE(l.addCallsign(call).refill);
  }
  EXPECT_EQ(tableRefills, (std::vector<int>{9, 19, 29}));
  EXPECT_EQ(listRefills, (std::vector<int>{9, 19, 29}));
  t.remove({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(t.refreshThreshold(), 40);  // deleting never lowers it
}

TEST(StationTables, DeleteRemovesSelectedRowsAndKeepsOrder) {
  PositionTable t;
  StationList l;
  for (const char* c : {"A1A", "B1B", "C1C", "D1D", "E1E", "F1F"}) {
    t.addOrUpdate(entry(c));
    l.addCallsign(c);
  }
  t.remove({4, 1, 1});
  l.remove({1, 4, 99});
  EXPECT_EQ(calls(t), (std::vector<std::string>{"A1A", "C1C", "D1D", "F1F"}));
  EXPECT_EQ(calls(l), (std::vector<std::string>{"A1A", "C1C", "D1D", "F1F"}));
}

TEST(StationList, ListsEachCallsignOnce) {
  StationList l;
  for (int i = 0; i < 100; ++i) l.addCallsign("N0CALL");
  for (const char* c : {"C1C", "A1A", "B1B"}) l.addCallsign(c);
  EXPECT_EQ(calls(l), (std::vector<std::string>{"A1A", "B1B", "C1C", "N0CALL"}));
  l.addCallsign(std::string(40, 'X'));
  EXPECT_EQ(l.at(4).size(), 31u);
}

TEST(QslTexts, NamesEverySelectedStationInOrder) {
  EXPECT_EQ(qslTexts({"N0CALL", "N1TEST", "W1ABC"}), (std::vector<std::string>{"QSL N0CALL N1TEST W1ABC "}));
  EXPECT_TRUE(qslTexts({}).empty());

  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i) many.push_back("KB1XY" + std::to_string(100 + i));
  const auto texts = qslTexts(many);
  ASSERT_GT(texts.size(), 1u);
  std::string joined;
  for (const std::string& t : texts) {
    EXPECT_LE(t.size() + 7, 255u);  // with Ctrl-C, "conv" and CR around it
    ASSERT_EQ(t.rfind("QSL ", 0), 0u);
    joined += t.substr(4);
  }
  std::string expected;
  for (const std::string& c : many) expected += c + " ";
  EXPECT_EQ(joined, expected);
}

}  // namespace
}  // namespace tervane
