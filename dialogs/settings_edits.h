#pragma once
// The working copies that the settings dialogs edit, and how each is loaded
// from the settings record and stored back into it and into the working
// values the workers read. The dialogs only edit a copy; the caller applies it.

#include <array>
#include <string>

#include "base/coordination.h"
#include "base/station_settings.h"

namespace tervane {

// "TNC/APRS Settings". The copy holds 31 characters of the unproto
// destination and path; longer texts contribute their first 31.
inline constexpr std::size_t kUnprotoCopyChars = 31;
struct TncSettingsEdit {
  // The TERVANEAPRS_LINK value in force for this run, which TNC > Open
  // takes instead of the link chosen here; empty when there is none.
  std::string linkOverride;
  bool mobile = false;
  int baudIndex = 9600;
  int portIndex = 0;
  std::string unproto;
  std::string unprotoVia;
  std::string comment;
  double intervalMinutes = 0;
  int tncBeaconOn = 1;
  int model = 3;
  // The link: its kind and the network links' addresses.
  int linkType = 0;
  std::string kissHost;
  int kissPort = 8001;
  std::string aprsIsHost;
  int aprsIsPort = 14580;
  std::string aprsIsFilter;  // empty: the default range around the station
  bool aprsIsReceiveOnly = false;
  // Shown, not edited here: the login's callsign and its passcode, and the
  // default filter around the station.
  std::string callsign;
  std::string defaultFilter;
};
// The passcode the dialog shows for the callsign: -1 when receive-only.
int shownAprsIsPasscode(const TncSettingsEdit& edit);
TncSettingsEdit loadTncSettings(const StationSettings& s);
// Stores the copy; the beacon flag follows the stored choice at once.
void applyTncSettings(const TncSettingsEdit& edit, StationSettings& s, WorkingValues& values);

// "Station Data".
struct StationDataEdit {
  bool mobile = false;
  std::string callsign;
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  double powerW = 0;
  double heightFt = 0;
  double gainDb = 0;
  double directionDeg = 0;
};
StationDataEdit loadStationData(const StationSettings& s);
// Stores the copy, the PHG digits, the mobile rules and the shared position.
void applyStationData(const StationDataEdit& edit, StationSettings& s, WorkingValues& values);

// "Select/Edit Email Address".
struct AddressBookEdit {
  int count = 0;
  int selected = 0;
  std::array<std::string, kAddressBookSlots> nicknames;
  std::array<std::string, kAddressBookSlots> addresses;

  // Adds an empty entry and selects it; false when the book is full.
  bool add();
  // Removes the selected entry and selects the first; false when empty.
  bool removeSelected();
  std::string selectedAddress() const;
};
AddressBookEdit loadAddressBook(const StationSettings& s);
void applyAddressBook(const AddressBookEdit& edit, StationSettings& s, WorkingValues& values);

// A number stored as "%f" text when it fits the field (31 characters); a
// number too large for it leaves the field as it was.
template <std::size_t N>
void storeNumber(FixedText<N>& field, double value);

}  // namespace tervane
