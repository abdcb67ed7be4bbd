// Orbit core speed: one propagation with its look angles, a full 24-hour
// crossing search that finds nothing, and all the crossings of one day for a
// low satellite, each beside the plain second-by-second search.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "tests/tracker/element_lines.h"
#include "tracker/crossing.h"
#include "tracker/orbit_model.h"

namespace tervane {
namespace {

// A 51.6-degree, 420 km satellite and a 20-degree one, epoch 2021 July 13
// 12h UTC; the same sets are used by scripts/bench-orbit for skyfield.
const testing::TestOrbit kLow{"LOW 51", 90001, 21194.5, 51.64, 213.25, 0.0002, 155.1, 334.2, 15.4879, 1.068e-5};
const testing::TestOrbit kLowEquatorial{"LOW 20", 90004, 21194.5, 20.0, 100.0, 0.0010, 0.0, 180.0, 15.0};
constexpr std::int64_t kStart = 1626220800;  // 2021-07-14T00:00:00Z
constexpr double kStationLatDeg = 48.1;
constexpr double kStationLonDeg = 11.6;
// Just outside what LOW 20 can reach: it comes to within a degree of the
// horizon (-0.78 at best) on its northern passes and never rises.
constexpr double kNearMissLatDeg = 44.0;
constexpr double kFarLatDeg = 75.0;

OrbitModel loaded(const testing::TestOrbit& orbit) {
  const auto lines = testing::elementLines(orbit);
  OrbitModel model;
  model.loadElements(orbit.name, lines.first, lines.second);
  return model;
}

void BM_PropagateAndLook(benchmark::State& state) {
  OrbitModel model = loaded(kLow);
  const StationGeometry station = stationGeometry(kStationLatDeg, kStationLonDeg);
  std::int64_t t = kStart;
  for (auto _ : state) {
    model.propagate(t++);
    benchmark::DoNotOptimize(model.lookAngles(station));
  }
}
BENCHMARK(BM_PropagateAndLook);

template <auto Search>
void BM_NoCrossingIn24Hours(benchmark::State& state) {
  OrbitModel model = loaded(kLowEquatorial);
  const double latitudeDeg = state.range(0) == 0 ? kNearMissLatDeg : kFarLatDeg;
  const StationGeometry station = stationGeometry(latitudeDeg, kStationLonDeg);
  for (auto _ : state) {
    const auto crossing = Search(model, kStart, station);
    if (crossing) state.SkipWithError("a crossing was found");
    benchmark::DoNotOptimize(crossing);
  }
}
BENCHMARK(BM_NoCrossingIn24Hours<findCrossingBounded>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoCrossingIn24Hours<findCrossingStepwise>)->Arg(0)->Unit(benchmark::kMillisecond);

template <auto Search>
void BM_AllCrossingsOfOneDay(benchmark::State& state) {
  OrbitModel model = loaded(kLow);
  const StationGeometry station = stationGeometry(kStationLatDeg, kStationLonDeg);
  std::int64_t count = 0;
  for (auto _ : state) {
    count = 0;
    std::int64_t from = kStart;
    while (from < kStart + 86400) {
      const auto crossing = Search(model, from, station);
      if (!crossing || *crossing >= kStart + 86400) break;
      ++count;
      from = *crossing + 2;
    }
    benchmark::DoNotOptimize(count);
  }
  state.counters["crossings"] = static_cast<double>(count);
}
BENCHMARK(BM_AllCrossingsOfOneDay<findCrossingBounded>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllCrossingsOfOneDay<findCrossingStepwise>)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tervane
