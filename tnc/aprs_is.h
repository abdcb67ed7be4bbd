#pragma once
// The APRS-IS protocol's few texts: the passcode the servers compute from a
// callsign, the login line, the default filter, and the server's answer to
// the login ("# logresp CALL verified, server T2XYZ").

#include <optional>
#include <string>
#include <string_view>

namespace tervane {

// The passcode of a callsign as the APRS-IS servers compute it: a 15-bit
// hash of the callsign without its SSID, in upper case.
int aprsIsPasscode(std::string_view callsign);

// "user CALL pass PASSCODE vers TervaneAPRS VERSION filter FILTER\r\n";
// the filter part only with a filter.
std::string aprsIsLoginLine(std::string_view callsign, int passcode, std::string_view version,
                            std::string_view filter);

// "r/LAT/LON/100": everything within 100 km of the station.
std::string defaultAprsIsFilter(double latitudeDeg, double longitudeDeg);

struct LoginAnswer {
  bool verified = false;
  // The server turned the login down (a malformed or refused login); it
  // closes the connection after saying so.
  bool refused = false;
};

// What a server comment line says about the login; nothing for every other
// comment (the server's name, its keep-alive lines).
std::optional<LoginAnswer> readLoginAnswer(std::string_view commentLine);

}  // namespace tervane
