#include "gps/gps_override.h"

#include <charconv>

namespace tervane {

namespace {

constexpr std::size_t kMaxHostLength = 253;

bool readPort(std::string_view text, int& port) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  return error == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

}  // namespace

std::optional<GpsdAddress> parseGpsOverride(std::string_view text) {
  constexpr std::string_view kKind = "gpsd";
  if (text.substr(0, kKind.size()) != kKind) return std::nullopt;
  text.remove_prefix(kKind.size());
  GpsdAddress address;
  if (text.empty()) return address;
  if (text.front() != ':') return std::nullopt;
  text.remove_prefix(1);

  std::string_view host;
  std::string_view port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
      if (port.empty()) return std::nullopt;
    }
  } else {
    const std::size_t colon = text.find(':');
    host = text.substr(0, colon);
    if (colon != std::string_view::npos) {
      port = text.substr(colon + 1);
      if (port.empty()) return std::nullopt;
    }
  }
  if (host.size() > kMaxHostLength) return std::nullopt;
  if (!host.empty()) address.host.assign(host);
  if (!port.empty() && !readPort(port, address.port)) return std::nullopt;
  return address;
}

}  // namespace tervane
