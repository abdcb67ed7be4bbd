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

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
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

std::optional<std::vector<LinkSpec>> parseLinkList(std::string_view text) {
  std::vector<LinkSpec> specs;
  while (true) {
    const std::size_t comma = text.find(',');
    std::optional<LinkSpec> spec = parseLinkOverride(trimmed(text.substr(0, comma)));
    if (!spec) return std::nullopt;
    specs.push_back(std::move(*spec));
    if (comma == std::string_view::npos) return specs;
    text.remove_prefix(comma + 1);
  }
}

std::string linkEndText(const LinkSpec& spec) {
  const LinkKindEntry& kind = linkKindOf(spec.type);
  if (kind.endpoint == LinkEndpoint::SerialPort) return textf("%s:COM%d", kind.overridePrefix, spec.comNumber);
  const bool v6 = spec.host.find(':') != std::string::npos;
  return textf(v6 ? "%s:[%s]:%d" : "%s:%s:%d", kind.overridePrefix, spec.host.c_str(), spec.port);
}

std::vector<LinkConfig> linkConfigsFromSettings(const StationSettings& s, std::vector<std::string>* problems) {
  std::vector<LinkConfig> links;
  LinkConfig first;
  first.name = s.firstLinkName.str();
  first.spec = linkSpecFromSettings(s);
  // The first link says itself why it sends nothing (a receive-only login).
  first.transmits = true;
  links.push_back(std::move(first));
  for (int i = 0; i < kExtraLinks; ++i) {
    const std::string_view end = trimmed(s.linkEnd[i].view());
    if (end.empty()) continue;
    const std::optional<LinkSpec> spec = parseLinkOverride(end);
    if (!spec) {
      if (problems != nullptr) problems->push_back(textf("link%d \"%s\"", i + 2, std::string(end).c_str()));
      continue;
    }
    LinkConfig link;
    link.name = std::string(trimmed(s.linkName[i].view()));
    link.spec = *spec;
    link.transmits = s.linkTransmits[i] != 0;
    link.filter = s.linkFilter[i].str();
    links.push_back(std::move(link));
  }
  return links;
}

void nameLinks(std::vector<LinkConfig>& links) {
  const auto taken = [&links](const std::string& name) {
    return std::any_of(links.begin(), links.end(), [&name](const LinkConfig& l) { return l.name == name; });
  };
  for (LinkConfig& link : links) {
    if (!link.name.empty()) continue;
    const std::string stem = linkKindOf(link.spec.type).shortName;
    std::string name = stem;
    for (int n = 2; taken(name); ++n) name = stem + std::to_string(n);
    link.name = name;
  }
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
