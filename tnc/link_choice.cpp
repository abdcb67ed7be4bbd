#include "tnc/link_choice.h"

#include <algorithm>

#include "base/text_format.h"

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
  const std::string_view prefix = text.substr(0, colon);
  const std::string_view rest = text.substr(colon + 1);
  for (const LinkKindEntry& kind : linkKinds()) {
    if (prefix != kind.overridePrefix) continue;
    LinkSpec spec;
    spec.type = kind.type;
    if (kind.endpoint == LinkEndpoint::SerialPort) {
      const std::optional<int> com = comNumberOf(rest);
      if (!com) return std::nullopt;
      spec.comNumber = *com;
    } else if (!readHostPort(rest, &spec)) {
      return std::nullopt;
    }
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
  const LinkKindEntry& kind = linkKindOf(spec.type);
  if (kind.endpoint == LinkEndpoint::SerialPort) return textf("%sCOM%d", kind.describedAs, spec.comNumber);
  return textf("%s%s:%d", kind.describedAs, spec.host.c_str(), spec.port);
}

std::unique_ptr<LinkKind> makeLink(const LinkSpec& spec, const StationSettings& settings, double latitudeDeg,
                                   double longitudeDeg, PortOpener openPort) {
  LinkSetup setup{spec, settings, latitudeDeg, longitudeDeg, std::move(openPort)};
  return linkKindOf(spec.type).make(setup);
}

}  // namespace tervane
