#include "aprs/packet.h"

#include <algorithm>
#include <cctype>

namespace tervane {
namespace {

constexpr std::size_t kLongestName = 9;

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool isHeaderName(std::string_view text) {
  if (text.empty() || text.size() > kLongestName) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
  });
}

std::optional<Packet> readMonitorLine(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view header = line.substr(0, colon);
  const std::size_t arrow = header.find('>');
  if (arrow == std::string_view::npos) return std::nullopt;
  Packet p;
  const std::string_view source = header.substr(0, arrow);
  if (!isHeaderName(source)) return std::nullopt;
  p.source = std::string(source);
  std::string_view rest = header.substr(arrow + 1);
  bool first = true;
  while (true) {
    const std::size_t comma = rest.find(',');
    std::string_view name = rest.substr(0, comma);
    if (first) {
      if (!isHeaderName(name)) return std::nullopt;
      p.destination = std::string(name);
      first = false;
    } else {
      PathEntry e;
      if (!name.empty() && name.back() == '*') {
        e.repeated = true;
        name.remove_suffix(1);
      }
      if (!isHeaderName(name)) return std::nullopt;
      e.call = std::string(name);
      p.path.push_back(std::move(e));
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  p.info = std::string(line.substr(colon + 1));
  return p;
}

std::string headerText(const Packet& packet) {
  std::string text = packet.source + ">" + packet.destination;
  for (const PathEntry& e : packet.path) {
    text += ',';
    text += e.call;
    if (e.repeated) text += '*';
  }
  return text;
}

std::string monitorText(const Packet& packet) { return headerText(packet) + ":" + packet.info; }

bool pathHolds(const Packet& packet, std::string_view name) {
  return std::any_of(packet.path.begin(), packet.path.end(), [name](const PathEntry& e) { return sameName(e.call, name); });
}

std::optional<Packet> thirdPartyInner(const Packet& packet) {
  if (packet.info.empty() || packet.info.front() != '}') return std::nullopt;
  return readMonitorLine(std::string_view(packet.info).substr(1));
}

int hopsUsed(const Packet& packet) {
  int hops = 0;
  for (std::size_t i = 0; i < packet.path.size(); ++i) {
    if (packet.path[i].repeated) hops = static_cast<int>(i) + 1;
  }
  return hops;
}

}  // namespace tervane
