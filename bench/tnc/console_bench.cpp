// The cost of showing one more monitor line in the console when it already
// holds many: appending must not grow with the text already shown.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QStringList>

#include "base/coordination.h"
#include "app/main_console.h"

namespace tervane {
namespace {

void BM_AppendMonitorLine(benchmark::State& state) {
  StationSettings settings;
  Coordination shared;
  MainConsole console(settings, shared);
  console.show();
  const QString line = QStringLiteral("KB1XYZ-9>APRS,WIDE1-1,WIDE2-1:@092345z4215.12N/07105.44W_090/005g010t045");
  QStringList fill;
  for (std::int64_t i = 0; i < state.range(0); ++i) fill << line;
  console.appendMonitorLines(fill);
  QCoreApplication::processEvents();
  for (auto _ : state) {
    console.appendMonitorLines({line});
    QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["lines"] = static_cast<double>(console.monitor()->blockCount());
}
BENCHMARK(BM_AppendMonitorLine)->Arg(1000)->Arg(100000)->ArgName("shown")->Iterations(2000)->Unit(benchmark::kMicrosecond);

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
