#include "tnc/tnc_setup.h"

#include <cmath>

#include "base/text_format.h"
#include "tnc/position_report.h"

namespace tervane {

std::vector<std::string> tncModelCommands(int tncType) {
  switch (tncType) {
    case 0:
      return {"expert on\r", "headerln off\r", "monitor on\r", "hid off\r", "myalias none\r", "mxmit on\r",
              "mstamp off\r"};
    case 1:
      return {"int term\r", "headerln off\r", "mstamp off\r", "cstamp off\r",
              "streamev on\r", "mresp off\r",     "mcom off\r",   "pid off\r"};
    case 2:
      return {"monitor on\r", "GPSTEXT $GPGAA\r", "location every 0\r", "LTMON 5\r", "LTMHEAD OFF\r"};
    case 3:
      return {"headerln off\r", "monitor on\r", "mstamp off\r"};
    case 4:
      return {"monitor on\r",     "headerline off\r", "mstamp off\r", "myalias none\r",
              "LGEtchar $05\r",   "GPSTEXT $GPGAA\r", "ELOc on1\r",   "LOCATION EVERY 1\r"};
    default:
      return {};
  }
}

int beaconPeriodTens(double intervalMinutes) {
  const double tens = intervalMinutes * 6 + 0.5;
  if (!(tens > 0)) return 0;  // also NaN
  constexpr double kLargest = 2147483647.0;
  return tens >= kLargest ? 2147483647 : static_cast<int>(tens);
}

std::vector<std::string> tncInitializationTexts(const StationSettings& s, std::string* phgDigits) {
  const std::string phg = computePhg(leadingNumber(s.power), leadingNumber(s.height), leadingNumber(s.gain),
                                     leadingNumber(s.direction));
  if (phgDigits != nullptr) *phgDigits = phg;
  std::vector<std::string> texts;
  texts.push_back(std::string("\x03") + "MYCALL " + s.callsign.str() + "\r");
  texts.push_back("UNPROTO " + s.unproto.str() + " VIA " + s.unprotoVia.str() + "\r");
  for (std::string& c : tncModelCommands(s.tncType)) texts.push_back(std::move(c));
  if (s.tncBeaconOn != 0) {
    texts.push_back(textf("B E %d\r", beaconPeriodTens(leadingNumber(s.beaconInterval))));
    texts.push_back(buildBeaconText(leadingNumber(s.latitude), leadingNumber(s.longitude), phg, s.message));
  } else {
    texts.push_back("B E 0\r");
  }
  texts.push_back("conv\r");
  return texts;
}

std::vector<std::string> withoutTncBeacon(std::vector<std::string> texts) {
  std::vector<std::string> kept;
  for (std::string& t : texts) {
    if (t.starts_with("BTEXT ")) continue;
    kept.push_back(t.starts_with("B E ") ? std::string("B E 0\r") : std::move(t));
  }
  return kept;
}

BeaconDecision pcBeaconDue(const CalendarTime& utc, double lastBeaconHours, double beaconMinutes, bool tncBeaconFlag) {
  BeaconDecision d;
  // An interval that is no positive number (0, negative, NaN) means no PC
  // beacon at all, never one on every pass.
  if (tncBeaconFlag || !(beaconMinutes > 0)) return d;
  double now = utc.hour + utc.minute / 60.0 + utc.second / 3600.0;
  const double due = lastBeaconHours + beaconMinutes / 60.0;
  if (now < lastBeaconHours) {
    // The UTC day has turned since the last beacon, or the clock went back.
    // A beacon due only after midnight counts on across it; one that was due
    // before midnight is overdue, however long the link was down.
    if (due <= 24) {
      d.nowHours = now;
      d.send = true;
      return d;
    }
    now += 24;
  }
  d.nowHours = now;
  d.send = now > due || lastBeaconHours < 0;
  return d;
}

double nextLastBeaconHours(double nowHours) { return nowHours > 24 ? nowHours - 24 : nowHours; }

std::string defaultCaptureName(const std::string& directory, const CalendarTime& local) {
  return directory + textf("%4d_%02d_%02d;%02d%02d.txt", local.year, local.month, local.day, local.hour, local.minute);
}

std::string captureDirectoryOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace tervane
