#pragma once
// The kinds of link, one row each: how the program names a kind, how
// TERVANEAPRS_LINK names it, how the settings dialog offers it, whether its
// far end is a serial port or a network address, and how a link of the kind
// is made at TNC > Open. The settings dialog, the override reader, the
// console's descriptions and TNC > Open all read this one table, so a new
// kind is one row here and the kind's own file.

#include <memory>
#include <span>
#include <string>

#include "base/station_settings.h"
#include "platform/serial_port.h"
#include "tnc/link_kind.h"

namespace tervane {

// Which link, and where its far end is.
struct LinkSpec {
  LinkType type = LinkType::TextTnc;
  int comNumber = 1;  // the serial kinds: 1..4
  std::string host;   // the network kinds
  int port = 0;
};

enum class LinkEndpoint { SerialPort, NetworkAddress };

// What a link is made from at TNC > Open: the settings and the station's
// position as they are then, and the opener of the serial kinds' port.
struct LinkSetup {
  const LinkSpec& spec;
  const StationSettings& settings;
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  PortOpener openPort;
};

using LinkMaker = std::unique_ptr<LinkKind> (*)(LinkSetup& setup);

struct LinkKindEntry {
  LinkType type;
  const char* overridePrefix;  // "kiss-tcp" in TERVANEAPRS_LINK=kiss-tcp:HOST:PORT
  const char* caption;         // the settings dialog's Link list
  const char* describedAs;     // the console's "KISS over TCP to " before the end
  const char* shortName;       // before the lines of a link that is not the first ("IS")
  bool radio;                  // a radio link (satellite passes, the IGate's RF side)
  LinkEndpoint endpoint;
  LinkMaker make;
};

// Every kind, in the order of the stored linkType and of the dialog's list.
std::span<const LinkKindEntry> linkKinds();
// The row of a kind; a stored value that names no kind means the first row.
const LinkKindEntry& linkKindOf(LinkType type);

}  // namespace tervane
