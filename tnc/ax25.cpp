#include "tnc/ax25.h"

#include <algorithm>

#include "base/text_format.h"

namespace tervane {
namespace {

constexpr std::uint8_t kUiControl = 0x03;
constexpr std::uint8_t kNoLayer3 = 0xF0;
constexpr std::uint8_t kLastAddressBit = 0x01;
constexpr std::uint8_t kRepeatedBit = 0x80;  // H on a digipeater, C on destination and source
constexpr std::uint8_t kReservedBits = 0x60;

bool isAddressChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// One 7-byte address; nothing when its characters are not an address.
std::optional<Ax25Address> readAddress(const std::uint8_t* field) {
  Ax25Address a;
  bool blank = false;
  for (std::size_t i = 0; i < 6; ++i) {
    if ((field[i] & 0x01) != 0) return std::nullopt;  // the extension bit belongs to the last byte only
    const char c = static_cast<char>(field[i] >> 1);
    if (c == ' ') {
      blank = true;
      continue;
    }
    if (blank || !isAddressChar(c)) return std::nullopt;  // blanks only as padding at the end
    a.call.push_back(c);
  }
  if (a.call.empty()) return std::nullopt;
  a.ssid = (field[6] >> 1) & 0x0F;
  a.repeated = (field[6] & kRepeatedBit) != 0;
  return a;
}

void putAddress(std::vector<std::uint8_t>& out, const Ax25Address& a, bool last, bool highBit) {
  for (std::size_t i = 0; i < 6; ++i) {
    const char c = i < a.call.size() ? a.call[i] : ' ';
    out.push_back(static_cast<std::uint8_t>(c << 1));
  }
  std::uint8_t ssid = static_cast<std::uint8_t>(kReservedBits | ((a.ssid & 0x0F) << 1));
  if (last) ssid |= kLastAddressBit;
  if (highBit) ssid |= kRepeatedBit;
  out.push_back(ssid);
}

std::string addressText(const Ax25Address& a) {
  return a.ssid == 0 ? a.call : a.call + textf("-%d", a.ssid);
}

}  // namespace

std::optional<Ax25UiFrame> readUiFrame(const std::uint8_t* data, std::size_t size) {
  std::size_t at = 0;
  std::vector<Ax25Address> addresses;
  for (;;) {
    if (at + kAx25AddressBytes > size || addresses.size() == 2 + kAx25MaxDigipeaters) return std::nullopt;
    std::optional<Ax25Address> a = readAddress(data + at);
    if (!a) return std::nullopt;
    addresses.push_back(std::move(*a));
    const bool last = (data[at + 6] & kLastAddressBit) != 0;
    at += kAx25AddressBytes;
    if (last) break;
  }
  if (addresses.size() < 2 || at + 2 > size) return std::nullopt;
  if (data[at] != kUiControl || data[at + 1] != kNoLayer3) return std::nullopt;
  at += 2;
  if (size - at > kAx25MaxInfoBytes) return std::nullopt;
  Ax25UiFrame frame;
  frame.destination = std::move(addresses[0]);
  frame.source = std::move(addresses[1]);
  frame.digipeaters.assign(std::make_move_iterator(addresses.begin() + 2), std::make_move_iterator(addresses.end()));
  frame.information.assign(reinterpret_cast<const char*>(data + at), size - at);
  return frame;
}

std::string monitorLine(const Ax25UiFrame& frame) {
  std::string line = addressText(frame.source) + ">" + addressText(frame.destination);
  std::size_t lastRepeated = frame.digipeaters.size();
  for (std::size_t i = 0; i < frame.digipeaters.size(); ++i) {
    if (frame.digipeaters[i].repeated) lastRepeated = i;
  }
  for (std::size_t i = 0; i < frame.digipeaters.size(); ++i) {
    line += ',';
    line += addressText(frame.digipeaters[i]);
    if (i == lastRepeated) line += '*';
  }
  line += ':';
  const std::string_view info = withoutLineEnd(std::string_view(frame.information).substr(0, frame.information.find('\0')));
  for (char c : info) line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

std::optional<Ax25Address> parseAx25Address(std::string_view text) {
  const std::size_t dash = text.find('-');
  const std::string_view call = text.substr(0, dash);
  if (call.empty() || call.size() > 6) return std::nullopt;
  Ax25Address a;
  for (char c : call) {
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (!isAddressChar(upper)) return std::nullopt;
    a.call.push_back(upper);
  }
  if (dash != std::string_view::npos) {
    const std::string_view ssid = text.substr(dash + 1);
    if (ssid.empty() || ssid.size() > 2 || !std::all_of(ssid.begin(), ssid.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    a.ssid = static_cast<int>(leadingInteger(ssid));
    if (a.ssid > 15) return std::nullopt;
  }
  return a;
}

std::optional<std::vector<Ax25Address>> parseAx25Path(std::string_view text) {
  std::vector<Ax25Address> path;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find_first_of(", ", at), text.size());
    if (end > at) {
      std::optional<Ax25Address> a = parseAx25Address(text.substr(at, end - at));
      if (!a || path.size() == kAx25MaxDigipeaters) return std::nullopt;
      path.push_back(std::move(*a));
    }
    at = end + 1;
  }
  return path;
}

std::vector<std::uint8_t> encodeUiFrame(const Ax25UiFrame& frame) {
  std::vector<std::uint8_t> out;
  out.reserve(kAx25MaxFrameBytes);
  const bool noPath = frame.digipeaters.empty();
  // Command frame: C set in the destination, clear in the source.
  putAddress(out, frame.destination, false, true);
  putAddress(out, frame.source, noPath, false);
  for (std::size_t i = 0; i < frame.digipeaters.size(); ++i) {
    putAddress(out, frame.digipeaters[i], i + 1 == frame.digipeaters.size(), frame.digipeaters[i].repeated);
  }
  out.push_back(kUiControl);
  out.push_back(kNoLayer3);
  const std::size_t n = std::min(frame.information.size(), kAx25MaxInfoBytes);
  out.insert(out.end(), frame.information.begin(), frame.information.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

}  // namespace tervane
