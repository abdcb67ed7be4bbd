#pragma once
// Mic-E, the packed position of APRS radios and trackers: the latitude, the
// message bits, the hemispheres and the longitude offset ride in the six
// characters of the AX.25 destination; longitude, speed, course and symbol
// in the first nine bytes of the information field, which starts with '`'
// (current fix) or '\'' (old fix). The status text after them may carry a
// device type, an altitude "xxx}" and a device suffix. A packet with its
// table byte out of place (a byte lost or damaged) still gives its
// position, but no symbol, motion, device or "xxx}" altitude.

#include <string_view>

#include "aprs/aprs_fields.h"

namespace tervane {

struct MicEReport {
  ReportPosition position;
  std::string_view message;  // "En Route", "Custom-3", "Emergency", ...
  std::string_view device;   // the radio or tracker named by the type bytes; empty when unknown
};

// The destination callsign may carry an SSID ("-n"), which is ignored. The
// information field starts with its data type and has its line end removed.
bool decodeMicE(std::string_view destination, std::string_view information, MicEReport& report);

}  // namespace tervane
