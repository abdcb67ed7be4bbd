#pragma once
// Which link TNC > Open starts: the kind stored in the settings, or for one
// run the environment variable TERVANEAPRS_LINK, as TERVANEAPRS_COMn
// overrides a port's device:
//   tnc:COMn  kiss:COMn  kiss-tcp:HOST:PORT  aprs-is:HOST:PORT

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/station_settings.h"
#include "platform/serial_port.h"
#include "tnc/link_kind.h"
#include "tnc/link_table.h"

namespace tervane {

inline constexpr const char* kLinkOverrideVariable = "TERVANEAPRS_LINK";

// The link an override text names; nothing when it names none.
std::optional<LinkSpec> parseLinkOverride(std::string_view text);
LinkSpec linkSpecFromSettings(const StationSettings& settings);
// "text-mode TNC on COM1", "KISS over TCP to localhost:8001", ...
std::string describeLink(const LinkSpec& spec);

// The link kind for a spec, set up from the settings and the station's
// position as they are at TNC > Open. openPort opens the serial kinds' port.
std::unique_ptr<LinkKind> makeLink(const LinkSpec& spec, const StationSettings& settings, double latitudeDeg,
                                   double longitudeDeg, PortOpener openPort);

}  // namespace tervane
