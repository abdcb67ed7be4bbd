// Adding or updating one station when 10,000 are already heard: the
// position table and the callsign list, and the window that shows them.

#include <benchmark/benchmark.h>

#include <string>

#include "aprs/station_tables.h"

namespace tervane {
namespace {

std::string callFor(std::int64_t i) { return "K" + std::to_string(100000 + i) + "X"; }

StationEntry entryFor(const std::string& call) {
  StationEntry e;
  e.positionValid = e.callsignFound = true;
  e.sourceCall = call;
  e.latitudeText = "42.619000 N";
  e.longitudeText = " 71.347167 W";
  return e;
}

void BM_PositionTableAddOrUpdate(benchmark::State& state) {
  PositionTable table;
  for (std::int64_t i = 0; i < state.range(0); ++i) table.addOrUpdate(entryFor(callFor(i * 2)));
  std::int64_t k = 0;
  for (auto _ : state) {
    // Alternately a new station (inserted in the middle) and a known one.
    const std::string call = callFor((k % 2 == 0) ? state.range(0) + k : (k * 7919) % state.range(0) * 2);
    benchmark::DoNotOptimize(table.addOrUpdate(entryFor(call)));
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PositionTableAddOrUpdate)->Arg(10000)->Iterations(20000);

void BM_StationListAddCallsign(benchmark::State& state) {
  StationList list;
  for (std::int64_t i = 0; i < state.range(0); ++i) list.addCallsign(callFor(i * 2));
  std::int64_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(list.addCallsign(callFor(k % 2 == 0 ? state.range(0) + k : (k * 7919) % state.range(0) * 2)));
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StationListAddCallsign)->Arg(10000)->Iterations(20000);

}  // namespace
}  // namespace tervane
