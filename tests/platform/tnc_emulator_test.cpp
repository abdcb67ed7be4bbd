#include "tools/tncsim/tnc_emulator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tncsim/traffic.h"

namespace tervane::tncsim {
namespace {

std::string logOf(TncEmulator& tnc) {
  std::string text;
  for (const TncRecord& record : tnc.takeRecords()) {
    text += std::string(recordTag(record.kind)) + "\t" + record.text + "\n";
  }
  return text;
}

// The command lines the program sends at initialisation for every TNC model,
// and the usual abbreviations, must all be taken without complaint; anything
// else gets the TNC-2 "?EH" and malformed values "?bad".
TEST(TncEmulatorCommands, KnownCommandsAreTakenOthersRefused) {
  struct Row {
    const char* line;
    const char* answerHas;  // null: no complaint expected
  };
  const Row rows[] = {
      {"expert on", nullptr},          {"headerln off", nullptr},
      {"monitor on", nullptr},         {"hid off", nullptr},
      {"myalias none", nullptr},       {"mxmit on", nullptr},
      {"mstamp off", nullptr},         {"int term", nullptr},
      {"cstamp off", nullptr},         {"streamev on", nullptr},
      {"mresp off", nullptr},          {"mcom off", nullptr},
      {"pid off", nullptr},            {"GPSTEXT $GPGAA", nullptr},
      {"location every 0", nullptr},   {"LTMON 5", nullptr},
      {"LTMHEAD OFF", nullptr},        {"headerline off", nullptr},
      {"LGEtchar $05", nullptr},       {"ELOc on1", nullptr},
      {"LOCATION EVERY 1", nullptr},   {"B E 180", nullptr},
      {"B E 0", nullptr},              {"BEACON EVERY 15", nullptr},
      {"BTEXT =4237.14N/07120.83W-PHG5132/Tervane", nullptr},
      {"MYCALL N0CALL", "was NOCALL"}, {"UNPROTO APRS VIA RELAY, WIDE", nullptr},
      {"U APRS VIA WIDE2-1", nullptr}, {"my KB1XYZ-9", "was NOCALL"},
      {"m off", nullptr},              {"echo on", nullptr},
      {"FOOBAR", "?EH"},               {"MYCALLS N0CALL", "?EH"},
      {"L", "?EH"},
      {"monitor maybe", "?bad"},       {"B X 5", "?bad"},
      {"B E often", "?bad"},           {"hid 1", "?bad"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TncEmulator tnc;
    const std::string answer = tnc.receive(std::string(row.line) + "\r");
    EXPECT_EQ(answer.substr(0, std::string(row.line).size() + 2), std::string(row.line) + "\r\n")
        << "command mode echoes the line";
    EXPECT_TRUE(answer.ends_with("cmd:")) << answer;
    if (row.answerHas == nullptr) {
      EXPECT_EQ(answer.find("?EH"), std::string::npos) << answer;
      EXPECT_EQ(answer.find("?bad"), std::string::npos) << answer;
    } else {
      EXPECT_NE(answer.find(row.answerHas), std::string::npos) << answer;
    }
    EXPECT_EQ(logOf(tnc), "CMD\t" + std::string(row.line) + "\n");
  }
}

TEST(TncEmulatorCommands, ValuesAreStoredAndShownByTheBareCommand) {
  struct Row {
    const char* name;
    const char* typed;
    const char* parameter;
    const char* stored;
  };
  const Row rows[] = {
      {"callsign in capitals", "mycall kb1xyz-9", "MYCALL", "KB1XYZ-9"},
      {"unproto path kept whole", "UNPROTO apx via relay, wide", "UNPROTO", "APX VIA RELAY, WIDE"},
      {"beacon interval in tens of seconds", "B E 180", "BEACON", "EVERY 180"},
      {"beacon spelled out", "beacon after 3", "BEACON", "AFTER 3"},
      {"beacon text as typed", "BT !4237.14N/07120.83W-hi there", "BTEXT", "!4237.14N/07120.83W-hi there"},
      {"monitor switched off", "MON OFF", "MONITOR", "OFF"},
      {"bad value leaves the old one", "monitor maybe", "MONITOR", "ON"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TncEmulator tnc;
    tnc.receive(std::string(row.typed) + "\r");
    EXPECT_EQ(tnc.parameter(row.parameter), row.stored);
    const std::string shown = tnc.receive(std::string(row.parameter) + "\r");
    EXPECT_NE(shown.find(row.stored), std::string::npos) << shown;
  }
}

TEST(TncEmulatorModes, ConverseLinesAreTransmittedAndCtrlCReturnsToCommandMode) {
  TncEmulator tnc;
  EXPECT_EQ(tnc.receive("\x03\r\r"), "\r\ncmd:\r\ncmd:\r\ncmd:");
  EXPECT_EQ(tnc.receive("conv\r"), "conv\r\n");
  EXPECT_EQ(tnc.mode(), TncMode::Converse);
  EXPECT_EQ(tnc.receive("hello\r!4237.14N/07120.83W-\r"), "") << "no echo in converse mode";
  EXPECT_EQ(tnc.receive("typo\x08\x08xx\r\r\n"), "");
  EXPECT_EQ(tnc.receive("discarded\x03"), "\r\ncmd:");
  EXPECT_EQ(tnc.mode(), TncMode::Command);
  tnc.receive("k\rsecond\r");
  EXPECT_EQ(logOf(tnc),
            "CMD\tconv\nMODE\tconverse\nTX\thello\nTX\t!4237.14N/07120.83W-\nTX\ttyxx\n"
            "MODE\tcommand\nCMD\tk\nMODE\tconverse\nTX\tsecond\n");
}

TEST(TncEmulatorModes, TheProgramsBeaconSequenceReachesTheAir) {
  TncEmulator tnc;
  tnc.receive("conv\r");
  tnc.takeRecords();
  tnc.receive("\x03" "conv\r@061530z4237.14N/07120.83W-PHG5132/Tervane\r");
  EXPECT_EQ(logOf(tnc),
            "MODE\tcommand\nCMD\tconv\nMODE\tconverse\n"
            "TX\t@061530z4237.14N/07120.83W-PHG5132/Tervane\n");
}

TEST(TncLog, EscapesBytesThatWouldBreakARecord) {
  struct Row {
    const char* name;
    std::string raw;
    const char* escaped;
  };
  const Row rows[] = {
      {"plain text unchanged", "N0CALL>APRS:hi there", "N0CALL>APRS:hi there"},
      {"control bytes", std::string("\x03MY\tX\r\n"), "\\x03MY\\x09X\\x0D\\x0A"},
      {"nul byte", std::string("a\0b", 3), "a\\x00b"},
      {"backslash itself", "a\\b", "a\\x5Cb"},
      {"high bytes", "\xB0\xFF\x7F", "\\xB0\\xFF\\x7F"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(escapeForLog(row.raw), row.escaped);
  }
}

TEST(TrafficFeed, LineEndsCountsAndLooping) {
  struct Row {
    const char* name;
    const char* lineEnd;
    long long limit;
    bool loop;
    std::string expected;
  };
  const Row rows[] = {
      {"whole file once", "crlf", -1, false, "A\r\nB\r\nC\r\n"},
      {"count stops early", "cr", 2, false, "A\rB\r"},
      {"loop repeats until the count", "lf", 5, true, "A\nB\nC\nA\nB\n"},
      {"count beyond the file without loop", "lfcr", 9, false, "A\n\rB\n\rC\n\r"},
      {"two carriage returns", "crcr", 1, true, "A\r\r"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TrafficOptions options;
    options.lineEnd = *lineEndBytes(row.lineEnd);
    options.linesPerSecond = 0;
    options.lineLimit = row.limit;
    options.loop = row.loop;
    TrafficFeed feed({"A", "B", "C"}, options);
    const auto now = SteadyClock::now();
    feed.restart(now);
    std::string sent;
    for (int guard = 0; guard < 20 && feed.due(now); ++guard) sent += feed.take(now);
    EXPECT_EQ(sent, row.expected);
    EXPECT_TRUE(feed.finished());
    EXPECT_EQ(feed.waitMs(now), -1);
  }
  EXPECT_FALSE(lineEndBytes("crlfcr").has_value());
}

TEST(TrafficFeed, RateSpacesTheLines) {
  TrafficOptions options;
  options.linesPerSecond = 4;
  options.loop = true;
  TrafficFeed feed({"A"}, options);
  const auto start = SteadyClock::now();
  feed.restart(start);
  ASSERT_TRUE(feed.due(start));
  feed.take(start);
  EXPECT_FALSE(feed.due(start));
  EXPECT_EQ(feed.waitMs(start), 250);
  EXPECT_TRUE(feed.due(start + std::chrono::milliseconds(250)));
  feed.take(start + std::chrono::milliseconds(250));
  // After a long stall the feed resumes at its rate instead of bursting.
  const auto late = start + std::chrono::seconds(10);
  feed.take(late);
  EXPECT_FALSE(feed.due(late));
}

}  // namespace
}  // namespace tervane::tncsim
