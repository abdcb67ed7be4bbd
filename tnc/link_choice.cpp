#include "tnc/link_choice.h"

#include <algorithm>

#include "base/text_format.h"
#include "tnc/aprs_is_link.h"
#include "tnc/kiss_link.h"
#include "tnc/text_tnc_link.h"

namespace tervane {
namespace {

std::optional<int> comNumberOf(std::string_view text) {
  if (text.size() != 4 || (text.substr(0, 3) != "COM" && text.substr(0, 3) != "com")) return std::nullopt;
  if (text[3] < '1' || text[3] > '4') return std::nullopt;
  return text[3] - '0';
}

// "HOST:PORT"; an IPv6 address goes in brackets ("[::1]:8001").
bool readHostPort(std::string_view text, LinkSpec* spec) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  std::string_view host = text.substr(0, colon);
  const std::string_view port = text.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (host.empty() || port.empty() || port.size() > 5 ||
      !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  spec->host = std::string(host);
  spec->port = static_cast<int>(leadingInteger(port));
  return spec->port >= 1 && spec->port <= 65535;
}

}  // namespace

std::optional<LinkSpec> parseLinkOverride(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view kind = text.substr(0, colon);
  const std::string_view rest = text.substr(colon + 1);
  LinkSpec spec;
  if (kind == "tnc" || kind == "kiss") {
    const std::optional<int> com = comNumberOf(rest);
    if (!com) return std::nullopt;
    spec.type = kind == "tnc" ? LinkType::TextTnc : LinkType::KissSerial;
    spec.comNumber = *com;
    return spec;
  }
  if (kind == "kiss-tcp" || kind == "aprs-is") {
    spec.type = kind == "kiss-tcp" ? LinkType::KissTcp : LinkType::AprsIs;
    if (!readHostPort(rest, &spec)) return std::nullopt;
    return spec;
  }
  return std::nullopt;
}

LinkSpec linkSpecFromSettings(const StationSettings& s) {
  LinkSpec spec;
  spec.type = linkTypeFromIndex(s.linkType);
  spec.comNumber = std::clamp(s.portNumber + 1, 1, 4);
  if (spec.type == LinkType::KissTcp) {
    spec.host = s.kissHost.str();
    spec.port = s.kissPort;
  } else if (spec.type == LinkType::AprsIs) {
    spec.host = s.aprsIsHost.str();
    spec.port = s.aprsIsPort;
  }
  return spec;
}

std::string describeLink(const LinkSpec& spec) {
  switch (spec.type) {
    case LinkType::TextTnc:
      return textf("text-mode TNC on COM%d", spec.comNumber);
    case LinkType::KissSerial:
      return textf("KISS TNC on COM%d", spec.comNumber);
    case LinkType::KissTcp:
      return textf("KISS over TCP to %s:%d", spec.host.c_str(), spec.port);
    case LinkType::AprsIs:
      return textf("APRS-IS server %s:%d", spec.host.c_str(), spec.port);
  }
  return {};
}

std::unique_ptr<LinkKind> makeLink(const LinkSpec& spec, const StationSettings& settings, double latitudeDeg,
                                   double longitudeDeg, PortOpener openPort) {
  const OwnFrames own{settings.callsign.str(), settings.unprotoVia.str()};
  SerialLinkParams serial{spec.comNumber, tncBaudFromIndex(settings.baudRate), std::move(openPort)};
  switch (spec.type) {
    case LinkType::KissSerial:
      return KissLink::onSerialPort(std::move(serial), own);
    case LinkType::KissTcp:
      return KissLink::overTcp(spec.host, spec.port, own);
    case LinkType::AprsIs: {
      AprsIsLogin login{settings.callsign.str(), settings.aprsIsReceiveOnly != 0, settings.aprsIsFilter.str(),
                        latitudeDeg, longitudeDeg};
      return std::make_unique<AprsIsLink>(spec.host, spec.port, std::move(login));
    }
    case LinkType::TextTnc:
      break;
  }
  return std::make_unique<TextTncLink>(std::move(serial));
}

}  // namespace tervane
