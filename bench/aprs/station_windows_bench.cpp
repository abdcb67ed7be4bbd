// The user-interface thread's share of one received line when 1,000 or 20,000
// stations are already listed: the position window and the stations window
// take the station and paint; the cost must not grow with the stations listed.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "aprs/station_windows.h"

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

void BM_WindowsTakeOneStation(benchmark::State& state) {
  Coordination shared;
  PositionWindow positions(shared);
  StationsWindow stations([](const std::string&) { return true; });
  positions.show();
  stations.show();
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    positions.addOrUpdate(entryFor(callFor(i * 2)));
    stations.addCallsign(callFor(i * 2));
  }
  QCoreApplication::processEvents();
  std::int64_t k = 0;
  for (auto _ : state) {
    const std::string call = callFor(k % 2 == 0 ? state.range(0) + k : (k * 7919) % state.range(0) * 2);
    stations.addCallsign(call);
    positions.addOrUpdate(entryFor(call));
    QCoreApplication::processEvents();
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WindowsTakeOneStation)->Arg(1000)->Arg(20000)->ArgName("listed")->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The Received Stations list alone, taking new callsigns: the cost of one
// more must not grow with the stations already listed.
void BM_StationsListTakesANewCallsign(benchmark::State& state) {
  StationsWindow stations([](const std::string&) { return true; });
  stations.show();
  for (std::int64_t i = 0; i < state.range(0); ++i) stations.addCallsign(callFor(i * 2));
  QCoreApplication::processEvents();
  std::int64_t k = 0;
  for (auto _ : state) {
    stations.addCallsign(callFor(2 * state.range(0) + 2 * k + 1));
    QCoreApplication::processEvents();
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StationsListTakesANewCallsign)->Arg(1000)->Arg(20000)->ArgName("listed")->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tervane

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
