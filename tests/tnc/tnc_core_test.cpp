#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/station_settings.h"
#include "tnc/line_cutter.h"
#include "tnc/monitor_text.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {
namespace {

std::vector<std::string> cut(const std::vector<std::string>& reads, std::size_t* pending = nullptr) {
  LineCutter cutter;
  std::vector<std::string> lines;
  for (const std::string& r : reads) cutter.feed(r, [&lines](std::string_view l) { lines.emplace_back(l); });
  if (pending != nullptr) *pending = cutter.pending();
  return lines;
}

TEST(LineCutter, CutsLinesAtTwoLineEndBytes) {
  struct Row {
    const char* name;
    std::vector<std::string> reads;
    std::vector<std::string> lines;
    std::size_t pending;
  };
  const Row rows[] = {
      {"CR LF ends a line and keeps its ends", {"N0CALL>APRS:test\r\n"}, {"N0CALL>APRS:test\r\n"}, 0},
      {"a lone CR waits for a second line end", {"N0CALL>APRS:test\r"}, {}, 17},
      {"the second end may come in a later read", {"N0CALL>APRS:test\r", "\n"}, {"N0CALL>APRS:test\r\n"}, 0},
      {"empty line between two lines is dropped", {"A\r\n\r\nB\r\n"}, {"A\r\n", "B\r\n"}, 0},
      {"LF CR, CR CR and LF LF end lines too", {"one\n\rtwo\r\rthree\n\n"}, {"one\n\r", "two\r\r", "three\n\n"}, 0},
      {"single line ends inside a line stay", {"a\rb\nc\r\n"}, {"a\rb\nc\r\n"}, 0},
      {"leading line end of the buffer is skipped", {"\nxy\r\n"}, {"xy\r\n"}, 0},
      {"a line of only its ends holds no text", {"\r\n", "\n\r"}, {}, 0},
      {"one character and its ends is a line", {"x\r\n"}, {"x\r\n"}, 0},
      {"a zero byte ends the line's text, not the line", {std::string("abc\0def\r\n", 9)}, {"abc\r\n"}, 0},
      {"a zero byte at the start leaves no text", {std::string("\0abc\r\n", 6)}, {}, 0},
      {"split across many 16-byte reads",
       {"KB1XYZ-9>APRS,WIDE2-1:!4237.14N/07120.83W>comment\r\nW1ABC>APRS:>status\r\n"},
       {"KB1XYZ-9>APRS,WIDE2-1:!4237.14N/07120.83W>comment\r\n", "W1ABC>APRS:>status\r\n"},
       0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::size_t pending = 99;
    EXPECT_EQ(cut(r.reads, &pending), r.lines);
    EXPECT_EQ(pending, r.pending);
  }
}

TEST(LineCutter, DiscardsMoreThan1008BytesWithoutALineEnd) {
  std::size_t pending = 0;
  const auto lines = cut({std::string(1100, 'x'), "tail\r\n"}, &pending);
  // The first 1008 bytes are thrown away when the buffer fills; the line that
  // follows carries only what came after.
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LT(lines[0].size(), 1024u);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 6), "tail\r\n");
  EXPECT_EQ(pending, 0u);
  const auto endless = cut({std::string(100000, 'y')}, &pending);
  EXPECT_TRUE(endless.empty());
  EXPECT_LE(pending, 1024u);
}

TEST(MonitorText, TimeTagHighlightAndFilter) {
  CalendarTime local{2026, 12, 6, 4, 5, 9, 0};
  EXPECT_EQ(timeTagged(local, "N0CALL>APRS:x\r\n"), "[12/6/2026 04:05:09]  N0CALL>APRS:x\r\n");

  FilterStrings filters{};
  filters[3] = "WIDE";
  struct Row {
    const char* name;
    DisplayMode mode;
    const char* line;
    const char* shown;  // nullptr: dropped
  };
  const Row rows[] = {
      {"full text shows every line", DisplayMode::FullText, "A>B:x\r\n", "A>B:x\r\n"},
      {"highlight marks a match", DisplayMode::Highlight, "A>B,WIDE2-1:x\r\n", " > A>B,WIDE2-1:x\r\n"},
      {"highlight indents the rest", DisplayMode::Highlight, "A>B,wide:x\r\n", "    A>B,wide:x\r\n"},
      {"filter keeps a match unchanged", DisplayMode::Filter, "A>B,WIDE2-2:x\r\n", "A>B,WIDE2-2:x\r\n"},
      {"filter drops the rest", DisplayMode::Filter, "A>B:x\r\n", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const auto out = applyDisplayMode(r.mode, filters, r.line);
    if (r.shown == nullptr) {
      EXPECT_FALSE(out.has_value());
    } else {
      ASSERT_TRUE(out.has_value());
      EXPECT_EQ(*out, r.shown);
    }
  }
  const FilterStrings none{};
  EXPECT_FALSE(applyDisplayMode(DisplayMode::Filter, none, "A>B,WIDE:x").has_value());
  EXPECT_EQ(*applyDisplayMode(DisplayMode::Highlight, none, "x"), "    x");
  FilterStrings digit{};
  digit[0] = "2026";
  EXPECT_TRUE(matchesFilter(digit, timeTagged(local, "A>B:x\r\n")));
}

TEST(MonitorText, FilterTextParsesIntoSlots) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> slots;  // the leading slots; the rest are empty
  };
  const Row rows[] = {
      {"runs of empty lines take no slot", "A\r\n\r\nB", {"A", "B"}},
      {"a leading break leaves slot 0 empty", "\r\nA", {"", "A"}},
      {"bare LF and CR break lines too", "A\nB\rC", {"A", "B", "C"}},
      {"blanks are a filter string", "  \r\nX", {"  ", "X"}},
      {"lines are cut to 31 characters", std::string(40, 'w') + "\r\nZ", {std::string(31, 'w'), "Z"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const FilterStrings slots = parseFilterText(r.text);
    for (std::size_t i = 0; i < slots.size(); ++i) {
      EXPECT_EQ(slots[i].str(), i < r.slots.size() ? r.slots[i] : "") << "slot " << i;
    }
  }
  std::string seventeen;
  for (int i = 0; i < 17; ++i) seventeen += "L" + std::to_string(i) + "\r\n";
  const FilterStrings slots = parseFilterText(seventeen);
  EXPECT_EQ(slots[15], "L15");
  EXPECT_EQ(parseFilterText(formatFilterText(slots))[15], "L15");
  std::string sixteenEmptyLines;
  for (int i = 0; i < 16; ++i) sixteenEmptyLines += "\r\n";
  EXPECT_EQ(formatFilterText(FilterStrings{}), sixteenEmptyLines);
}

TEST(PcBeacon, FollowsTheScheduleAcrossMidnight) {
  struct Row {
    const char* name;
    int hour, minute, second;
    double last, minutes;
    bool flag;
    double lat, lon;
    bool send;
  };
  const Row rows[] = {
      {"first pass of the day beacons", 12, 0, 0, 0.0, 30, false, 42, -71, true},
      {"not yet due", 12, 10, 0, 12.0, 30, false, 42, -71, false},
      {"due after the interval", 12, 30, 1, 12.0, 30, false, 42, -71, true},
      {"before midnight nothing when due after it", 23, 59, 59, 23.9, 30, false, 42, -71, false},
      {"after midnight still waiting", 0, 23, 0, 23.9, 30, false, 42, -71, false},
      {"after midnight at 00:24", 0, 24, 1, 23.9, 30, false, 42, -71, true},
      {"forced by a negative last time", 5, 0, 0, -24.0, 1, false, 42, -71, true},
      {"TNC beacons on its own", 12, 0, 0, -24.0, 30, true, 42, -71, false},
      {"position 0, 0 never beacons", 12, 0, 0, -24.0, 30, false, 0, 0, false},
      {"interval 0 never beacons", 12, 0, 0, -24.0, 0, false, 42, -71, false},
      {"only the start of the day waits", 0, 10, 0, 0.0, 30, false, 42, -71, false},
      {"the morning after a 22:00 beacon is overdue", 8, 0, 0, 22.0, 30, false, 42, -71, true},
      {"just past midnight after a 22:00 beacon", 0, 0, 10, 22.0, 30, false, 42, -71, true},
      {"a last beacon later in the day (clock set back)", 9, 0, 0, 10.0, 30, false, 42, -71, true},
      {"negative interval never beacons", 12, 0, 0, 11.0, -1, false, 42, -71, false},
      {"negative interval, forced", 12, 0, 0, -24.0, -1, false, 42, -71, false},
      {"no number as interval never beacons", 12, 0, 0, 11.0, std::nan(""), false, 42, -71, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CalendarTime utc{2026, 12, 6, r.hour, r.minute, r.second, 0};
    // As the worker decides: due by the schedule, and a station that may send.
    const bool sent = pcBeaconDue(utc, r.last, r.minutes, r.flag).send &&
                      reportRefusal("N0DEMO", r.lat, r.lon, "5230").empty();
    EXPECT_EQ(sent, r.send);
  }
  const CalendarTime after{2026, 12, 7, 0, 24, 36, 0};
  const BeaconDecision d = pcBeaconDue(after, 23.9, 30, false);
  ASSERT_TRUE(d.send);
  EXPECT_NEAR(nextLastBeaconHours(d.nowHours), 0.41, 1e-9);
}

TEST(TncInitialize, SendsTheModelsCommandSet) {
  StationSettings s;
  s.callsign = "N0CALL";
  s.latitude = "42.3601";
  s.longitude = "-71.0589";
  s.power = "25";
  s.height = "40";
  s.gain = "3";
  s.direction = "0";
  std::string phg;
  const std::vector<std::string> mfj = tncInitializationTexts(s, &phg);
  const std::vector<std::string> expected = {"\x03MYCALL N0CALL\r", "UNPROTO APRS VIA WIDE1-1,WIDE2-1\r",
                                             "headerln off\r",     "monitor on\r",
                                             "mstamp off\r",       "B E 180\r",
                                             "BTEXT =4221.61N/07103.53W-PHG5230/CQ\r", "conv\r"};
  EXPECT_EQ(mfj, expected);
  EXPECT_EQ(phg, "5230");

  struct Row {
    const char* name;
    int tncType;
    int beaconOn;
    const char* interval;
    std::vector<std::string> middle;  // between UNPROTO and conv
  };
  const Row rows[] = {
      {"PC beacon stops the TNC's", 3, 0, "30", {"headerln off\r", "monitor on\r", "mstamp off\r", "B E 0\r"}},
      {"Kenwood DC has no headerln", 2, 0, "30",
       {"monitor on\r", "GPSTEXT $GPGAA\r", "location every 0\r", "LTMON 5\r", "LTMHEAD OFF\r", "B E 0\r"}},
      {"unknown model sends no model commands", 7, 0, "30", {"B E 0\r"}},
      {"2.5 minutes are 15 tens of seconds", 9, 1, "2.5", {"B E 15\r", "BTEXT =4221.61N/07103.53W-PHG5230/CQ\r"}},
      {"no number gives period 0", 9, 1, "soon", {"B E 0\r", "BTEXT =4221.61N/07103.53W-PHG5230/CQ\r"}},
      {"Pico says headerline", 4, 0, "30",
       {"monitor on\r", "headerline off\r", "mstamp off\r", "myalias none\r", "LGEtchar $05\r", "GPSTEXT $GPGAA\r",
        "ELOc on1\r", "LOCATION EVERY 1\r", "B E 0\r"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    s.tncType = r.tncType;
    s.tncBeaconOn = r.beaconOn;
    s.beaconInterval = r.interval;
    const auto texts = tncInitializationTexts(s, nullptr);
    ASSERT_EQ(texts.size(), r.middle.size() + 3);
    EXPECT_EQ(texts.front()[0], '\x03');
    EXPECT_EQ(texts.back(), "conv\r");
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.end() - 1), r.middle);
  }
  EXPECT_EQ(tncModelCommands(0).size(), 7u);
  EXPECT_EQ(tncModelCommands(1).size(), 8u);
  EXPECT_EQ(beaconPeriodTens(1e300), 2147483647);
}

TEST(Capture, DefaultNameAndDirectory) {
  const CalendarTime local{2026, 12, 6, 4, 5, 9, 0};
  EXPECT_EQ(defaultCaptureName("C:\\logs\\", local), "C:\\logs\\2026_12_06;0405.txt");
  EXPECT_EQ(defaultCaptureName("", local), "2026_12_06;0405.txt");
  EXPECT_EQ(captureDirectoryOf("/home/op/logs/cap.txt"), "/home/op/logs/");
  EXPECT_EQ(captureDirectoryOf("C:\\logs\\cap.txt"), "C:\\logs\\");
  EXPECT_EQ(captureDirectoryOf("cap.txt"), "");
}

}  // namespace
}  // namespace tervane
