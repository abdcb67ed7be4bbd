// Inputs found by fuzzing the packet decoder, kept as regression cases: NMEA
// coordinate fields read as strtod reads them, whatever the locale, and
// nothing of one report stays with the next.
#include <gtest/gtest.h>

#include <string>

#include "aprs/packet_decoder.h"
#include "platform/clock.h"

namespace tervane {
namespace {

TEST(PacketDecoderRegression, CoordinatesThatUnderflowReadAsZero) {
  struct Row {
    const char* name;
    std::string line;
    bool valid;
    double latitudeDeg;
    const char* latitudeText;
  };
  const Row rows[] = {
      {"fuzz finding: GGA latitude 9E-897 is zero, not missing",
       "N0CALL>APRS:$GPGGA,120000,9E-897,N,07120.83,E,1\r\n", true, 0.0, " 0.000000 N"},
      {"a negative tiny exponent in an RMC sentence", "N0CALL>APRS:$GPRMC,120000,A,-1e-400,S,07120.83,E,,,010124\r\n",
       true, 0.0, " 0.000000 S"},
      {"a subnormal latitude still reads as a number", "N0CALL>APRS:$GPGGA,120000,5e-324,N,07120.83,E,1\r\n", true,
       0.0, " 0.000000 N"},
      {"a value beyond the range of a double gives no position",
       "N0CALL>APRS:$GPGGA,120000,1e400,N,07120.83,E,1\r\n", false, 0.0, "1e400"},
      {"an exponent of 400 with a minus in the mantissa is still too large",
       "N0CALL>APRS:$GPGGA,120000,-1e+400,N,07120.83,E,1\r\n", false, 0.0, "-1e+400"},
      {"an ordinary latitude is unchanged", "N0CALL>APRS:$GPGGA,120000,4237.14,N,07120.83,W,1\r\n", true, 42.619,
       "42.619000 N"},
  };
  const FixedClock clock(1704110400);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PacketDecoder decoder(clock);
    decoder.beginLine(r.line);
    decoder.decode();
    const StationEntry& e = decoder.entry();
    EXPECT_TRUE(e.callsignFound);
    EXPECT_EQ(e.positionValid, r.valid);
    EXPECT_DOUBLE_EQ(e.latitudeDeg, r.latitudeDeg);
    EXPECT_EQ(e.latitudeText.view(), r.latitudeText);
  }
}

TEST(PacketDecoderRegression, AnObjectLineGivingNoPositionKeepsNothingOfTheLineBefore) {
  // Fuzz finding: the hemisphere letters of a decoded object stayed with a
  // broken item that followed it.
  const FixedClock clock(1704110400);
  PacketDecoder decoder(clock);
  decoder.beginLine("N0CALL>APRS:;LEADER   _292345z/5L!!<*e7>7P[\r\n");
  decoder.decode();
  ASSERT_TRUE(decoder.entry().positionValid);
  decoder.beginLine("N1NNET>APRS:)AID #1TE");
  decoder.decode();
  const StationEntry& e = decoder.entry();
  EXPECT_FALSE(e.positionValid);
  EXPECT_EQ(e.northSouth, '\0');
  EXPECT_EQ(e.eastWest, '\0');
  EXPECT_FALSE(e.killed);
  EXPECT_TRUE(e.objectName.empty());
}

}  // namespace
}  // namespace tervane
