#include "dialogs/settings_edits.h"

#include <algorithm>

#include "base/text_format.h"
#include "tnc/aprs_is.h"
#include "tnc/position_report.h"

namespace tervane {

template <std::size_t N>
void storeNumber(FixedText<N>& field, double value) {
  const std::string text = textf("%f", value);
  if (text.size() <= FixedText<N>::kMaxLength) field = text;
}
template void storeNumber<32>(FixedText<32>& field, double value);

TncSettingsEdit loadTncSettings(const StationSettings& s) {
  TncSettingsEdit e;
  e.mobile = s.mobile != 0;
  e.baudIndex = s.baudRate;
  e.portIndex = s.portNumber;
  e.unproto = s.unproto.view().substr(0, kUnprotoCopyChars);
  e.unprotoVia = s.unprotoVia.view().substr(0, kUnprotoCopyChars);
  e.comment = s.message.str();
  e.intervalMinutes = leadingNumber(s.beaconInterval);
  e.tncBeaconOn = s.tncBeaconOn;
  e.model = s.tncType;
  e.linkType = s.linkType;
  e.kissHost = s.kissHost.str();
  e.kissPort = s.kissPort;
  e.aprsIsHost = s.aprsIsHost.str();
  e.aprsIsPort = s.aprsIsPort;
  e.aprsIsFilter = s.aprsIsFilter.str();
  e.aprsIsReceiveOnly = s.aprsIsReceiveOnly != 0;
  e.callsign = s.callsign.str();
  e.defaultFilter = defaultAprsIsFilter(leadingNumber(s.latitude), leadingNumber(s.longitude));
  return e;
}

int shownAprsIsPasscode(const TncSettingsEdit& e) {
  return e.aprsIsReceiveOnly || e.callsign.empty() ? -1 : aprsIsPasscode(e.callsign);
}

void applyTncSettings(const TncSettingsEdit& e, StationSettings& s, WorkingValues& values) {
  s.tncType = e.model;
  s.baudRate = e.baudIndex;
  s.portNumber = e.portIndex;
  s.tncBeaconOn = e.tncBeaconOn;
  values.beaconMinutes = e.intervalMinutes;
  storeNumber(s.beaconInterval, e.intervalMinutes);
  s.message = e.comment;
  values.setBeaconComment(s.message);
  s.unproto = e.unproto;
  values.setCurrentUnproto(s.unproto);
  s.unprotoVia = e.unprotoVia;
  values.setNormalUnprotoVia(s.unprotoVia);
  values.tncBeaconFlag = s.tncBeaconOn != 0;
  s.linkType = e.linkType;
  s.kissHost = e.kissHost;
  s.aprsIsHost = e.aprsIsHost;
  s.aprsIsFilter = e.aprsIsFilter;
  s.aprsIsReceiveOnly = e.aprsIsReceiveOnly ? 1 : 0;
  // A port that is no TCP port leaves the stored one.
  if (e.kissPort >= 1 && e.kissPort <= 65535) s.kissPort = e.kissPort;
  if (e.aprsIsPort >= 1 && e.aprsIsPort <= 65535) s.aprsIsPort = e.aprsIsPort;
}

StationDataEdit loadStationData(const StationSettings& s) {
  StationDataEdit e;
  e.mobile = s.mobile != 0;
  e.callsign = s.callsign.str();
  e.latitudeDeg = leadingNumber(s.latitude);
  e.longitudeDeg = leadingNumber(s.longitude);
  e.powerW = leadingNumber(s.power);
  e.heightFt = leadingNumber(s.height);
  e.gainDb = leadingNumber(s.gain);
  e.directionDeg = leadingNumber(s.direction);
  return e;
}

void applyStationData(const StationDataEdit& e, StationSettings& s, WorkingValues& values) {
  s.callsign = e.callsign;
  values.setCallsign(s.callsign);
  storeNumber(s.latitude, e.latitudeDeg);
  storeNumber(s.longitude, e.longitudeDeg);
  storeNumber(s.power, e.powerW);
  storeNumber(s.height, e.heightFt);
  storeNumber(s.gain, e.gainDb);
  storeNumber(s.direction, e.directionDeg);
  s.phg = computePhg(e.powerW, e.heightFt, e.gainDb, e.directionDeg);
  values.setPhgText(s.phg);
  s.mobile = e.mobile ? 1 : 0;
  values.mobileMode = e.mobile;
  // A mobile station always beacons from the PC, with the position the GPS
  // keeps current; the TNC worker follows at once, as after TNC settings OK.
  if (e.mobile) {
    s.tncBeaconOn = 0;
    values.tncBeaconFlag = false;
  }
  values.setPosition(leadingNumber(s.latitude), leadingNumber(s.longitude));
}

bool AddressBookEdit::add() {
  if (count >= kAddressBookSlots) return false;
  selected = count;
  ++count;
  nicknames[static_cast<std::size_t>(selected)].clear();
  addresses[static_cast<std::size_t>(selected)].clear();
  return true;
}

bool AddressBookEdit::removeSelected() {
  if (count <= 0) return false;
  const int gone = selected >= 0 && selected < count ? selected : count - 1;
  --count;
  for (int i = gone; i < count; ++i) {
    nicknames[static_cast<std::size_t>(i)] = nicknames[static_cast<std::size_t>(i) + 1];
    addresses[static_cast<std::size_t>(i)] = addresses[static_cast<std::size_t>(i) + 1];
  }
  for (int i = count; i < kAddressBookSlots; ++i) {
    nicknames[static_cast<std::size_t>(i)].clear();
    addresses[static_cast<std::size_t>(i)].clear();
  }
  selected = 0;
  return true;
}

std::string AddressBookEdit::selectedAddress() const {
  if (selected < 0 || selected >= kAddressBookSlots) return {};
  return addresses[static_cast<std::size_t>(selected)];
}

AddressBookEdit loadAddressBook(const StationSettings& s) {
  AddressBookEdit e;
  e.count = std::clamp<int>(s.emailNumber, 0, kAddressBookSlots);
  e.selected = s.emailSelected;
  if (e.selected < 0 || e.selected >= kAddressBookSlots) e.selected = 0;
  for (int i = 0; i < e.count; ++i) {
    e.nicknames[static_cast<std::size_t>(i)] = s.nickname[static_cast<std::size_t>(i)].str();
    e.addresses[static_cast<std::size_t>(i)] = s.address[static_cast<std::size_t>(i)].str();
  }
  return e;
}

void applyAddressBook(const AddressBookEdit& e, StationSettings& s, WorkingValues& values) {
  values.setEmailAddress(FixedText<64>(e.selectedAddress()).view());
  s.emailNumber = e.count;
  s.emailSelected = e.selected;
  for (int i = 0; i < e.count && i < kAddressBookSlots; ++i) {
    s.address[static_cast<std::size_t>(i)] = e.addresses[static_cast<std::size_t>(i)];
    s.nickname[static_cast<std::size_t>(i)] = e.nicknames[static_cast<std::size_t>(i)];
  }
}

}  // namespace tervane
