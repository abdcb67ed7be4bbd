#include "gps/waypoint_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "gps/garmin_link.h"

namespace tervane {
namespace {

// The symbol number every uploaded waypoint carries.
constexpr std::uint16_t kWaypointSymbol = 37;
// D108 attribute byte: the value the format requires.
constexpr std::uint16_t kD108Attributes = 0x60;

using Kind = WaypointExtra::Kind;
constexpr WaypointExtra kNone{};
constexpr WaypointExtra symbolByte(int offset) { return {Kind::Byte, offset, kWaypointSymbol}; }
constexpr WaypointExtra symbolWord(int offset) { return {Kind::Word16, offset, kWaypointSymbol}; }

constexpr WaypointLayout fixed(int format, int size, int positionOffset, WaypointExtra extra = kNone) {
  return WaypointLayout{format, size, 0, 0, WaypointName::Fixed6, positionOffset, {extra, kNone}};
}
constexpr WaypointLayout variable(int format, int sizeAfterName, int nameOffset, int positionOffset,
                                  WaypointExtra first, WaypointExtra second = kNone) {
  return WaypointLayout{format, 0, sizeAfterName, nameOffset, WaypointName::Variable, positionOffset, {first, second}};
}

const std::array<WaypointLayout, 14> kLayouts = {
    fixed(100, 58, 6),
    fixed(101, 59, 6, symbolByte(58)),
    fixed(102, 60, 6, symbolWord(58)),
    fixed(103, 60, 6, symbolByte(58)),
    fixed(104, 61, 6, symbolWord(58)),
    variable(105, 11, 10, 0, symbolWord(8)),
    variable(106, 14, 12, 2, symbolWord(10)),
    fixed(107, 61, 6, symbolByte(58)),
    variable(108, 49, 48, 24, WaypointExtra{Kind::Byte, 3, kD108Attributes}, symbolWord(4)),
    fixed(150, 115, 9),
    fixed(151, 115, 6),
    fixed(152, 115, 6),
    fixed(154, 117, 6, symbolWord(115)),
    fixed(155, 118, 6, symbolWord(115)),
};

constexpr std::size_t kFixedNameBytes = 6;

void putInt32(std::vector<std::uint8_t>& block, int offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) block[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

std::int32_t semicirclesFromDegrees(double degrees) {
  const double semicircles = std::trunc(2147483648.0 * degrees * 0.005555555555555556);
  if (std::isnan(semicircles)) return 0;
  if (semicircles >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (semicircles <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(semicircles);
}

double degreesFromSemicircles(std::int32_t semicircles) { return semicircles * (180.0 / 2147483648.0); }

int WaypointLayout::recordSize(std::size_t nameLength) const {
  if (name == WaypointName::Fixed6) return fixedSize;
  return static_cast<int>(nameLength) + sizeAfterName;
}

std::optional<WaypointLayout> waypointLayout(int format) {
  for (const WaypointLayout& layout : kLayouts) {
    if (layout.format == format) return layout;
  }
  return std::nullopt;
}

std::size_t maxWaypointNameLength(const WaypointLayout& layout) {
  if (layout.name == WaypointName::Fixed6) return kFixedNameBytes;
  return kGarminMaxData - static_cast<std::size_t>(layout.sizeAfterName);
}

std::optional<std::vector<std::uint8_t>> waypointRecord(int format, std::string_view name, double latitudeDeg,
                                                        double longitudeDeg) {
  const std::optional<WaypointLayout> layout = waypointLayout(format);
  if (!layout) return std::nullopt;
  if (const std::size_t zero = name.find('\0'); zero != std::string_view::npos) name = name.substr(0, zero);
  name = name.substr(0, maxWaypointNameLength(*layout));

  std::vector<std::uint8_t> block(static_cast<std::size_t>(layout->recordSize(name.size())), 0);
  std::copy(name.begin(), name.end(), block.begin() + layout->nameOffset);
  putInt32(block, layout->positionOffset, semicirclesFromDegrees(latitudeDeg));
  putInt32(block, layout->positionOffset + 4, semicirclesFromDegrees(longitudeDeg));
  for (const WaypointExtra& extra : layout->extras) {
    const auto at = static_cast<std::size_t>(extra.offset);
    if (extra.kind == Kind::Byte) {
      block[at] = static_cast<std::uint8_t>(extra.value);
    } else if (extra.kind == Kind::Word16) {
      block[at] = static_cast<std::uint8_t>(extra.value & 0xFF);
      block[at + 1] = static_cast<std::uint8_t>(extra.value >> 8);
    }
  }
  return block;
}

}  // namespace tervane
