#pragma once
// The texts with which TNC > Initialize programs the attached TNC for APRS,
// per TNC model, and the PC beacon schedule that the TNC worker keeps.

#include <string>
#include <vector>

#include "base/station_settings.h"
#include "platform/clock.h"

namespace tervane {

// The TNC models in the order of the TNC/APRS Settings list.
inline constexpr const char* kTncModelNames[] = {"AEA", "Kantronics", "Kenwood DC", "MFJ", "Pico"};

// The model's own monitor and display commands; none for an unknown model.
std::vector<std::string> tncModelCommands(int tncType);

// Every text of one initialisation, in sending order. phgDigits receives the
// PHG digits computed from the station values (they also go out in BTEXT).
std::vector<std::string> tncInitializationTexts(const StationSettings& settings, std::string* phgDigits);

// The TNC's beacon period in tens of seconds for an interval in minutes,
// rounded half up and held to what the TNC command can carry.
int beaconPeriodTens(double intervalMinutes);

// The PC beacon rule, checked at the start of every pass of the TNC worker.
struct BeaconDecision {
  bool send = false;
  double nowHours = 0;  // the UTC hour of day as counted across midnight
};
// The initialisation texts with the TNC's own beacon turned off ("B E 0")
// in place of its period and BTEXT.
std::vector<std::string> withoutTncBeacon(std::vector<std::string> texts);

// Whether the PC beacon is due. Whether the station may send at all is
// reportRefusal's to say.
BeaconDecision pcBeaconDue(const CalendarTime& utc, double lastBeaconHours, double beaconMinutes, bool tncBeaconFlag);
// What lastBeaconHours becomes after a beacon sent at nowHours.
double nextLastBeaconHours(double nowHours);

// The capture file offered by default: directory, then local
// "YYYY_MM_DD;HHMM.txt".
std::string defaultCaptureName(const std::string& directory, const CalendarTime& local);
// The directory part of a chosen path, with its trailing separator ("" when
// the path holds none).
std::string captureDirectoryOf(const std::string& path);

}  // namespace tervane
