#pragma once
// TERVANEAPRS_GPS: the GPS source for one run of the program, in place of
// the stored GPS settings, as TERVANEAPRS_COMn maps a port for one run.

#include <optional>
#include <string>
#include <string_view>

namespace tervane {

inline constexpr const char* kGpsOverrideVariable = "TERVANEAPRS_GPS";

struct GpsdAddress {
  std::string host = "localhost";
  int port = 2947;
};

// "gpsd", "gpsd:HOST" or "gpsd:HOST:PORT", an IPv6 address in brackets
// ("gpsd:[::1]:2947"); an empty host is localhost, a missing port 2947.
// Nothing for any other text, a port outside 1-65535 or a host longer than
// a domain name can be.
std::optional<GpsdAddress> parseGpsOverride(std::string_view text);

}  // namespace tervane
