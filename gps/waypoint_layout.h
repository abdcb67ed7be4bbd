#pragma once
// Waypoint records for the Garmin waypoint data formats the receiver names in
// its protocol list (D100 ... D155): where the name and the position go in the
// data block of a waypoint packet, and which further bytes are set.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tervane {

// Degrees to Garmin semicircles: trunc(2^31 x degrees / 180), toward zero.
// Values outside the signed 32-bit range are clamped: +180 degrees exactly
// would be 2^31, one more than fits, and becomes INT32_MAX (the receiver
// reads it as 180 - 8.4e-8 degrees); -180 is -2^31 and fits. NaN gives 0.
std::int32_t semicirclesFromDegrees(double degrees);

// Semicircles back to degrees (x 180 / 2^31).
double degreesFromSemicircles(std::int32_t semicircles);

enum class WaypointName {
  Fixed6,    // the first 6 bytes of the name, zero-filled past its end
  Variable,  // the whole name followed by one 0 byte
};

// A further value every record of the format carries (the symbol number).
struct WaypointExtra {
  enum class Kind { None, Byte, Word16 } kind = Kind::None;
  int offset = 0;
  std::uint16_t value = 0;
};

struct WaypointLayout {
  int format = 0;         // the D number, e.g. 108
  int fixedSize = 0;      // record size for a fixed name; unused for a variable one
  int sizeAfterName = 0;  // variable name: record size = name length + sizeAfterName
  int nameOffset = 0;
  WaypointName name = WaypointName::Fixed6;
  int positionOffset = 0;  // latitude here, longitude 4 bytes after, both int32 LE semicircles
  WaypointExtra extras[2] = {};

  // The record size for a name of the given length.
  int recordSize(std::size_t nameLength) const;
};

// The layout of a waypoint data format, or nothing for a format the program
// has no layout for (109-149, 153, 156-199 and anything outside 100-199).
std::optional<WaypointLayout> waypointLayout(int format);

// The longest name a record of this layout can carry within the 255 bytes of
// a packet (6 for the fixed names).
std::size_t maxWaypointNameLength(const WaypointLayout& layout);

// The data block of one waypoint packet: every byte zero except the name, the
// position and the format's further bytes. The name is cut at its first zero
// byte and, for variable names, to what fits in a packet. Nothing for a
// format without a layout.
std::optional<std::vector<std::uint8_t>> waypointRecord(int format, std::string_view name, double latitudeDeg,
                                                        double longitudeDeg);

}  // namespace tervane
