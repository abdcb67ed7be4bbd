#pragma once
// Which links TNC > Open starts: the first link as stored in the settings
// and the further links of the settings' list, or for one run the
// environment variable TERVANEAPRS_LINK, as TERVANEAPRS_COMn overrides a
// port's device; it holds one link or several separated by commas:
//   tnc:COMn  kiss:COMn  kiss-tcp:HOST:PORT  aprs-is:HOST:PORT

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/station_settings.h"
#include "platform/serial_port.h"
#include "tnc/link_kind.h"
#include "tnc/link_table.h"

namespace tervane {

inline constexpr const char* kLinkOverrideVariable = "TERVANEAPRS_LINK";

// The link an override text names; nothing when it names none.
std::optional<LinkSpec> parseLinkOverride(std::string_view text);
// A comma-separated list of links; nothing when any of them names none.
std::optional<std::vector<LinkSpec>> parseLinkList(std::string_view text);
LinkSpec linkSpecFromSettings(const StationSettings& settings);
// The override text of a link ("kiss-tcp:127.0.0.1:8001").
std::string linkEndText(const LinkSpec& spec);

// One link of the list, as TNC > Open starts it.
struct LinkConfig {
  std::string name;  // short, unique: shown before the lines of every link but the first
  LinkSpec spec;
  bool transmits = true;
  // A further APRS-IS link's own filter; the first link's is TNC/APRS Settings'.
  std::optional<std::string> filter;
};

// The first link and the further links of the settings. A further link whose
// end names no link is left out and named in problems.
std::vector<LinkConfig> linkConfigsFromSettings(const StationSettings& settings, std::vector<std::string>* problems);
// Gives every link without a name its kind's short name, numbered when
// several links share it ("KISS", "IS", "IS2").
void nameLinks(std::vector<LinkConfig>& links);
// "text-mode TNC on COM1", "KISS over TCP to localhost:8001", ...
std::string describeLink(const LinkSpec& spec);

// The link kind for a spec, set up from the settings and the station's
// position as they are at TNC > Open. openPort opens the serial kinds' port.
std::unique_ptr<LinkKind> makeLink(const LinkSpec& spec, const StationSettings& settings, double latitudeDeg,
                                   double longitudeDeg, PortOpener openPort);

}  // namespace tervane
