#include "tools/gpssim/garmin_device.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

#include "base/text_format.h"
#include "gps/garmin_link.h"
#include "gps/waypoint_layout.h"

namespace tervane::gpssim {
namespace {

constexpr std::uint8_t kNak = 21;
constexpr std::uint16_t kProductId = 999;
constexpr std::uint16_t kSoftwareVersion = 100;
constexpr std::string_view kProductDescription = "TervaneAPRS simulated GPS Software Version 1.00";

void putWord(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void putDouble(std::vector<std::uint8_t>& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void putProtocol(std::vector<std::uint8_t>& out, char tag, unsigned number) {
  out.push_back(static_cast<std::uint8_t>(tag));
  putWord(out, number);
}

void append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& frame) {
  out.insert(out.end(), frame.begin(), frame.end());
}

std::int32_t int32At(std::span<const std::uint8_t> data, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(data[at + i]) << (8 * i);
  return static_cast<std::int32_t>(bits);
}

// Printable ASCII as it is; anything else, and the backslash, as \xNN.
std::string escaped(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      text += textf("\\x%02X", byte);
    }
  }
  return text;
}

}  // namespace

TrackPoint trackPosition(const GarminDeviceOptions& options, double elapsedSeconds) {
  if (!options.track) return {options.latitudeDeg, options.longitudeDeg};
  const double pi = 4.0 * std::atan(1.0);
  const double angle = 2.0 * pi * elapsedSeconds / kTrackPeriodSeconds;
  const double latitude = options.latitudeDeg + kTrackRadiusDeg * std::sin(angle);
  const double longitude =
      options.longitudeDeg + kTrackRadiusDeg * std::cos(angle) / std::cos(options.latitudeDeg * pi / 180.0);
  return {latitude, longitude};
}

GarminDevice::GarminDevice(GarminDeviceOptions options, const Clock& clock)
    : options_(std::move(options)), clock_(clock) {}

void GarminDevice::reset() { input_.clear(); }

std::vector<std::string> GarminDevice::takeLogLines() {
  std::vector<std::string> lines;
  lines.swap(log_);
  return lines;
}

std::vector<std::uint8_t> GarminDevice::protocolList() const {
  std::vector<std::uint8_t> list;
  putProtocol(list, 'P', 0);
  putProtocol(list, 'L', 1);
  putProtocol(list, 'A', 10);
  putProtocol(list, 'A', 100);
  if (options_.waypointFormat != 0) putProtocol(list, 'D', static_cast<unsigned>(options_.waypointFormat));
  putProtocol(list, 'A', 800);
  putProtocol(list, 'D', 800);
  return list;
}

std::vector<std::uint8_t> GarminDevice::receive(std::span<const std::uint8_t> bytes, double elapsedSeconds) {
  input_.insert(input_.end(), bytes.begin(), bytes.end());
  std::vector<std::uint8_t> out;
  for (;;) {
    const auto start = std::find(input_.begin(), input_.end(), kGarminDle);
    input_.erase(input_.begin(), start);
    if (input_.empty()) break;
    const GarminRawFrame frame = readGarminFrame(input_);
    if (!frame.terminated) {
      // Wait for the rest of the frame, unless it has run past the longest
      // frame a reader takes.
      if (frame.bytesRead < GarminRawFrame::kMaxReads) break;
      input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(frame.bytesRead));
      continue;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(frame.bytesRead));
    const GarminPacket packet = garminPacketFromFrame(frame);
    handle(packet.type, std::span<const std::uint8_t>(packet.data.data(), packet.size), elapsedSeconds, out);
  }
  return out;
}

void GarminDevice::handle(std::uint8_t type, std::span<const std::uint8_t> data, double elapsedSeconds,
                          std::vector<std::uint8_t>& out) {
  if (type == kGarminAck || type == kNak) return;
  if (type == kGarminRecords) {
    log_.push_back(textf("RECORDS\t%u", data.size() >= 2 ? static_cast<unsigned>(data[0] | (data[1] << 8)) : 0u));
  } else if (type == kGarminWaypoint) {
    logWaypoint(data);
  } else if (type == kGarminTransferComplete) {
    log_.emplace_back("XFERCMPLT");
  }
  if (options_.silent) return;

  const std::uint8_t acknowledged[2] = {type, 0};
  append(out, encodeGarminFrame(kGarminAck, acknowledged));
  if (type == kGarminProductRequest) {
    std::vector<std::uint8_t> product;
    putWord(product, kProductId);
    putWord(product, kSoftwareVersion);
    product.insert(product.end(), kProductDescription.begin(), kProductDescription.end());
    product.push_back(0);
    append(out, encodeGarminFrame(kGarminProductData, product));
    append(out, encodeGarminFrame(kGarminProtocolArray, protocolList()));
    return;
  }
  if (type != kGarminCommand || data.size() < 2) return;
  const unsigned command = data[0] | (data[1] << 8);
  if (command == kGarminCommandTransferPosition) {
    const double pi = 4.0 * std::atan(1.0);
    const TrackPoint point = trackPosition(options_, elapsedSeconds);
    std::vector<std::uint8_t> position;
    putDouble(position, point.latitudeDeg * pi / 180.0);
    putDouble(position, point.longitudeDeg * pi / 180.0);
    append(out, encodeGarminFrame(kGarminPosition, position));
  } else if (command == kGarminCommandTransferTime) {
    const CalendarTime utc = clock_.utcNow();
    const int secondOfDay = options_.secondOfDay.value_or(utc.hour * 3600 + utc.minute * 60 + utc.second);
    std::vector<std::uint8_t> time;
    time.push_back(static_cast<std::uint8_t>(utc.month));
    time.push_back(static_cast<std::uint8_t>(utc.day));
    putWord(time, static_cast<unsigned>(utc.year));
    putWord(time, static_cast<unsigned>(secondOfDay / 3600));
    time.push_back(static_cast<std::uint8_t>(secondOfDay / 60 % 60));
    time.push_back(static_cast<std::uint8_t>(secondOfDay % 60));
    append(out, encodeGarminFrame(kGarminDateTime, time));
  }
}

void GarminDevice::logWaypoint(std::span<const std::uint8_t> record) {
  std::string line = textf("WPT\t%d\t%zu", options_.waypointFormat, record.size());
  const std::optional<WaypointLayout> layout = waypointLayout(options_.waypointFormat);
  if (layout) {
    const auto nameOffset = static_cast<std::size_t>(layout->nameOffset);
    std::span<const std::uint8_t> name = record.subspan(std::min(nameOffset, record.size()));
    if (layout->name == WaypointName::Fixed6) name = name.first(std::min<std::size_t>(name.size(), 6));
    name = name.first(static_cast<std::size_t>(std::find(name.begin(), name.end(), 0) - name.begin()));
    line += "\t" + escaped(name);
    const auto position = static_cast<std::size_t>(layout->positionOffset);
    if (position + 8 <= record.size()) {
      line += textf("\t%.6f\t%.6f", degreesFromSemicircles(int32At(record, position)),
                    degreesFromSemicircles(int32At(record, position + 4)));
    }
  }
  log_.push_back(std::move(line));
}

}  // namespace tervane::gpssim
