// The Upcoming Passes table at its largest: seven days of passes over a
// station for every satellite of a real element file (88 amateur
// satellites, epoch July 2021). Skipped when that file is not at hand.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "tracker/element_file.h"
#include "tracker/pass_table.h"

namespace tervane {
namespace {

constexpr std::int64_t kStart = 1626220800;  // 2021-07-14T00:00:00Z, days after the elements' epochs
constexpr double kStationLatDeg = 42.36;     // Boston
constexpr double kStationLonDeg = -71.06;

void BM_PassTableSevenDays(benchmark::State& state, const std::vector<ElementRecord>& satellites) {
  std::size_t passes = 0;
  for (auto _ : state) {
    const std::vector<PassRow> rows = passTable(satellites, kStationLatDeg, kStationLonDeg, kStart, kMostPassDays);
    passes = rows.size();
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["satellites"] = static_cast<double>(satellites.size());
  state.counters["passes"] = static_cast<double>(passes);
}

const bool kRegistered = [] {
  static const std::vector<ElementRecord> satellites = scanElementFile(TERVANE_AMATEUR_ELEMENTS);
  if (satellites.empty()) {
    std::fprintf(stderr, "pass table benchmark skipped: no element file at %s\n", TERVANE_AMATEUR_ELEMENTS);
    return false;
  }
  benchmark::RegisterBenchmark("BM_PassTableSevenDays", BM_PassTableSevenDays, satellites)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return true;
}();

}  // namespace
}  // namespace tervane
