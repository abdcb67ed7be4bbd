// Throughput of the GPS input paths: NMEA sentences cut from a byte stream
// and read, and Garmin frames encoded and read back.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gps/garmin_link.h"
#include "gps/nmea.h"
#include "gps/waypoint_layout.h"

namespace {

// One second of a receiver's output: fix data, recommended minimum, and the
// satellite sentences that the reader passes over.
const std::string kSecondOfOutput =
    "$GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,*67\r\n"
    "$GPRMC,143032.00,A,4221.6720,N,07103.4380,W,18.2,61.0,071225,14.9,W,A*0D\r\n"
    "$GPGSA,A,3,03,06,11,14,19,22,24,25,,,,,1.6,0.9,1.3*3A\r\n"
    "$GPGSV,2,1,08,03,23,224,38,06,06,037,30,11,17,314,41,14,75,015,44*7B\r\n"
    "$GPGSV,2,2,08,19,18,138,35,22,20,079,33,24,27,172,46,25,27,263,38*7C\r\n";

void collectAndReadNmea(benchmark::State& state) {
  tervane::NmeaSentenceCollector collector;
  std::int64_t fixes = 0;
  for (auto _ : state) {
    for (char byte : kSecondOfOutput) {
      if (!collector.add(byte)) continue;
      const std::optional<tervane::GgaFix> fix = tervane::parseGga(collector.sentence());
      fixes += fix.has_value() ? 1 : 0;
    }
  }
  benchmark::DoNotOptimize(fixes);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSecondOfOutput.size()));
}
BENCHMARK(collectAndReadNmea);

void readGga(benchmark::State& state) {
  const std::string sentence = "$GNGGA,143102.00,4221.7440,N,07103.2760,W,1,08,0.9,12.7,M,-33.8,M,,*71";
  for (auto _ : state) benchmark::DoNotOptimize(tervane::parseGga(sentence));
}
BENCHMARK(readGga);

void garminFrameRoundTrip(benchmark::State& state) {
  std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)));
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  for (auto _ : state) {
    const std::vector<std::uint8_t> frame = tervane::encodeGarminFrame(35, data);
    benchmark::DoNotOptimize(tervane::garminPacketFromFrame(tervane::readGarminFrame(frame)).size);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(garminFrameRoundTrip)->Arg(16)->Arg(255);

void buildD108Record(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tervane::waypointRecord(108, "VK2XYZ-15", -33.8568, 151.2153));
}
BENCHMARK(buildD108Record);

}  // namespace
