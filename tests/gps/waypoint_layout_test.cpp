#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gps/waypoint_layout.h"

namespace tervane {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::int32_t int32At(const Bytes& block, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(block.at(at + i)) << (8 * i);
  return static_cast<std::int32_t>(bits);
}

TEST(Semicircles, DegreesBecomeTruncatedSemicircles) {
  struct Row {
    const char* name;
    double degrees;
    std::int32_t semicircles;
  };
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const Row rows[] = {
      {"zero", 0.0, 0},
      {"north pole", 90.0, 1 << 30},
      {"south pole", -90.0, -(1 << 30)},
      {"45 degrees", 45.0, 1 << 29},
      {"+180 does not fit and is clamped", 180.0, kMax},
      {"-180 is exactly -2^31", -180.0, kMin},
      {"far out of range", 1.0e9, kMax},
      {"far out of range, negative", -1.0e9, kMin},
      {"infinity", std::numeric_limits<double>::infinity(), kMax},
      {"NaN", std::numeric_limits<double>::quiet_NaN(), 0},
      // 2^31 x 42.36 / 180 = 505374485.8 and 2^31 x -71.06 / 180 = -847778822.4.
      {"Boston latitude, toward zero", 42.36, 505374485},
      {"Boston longitude, toward zero", -71.06, -847778822},
      {"a tiny negative value truncates to 0, not -1", -1.0e-8, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(semicirclesFromDegrees(row.degrees), row.semicircles);
  }
  EXPECT_NEAR(degreesFromSemicircles(505374485), 42.36, 1e-7);
  EXPECT_DOUBLE_EQ(degreesFromSemicircles(kMin), -180.0);
}

struct LayoutRow {
  int format;
  int size;  // for the 9-character name "N0CALL-12"
  int nameOffset;
  bool fixedName;
  int positionOffset;
  std::vector<std::pair<int, std::uint8_t>> otherBytes;  // offset, value
};

TEST(WaypointLayoutTest, EveryFormatPlacesNamePositionAndSymbol) {
  const std::string name = "N0CALL-12";
  const int nameLength = static_cast<int>(name.size());
  const std::vector<LayoutRow> rows = {
      {100, 58, 0, true, 6, {}},
      {101, 59, 0, true, 6, {{58, 37}}},
      {102, 60, 0, true, 6, {{58, 37}, {59, 0}}},
      {103, 60, 0, true, 6, {{58, 37}}},
      {104, 61, 0, true, 6, {{58, 37}, {59, 0}}},
      {105, nameLength + 11, 10, false, 0, {{8, 37}, {9, 0}}},
      {106, nameLength + 14, 12, false, 2, {{10, 37}, {11, 0}}},
      {107, 61, 0, true, 6, {{58, 37}}},
      {108, nameLength + 49, 48, false, 24, {{3, 0x60}, {4, 37}, {5, 0}}},
      {150, 115, 0, true, 9, {}},
      {151, 115, 0, true, 6, {}},
      {152, 115, 0, true, 6, {}},
      {154, 117, 0, true, 6, {{115, 37}, {116, 0}}},
      {155, 118, 0, true, 6, {{115, 37}, {116, 0}}},
  };
  const double latitude = -33.9;
  const double longitude = 151.2;
  for (const LayoutRow& row : rows) {
    SCOPED_TRACE("D" + std::to_string(row.format));
    const std::optional<Bytes> record = waypointRecord(row.format, name, latitude, longitude);
    ASSERT_TRUE(record.has_value());
    const Bytes& block = *record;
    ASSERT_EQ(static_cast<int>(block.size()), row.size);

    std::vector<bool> named(block.size(), false);
    const std::string expectedName = row.fixedName ? name.substr(0, 6) : name;
    const std::size_t nameBytes = row.fixedName ? 6 : name.size() + 1;
    for (std::size_t i = 0; i < nameBytes; ++i) {
      const std::size_t at = static_cast<std::size_t>(row.nameOffset) + i;
      EXPECT_EQ(block[at], i < expectedName.size() ? static_cast<std::uint8_t>(expectedName[i]) : 0) << at;
      named[at] = true;
    }
    const auto position = static_cast<std::size_t>(row.positionOffset);
    EXPECT_EQ(int32At(block, position), semicirclesFromDegrees(latitude));
    EXPECT_EQ(int32At(block, position + 4), semicirclesFromDegrees(longitude));
    for (std::size_t i = 0; i < 8; ++i) named[position + i] = true;
    for (const auto& [offset, value] : row.otherBytes) {
      EXPECT_EQ(block[static_cast<std::size_t>(offset)], value) << offset;
      named[static_cast<std::size_t>(offset)] = true;
    }
    for (std::size_t i = 0; i < block.size(); ++i) {
      if (!named[i]) {
        EXPECT_EQ(block[i], 0) << "byte " << i << " is not part of the layout";
      }
    }
  }
}

TEST(WaypointLayoutTest, FormatsWithoutLayoutGiveNothing) {
  for (int format : {0, 99, 109, 120, 149, 153, 156, 199, 200, 800}) {
    SCOPED_TRACE(format);
    EXPECT_FALSE(waypointRecord(format, "N0CALL", 1.0, 2.0).has_value());
    EXPECT_FALSE(waypointLayout(format).has_value());
  }
}

TEST(WaypointLayoutTest, NamesAreCutToWhatTheFormatCarries) {
  struct Row {
    const char* name;
    int format;
    std::string callsign;
    std::size_t size;
    std::string nameBytes;  // as found at the name offset, up to size or the layout's end
  };
  const Row rows[] = {
      {"short fixed name zero-filled", 100, "K1A", 58, std::string("K1A\0\0\0", 6)},
      {"long fixed name cut to 6", 103, "VK2ABC-15", 60, "VK2ABC"},
      {"variable name stops at an embedded zero", 108, std::string("AB\0CD", 5), 2 + 49, std::string("AB\0", 3)},
      {"empty variable name is one zero byte", 105, "", 11, std::string("\0", 1)},
      {"variable name cut to fit a packet", 108, std::string(300, 'X'), 255, std::string(206, 'X') + '\0'},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<Bytes> record = waypointRecord(row.format, row.callsign, 0, 0);
    ASSERT_TRUE(record.has_value());
    ASSERT_EQ(record->size(), row.size);
    const auto offset = static_cast<std::size_t>(waypointLayout(row.format)->nameOffset);
    ASSERT_LE(offset + row.nameBytes.size(), record->size());
    EXPECT_EQ(std::string(record->begin() + static_cast<std::ptrdiff_t>(offset),
                          record->begin() + static_cast<std::ptrdiff_t>(offset + row.nameBytes.size())),
              row.nameBytes);
  }
}

}  // namespace
}  // namespace tervane
