#pragma once
// Everything the program keeps between runs: one plain record, loaded once at
// start-up from the profile store and written back once at exit.

#include <array>
#include <cstdint>

#include "base/fixed_text.h"
#include "base/profile_store.h"

namespace tervane {

inline constexpr int kSatelliteSlots = 16;
inline constexpr int kFilterSlots = 16;
inline constexpr int kAddressBookSlots = 16;
// Links beyond the first, which the TNC menu and TNC/APRS Settings manage.
inline constexpr int kExtraLinks = 3;

// The paths new settings start with: the New-N paradigm that terrestrial
// digipeaters follow today, and the satellite digipeaters' common alias.
// A stored path is kept whatever it holds.
inline constexpr const char* kDefaultUnprotoVia = "WIDE1-1,WIDE2-1";
inline constexpr const char* kDefaultSatelliteVia = "ARISS";

struct StationSettings {
  FixedText<32> callsign;
  FixedText<32> latitude;   // decimal degrees, north positive
  FixedText<32> longitude;  // decimal degrees, east positive
  FixedText<32> power;      // watts
  FixedText<32> gain;       // dB
  FixedText<32> height;     // feet
  FixedText<32> direction;  // degrees, 0 for omni
  std::int32_t mobile = 0;
  std::int32_t portNumber = 0;     // 0 is COM1 ... 3 is COM4
  std::int32_t gpsPortNumber = 1;  // same coding, default COM2
  std::int32_t gpsType = 0;        // 0 "Garmin", 1 "NMEA Readonly", 2 "gpsd"
  std::int32_t baudRate = 9600;    // 0 is 1200, 1 is 4800, anything else 9600 baud
  FixedText<32> beaconInterval{"30.0"};  // minutes
  FixedText<64> unproto{"APRS"};
  FixedText<64> unprotoVia{kDefaultUnprotoVia};
  FixedText<64> message{"CQ"};
  FixedText<16> phg{"4310"};
  std::int32_t tncBeaconOn = 1;  // 1 TNC initiates the beacon, 0 the PC does
  std::int32_t tncType = 3;      // 0 AEA, 1 Kantronics, 2 Kenwood DC, 3 MFJ, 4 Pico
  FixedText<256> textFilePath;   // capture directory with its trailing separator
  FixedText<256> kepFileName{"amateur.txt"};
  std::array<std::int32_t, kSatelliteSlots> satelliteID{};
  std::array<std::int32_t, kSatelliteSlots> satelliteLeadTime = filled(18);       // tens of seconds
  std::array<std::int32_t, kSatelliteSlots> satelliteBeaconInterval = filled(6);  // tens of seconds
  std::array<std::int32_t, kSatelliteSlots> satelliteAutoBeaconUnprotoVia = filled(1);
  std::array<FixedText<64>, kSatelliteSlots> satelliteUnprotoVia = filledText<64>(kDefaultSatelliteVia);
  std::int32_t satellitesObserved = 0;
  std::array<FixedText<32>, kFilterSlots> filterString{};
  std::int32_t emailNumber = 1;
  std::int32_t emailSelected = 0;
  std::array<FixedText<64>, kAddressBookSlots> nickname{};
  std::array<FixedText<64>, kAddressBookSlots> address{};

  // Entries added after the original record; a store written before them
  // loads their defaults, which keep the original behaviour.
  std::int32_t linkType = 0;              // see LinkType
  FixedText<64> kissHost{"localhost"};    // KISS over TCP: host name or address
  std::int32_t kissPort = 8001;           // ... and TCP port (Dire Wolf's default)
  FixedText<64> aprsIsHost{"rotate.aprs2.net"};
  std::int32_t aprsIsPort = 14580;
  FixedText<256> aprsIsFilter;            // server-side filter; empty: a range around the station
  std::int32_t aprsIsReceiveOnly = 0;     // non-zero: log in with passcode -1 and never send
  FixedText<64> gpsdHost{"localhost"};    // GPS type gpsd: where gpsd listens
  std::int32_t gpsdPort = 2947;

  // Links opened together with the first: "link2End" ... "link4End" name the
  // far end as TERVANEAPRS_LINK does ("kiss-tcp:127.0.0.1:8001"); an empty
  // end is no link. The first link is named by firstLinkName.
  FixedText<16> firstLinkName;
  std::array<FixedText<16>, kExtraLinks> linkName{};
  std::array<FixedText<128>, kExtraLinks> linkEnd{};
  std::array<std::int32_t, kExtraLinks> linkTransmits = {1, 1, 1};  // non-zero: own reports go out here
  std::array<FixedText<256>, kExtraLinks> linkFilter{};             // APRS-IS: the server-side filter
  // The IGate between the RF links and an APRS-IS link; off unless turned on.
  std::int32_t igateOn = 0;
  FixedText<64> igatePath{"WIDE1-1"};  // the path of messages gated to RF

  // Fills every field from the store, in the program's fixed load order.
  void load(const ProfileStore& store);
  // Writes every field to the store, in the program's fixed save order.
  void save(ProfileStore& store) const;

 private:
  static std::array<std::int32_t, kSatelliteSlots> filled(std::int32_t value) {
    std::array<std::int32_t, kSatelliteSlots> a{};
    a.fill(value);
    return a;
  }
  template <std::size_t N>
  static std::array<FixedText<N>, kSatelliteSlots> filledText(const char* value) {
    std::array<FixedText<N>, kSatelliteSlots> a{};
    for (auto& t : a) t = value;
    return a;
  }
};

// What linkType selects: where monitored traffic comes from and where the
// station's own reports go. Any other stored value means the text-mode TNC.
enum class LinkType : std::int32_t { TextTnc = 0, KissSerial = 1, KissTcp = 2, AprsIs = 3 };
LinkType linkTypeFromIndex(std::int32_t linkType);

// What gpsType selects: where the GPS fixes come from. Any other stored
// value means NMEA, as it always has.
enum class GpsType : std::int32_t { Garmin = 0, Nmea = 1, Gpsd = 2 };
GpsType gpsTypeFromIndex(std::int32_t gpsType);

// The TNC speed that a stored baudRate selects.
int tncBaudFromIndex(std::int32_t baudRate);

}  // namespace tervane
