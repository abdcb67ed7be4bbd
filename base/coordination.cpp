#include "base/coordination.h"

#include "base/text_format.h"

namespace tervane {

StationPosition WorkingValues::position() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return position_;
}

void WorkingValues::setPosition(double latitudeDeg, double longitudeDeg) {
  setPosition(StationPosition{latitudeDeg, longitudeDeg, latitudeLetter(latitudeDeg), longitudeLetter(longitudeDeg)});
}

void WorkingValues::setPosition(const StationPosition& position) {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = position;
}

std::array<FixedText<32>, kFilterSlots> WorkingValues::filterStrings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return filterStrings_;
}

void WorkingValues::setFilterStrings(const std::array<FixedText<32>, kFilterSlots>& strings) {
  std::lock_guard<std::mutex> lock(mutex_);
  filterStrings_ = strings;
}

void publishWorkingValues(StationSettings& settings, Coordination& shared) {
  TrackerTables& tracker = shared.tracker;
  for (int i = 0; i < kSatelliteSlots; ++i) {
    tracker.unprotoVia[i] = settings.satelliteUnprotoVia[i].view();
    tracker.beaconIntervalTens[i] = settings.satelliteBeaconInterval[i];
    tracker.leadTimeTens[i] = settings.satelliteLeadTime[i];
    tracker.autoBeacon[i] = settings.satelliteAutoBeaconUnprotoVia[i] != 0;
  }

  WorkingValues& values = shared.values;
  values.setBeaconComment(settings.message);
  values.beaconMinutes = leadingNumber(settings.beaconInterval);
  values.setCurrentUnproto(settings.unproto);
  values.setNormalUnprotoVia(settings.unprotoVia);
  values.setCallsign(settings.callsign);
  const int selected = settings.emailSelected;
  values.setEmailAddress(selected >= 0 && selected < kAddressBookSlots ? settings.address[selected].view()
                                                                       : std::string_view());
  values.setCaptureDirectory(settings.textFilePath);

  if (settings.mobile != 0) settings.tncBeaconOn = 0;
  values.tncBeaconFlag = settings.tncBeaconOn != 0;
  values.mobileMode = settings.mobile != 0;

  values.setPhgText(settings.phg);
  values.setPosition(leadingNumber(settings.latitude), leadingNumber(settings.longitude));
  values.setFilterStrings(settings.filterString);
}

}  // namespace tervane
