#pragma once
// A calendar instant as the program shows and sends it: date and time of day
// to the millisecond, in UTC or local time as the one who made it says.

namespace tervane {

struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

}  // namespace tervane
