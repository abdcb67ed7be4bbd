#include "base/station_settings.h"

#include <string>

#include "base/text_format.h"

namespace tervane {

namespace {

std::string slotName(const char* stem, int index) { return textf("%s%02d", stem, index); }

template <std::size_t N>
void readText(const ProfileStore& store, FixedText<N>& field, std::string_view entry, std::string_view fallback) {
  field = store.readText(kSettingsSection, entry, fallback);
}

void readInt(const ProfileStore& store, std::int32_t& field, std::string_view entry, int fallback) {
  field = store.readInt(kSettingsSection, entry, fallback);
}

}  // namespace

void StationSettings::load(const ProfileStore& store) {
  for (int i = 0; i < kSatelliteSlots; ++i) {
    readInt(store, satelliteID[i], slotName("satelliteID", i), 0);
    readInt(store, satelliteLeadTime[i], slotName("satelliteLeadTime", i), 18);
    readInt(store, satelliteBeaconInterval[i], slotName("satelliteBeaconInterval", i), 6);
    readInt(store, satelliteAutoBeaconUnprotoVia[i], slotName("satelliteAutoBeaconUnprotoVia", i), 1);
    readText(store, satelliteUnprotoVia[i], slotName("satelliteUnprotoVia", i), kDefaultSatelliteVia);
    readText(store, filterString[i], slotName("filterString", i), "");
    readText(store, address[i], slotName("address", i), "");
    readText(store, nickname[i], slotName("nickname", i), "");
  }
  readText(store, kepFileName, "kepFileName", "amateur.txt");
  readInt(store, satellitesObserved, "satellitesObserved", 0);
  readInt(store, emailNumber, "emailNumber", 1);
  readInt(store, emailSelected, "emailSelected", 0);
  readInt(store, gpsPortNumber, "gpsPortNumber", 1);
  readInt(store, gpsType, "gpsType", 0);
  readInt(store, tncType, "tncType", 3);
  readInt(store, tncBeaconOn, "tncBeaconOn", 1);
  readInt(store, baudRate, "baudRate", 9600);
  readInt(store, portNumber, "portNumber", 0);

  readText(store, message, "message", "CQ");
  readText(store, unproto, "unproto", "APRS");
  readText(store, unprotoVia, "unprotoVia", kDefaultUnprotoVia);
  // Read as "BeaconInterval", written as "beaconInterval": one entry, since
  // entry names compare without regard to case.
  readText(store, beaconInterval, "BeaconInterval", "30.0");
  readText(store, callsign, "callsign", "");
  readText(store, latitude, "latitude", "");
  readText(store, longitude, "longitude", "");
  readText(store, power, "power", "");
  readText(store, height, "height", "");
  readText(store, gain, "gain", "");
  readText(store, direction, "direction", "");
  readText(store, phg, "phg", "4310");
  readInt(store, mobile, "mobile", 0);
  readText(store, textFilePath, "textFilePath", "");

  readInt(store, linkType, "linkType", 0);
  readText(store, kissHost, "kissHost", "localhost");
  readInt(store, kissPort, "kissPort", 8001);
  readText(store, aprsIsHost, "aprsIsHost", "rotate.aprs2.net");
  readInt(store, aprsIsPort, "aprsIsPort", 14580);
  readText(store, aprsIsFilter, "aprsIsFilter", "");
  readInt(store, aprsIsReceiveOnly, "aprsIsReceiveOnly", 0);
  readText(store, gpsdHost, "gpsdHost", "localhost");
  readInt(store, gpsdPort, "gpsdPort", 2947);

  readText(store, firstLinkName, "link1Name", "");
  for (int i = 0; i < kExtraLinks; ++i) {
    const std::string stem = textf("link%d", i + 2);
    readText(store, linkName[i], stem + "Name", "");
    readText(store, linkEnd[i], stem + "End", "");
    readInt(store, linkTransmits[i], stem + "Transmits", 1);
    readText(store, linkFilter[i], stem + "Filter", "");
  }
  readInt(store, igateOn, "igateOn", 0);
  readText(store, igatePath, "igatePath", "WIDE1-1");
}

void StationSettings::save(ProfileStore& store) const {
  const auto text = [&store](std::string_view entry, std::string_view value) {
    store.writeText(kSettingsSection, entry, value);
  };
  const auto number = [&store](std::string_view entry, int value) { store.writeInt(kSettingsSection, entry, value); };

  for (int i = 0; i < kSatelliteSlots; ++i) {
    number(slotName("satelliteID", i), satelliteID[i]);
    number(slotName("satelliteLeadTime", i), satelliteLeadTime[i]);
    number(slotName("satelliteBeaconInterval", i), satelliteBeaconInterval[i]);
    number(slotName("satelliteAutoBeaconUnprotoVia", i), satelliteAutoBeaconUnprotoVia[i]);
    text(slotName("satelliteUnprotoVia", i), satelliteUnprotoVia[i]);
    text(slotName("filterString", i), filterString[i]);
    text(slotName("address", i), address[i]);
    text(slotName("nickname", i), nickname[i]);
  }
  text("kepFileName", kepFileName);
  number("satellitesObserved", satellitesObserved);
  number("emailNumber", emailNumber);
  number("emailSelected", emailSelected);

  number("gpsPortNumber", gpsPortNumber);
  number("gpsType", gpsType);
  number("tncType", tncType);
  number("tncBeaconOn", tncBeaconOn);
  number("baudRate", baudRate);
  number("portNumber", portNumber);
  text("message", message);
  text("unproto", unproto);
  text("unprotoVia", unprotoVia);
  text("beaconInterval", beaconInterval);
  text("callsign", callsign);
  text("latitude", latitude);
  text("longitude", longitude);
  text("power", power);
  text("height", height);
  text("gain", gain);
  text("direction", direction);
  text("phg", phg);
  number("mobile", mobile);
  text("textFilePath", textFilePath);

  number("linkType", linkType);
  text("kissHost", kissHost);
  number("kissPort", kissPort);
  text("aprsIsHost", aprsIsHost);
  number("aprsIsPort", aprsIsPort);
  text("aprsIsFilter", aprsIsFilter);
  number("aprsIsReceiveOnly", aprsIsReceiveOnly);
  text("gpsdHost", gpsdHost);
  number("gpsdPort", gpsdPort);

  text("link1Name", firstLinkName);
  for (int i = 0; i < kExtraLinks; ++i) {
    const std::string stem = textf("link%d", i + 2);
    text(stem + "Name", linkName[i]);
    text(stem + "End", linkEnd[i]);
    number(stem + "Transmits", linkTransmits[i]);
    text(stem + "Filter", linkFilter[i]);
  }
  number("igateOn", igateOn);
  text("igatePath", igatePath);
}

GpsType gpsTypeFromIndex(std::int32_t gpsType) {
  switch (gpsType) {
    case 0:
      return GpsType::Garmin;
    case 2:
      return GpsType::Gpsd;
    default:
      return GpsType::Nmea;
  }
}

LinkType linkTypeFromIndex(std::int32_t linkType) {
  switch (linkType) {
    case 1:
      return LinkType::KissSerial;
    case 2:
      return LinkType::KissTcp;
    case 3:
      return LinkType::AprsIs;
    default:
      return LinkType::TextTnc;
  }
}

int tncBaudFromIndex(std::int32_t baudRate) {
  if (baudRate == 0) return 1200;
  if (baudRate == 1) return 4800;
  return 9600;
}

}  // namespace tervane
