#pragma once
// The traffic of the simulated APRS-IS server: numbered packet lines as a
// full feed brings them, from many stations around a centre, in the forms
// most common on the air (plain positions, positions with a time stamp,
// objects, status reports), each ending in CR LF. Line n always reads the
// same, so a test can tell which lines arrived.

#include <cstdint>
#include <string>
#include <string_view>

namespace tervane::aprsissim {

struct FeedOptions {
  int stations = 1000;             // distinct senders
  double centreLatitudeDeg = 42.36;
  double centreLongitudeDeg = -71.06;
};

// Line number n (from 0) of the feed.
std::string feedLine(std::uint64_t n, const FeedOptions& options);

// The callsign of station s (0 <= s < 175760): a letter, a digit and three
// letters, all different for different s.
std::string stationCall(int s);

// What the server answers to a login line: verified when the passcode is the
// callsign's, unverified otherwise (also for -1).
std::string loginAnswer(std::string_view loginLine);

}  // namespace tervane::aprsissim
