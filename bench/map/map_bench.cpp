// The map with 20,000 stations: a pan or a zoom redraws the whole window
// (base map, symbols, labels) and must stay within a frame (16 ms); a new
// station repaints only its own few pixels.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <random>
#include <string>

#include "map/map_view.h"

namespace tervane {
namespace {

constexpr int kStations = 20000;
constexpr int kWidthPx = 1280;
constexpr int kHeightPx = 800;
constexpr GeoPoint kBoston{42.36, -71.06};

// Stations as a busy APRS-IS feed shows them: most crowd round cities, the
// rest are spread over the inhabited latitudes; cars, houses, digipeaters
// and weather stations, a third of them moving.
StationEntry station(std::mt19937& random, int number) {
  static const GeoPoint cities[] = {kBoston,        {40.71, -74.01}, {41.88, -87.63}, {34.05, -118.24}, {47.61, -122.33},
                                    {29.76, -95.37}, {51.51, -0.13},  {52.52, 13.40},  {48.86, 2.35},    {35.68, 139.69},
                                    {-33.87, 151.21}, {-23.55, -46.63}, {55.75, 37.62}, {49.28, -123.12}, {39.74, -104.99}};
  static const char codes[][2] = {{'/', '>'}, {'/', '-'}, {'/', '#'}, {'/', '_'}, {'\\', '>'}, {'/', 'k'}, {'/', '['}};
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> spread(0.0, 0.6);
  StationEntry e;
  e.positionValid = true;
  e.callsignFound = true;
  e.sourceCall = "K" + std::to_string(number) + "-9";
  if (unit(random) < 0.6) {
    const GeoPoint& c = cities[number % std::size(cities)];
    e.latitudeDeg = c.latitudeDeg + spread(random);
    e.longitudeDeg = c.longitudeDeg + spread(random);
  } else {
    e.latitudeDeg = -45.0 + 110.0 * unit(random);
    e.longitudeDeg = -180.0 + 360.0 * unit(random);
  }
  const auto& code = codes[number % std::size(codes)];
  e.symbolTable = code[0];
  e.symbolCode = code[1];
  if (number % 3 == 0) {
    e.courseDeg = 360.0 * unit(random);
    e.speedKnots = 40.0;
  }
  return e;
}

struct Map {
  MapView view;
  QImage frame{kWidthPx, kHeightPx, QImage::Format_ARGB32_Premultiplied};

  Map() {
    view.resize(kWidthPx, kHeightPx);
    view.show();
    QApplication::processEvents();
    std::mt19937 random(20);
    for (int i = 0; i < kStations; ++i) view.stationChanged(station(random, i), i % 500 == 0);
    view.setOwnStation("N0CALL", kBoston, false);
    view.baseMap();
  }
  void paint(const QRect& area) {
    QPainter p(&frame);
    view.paintMap(p, area);
  }
  void paintAll() { paint(QRect(0, 0, kWidthPx, kHeightPx)); }
};

Map& map() {
  static Map m;
  return m;
}

// Pixels per world unit for each scale: world, continent, region around the
// station, city, street blocks.
const double kScales[] = {kWidthPx, 256.0 * 16, 256.0 * 512, 256.0 * 4096, 256.0 * (1 << 17)};
const char* const kScaleNames[] = {"world", "continent", "region", "city", "street"};

void BM_PanRedraw(benchmark::State& state) {
  Map& m = map();
  m.view.showArea(kBoston, kScales[state.range(0)]);
  m.paintAll();
  int step = 0;
  for (auto _ : state) {
    const double d = (step++ % 2 == 0) ? 9.0 : -9.0;
    m.view.panBy({d, d < 0 ? -5.0 : 5.0});
    m.paintAll();
  }
  state.SetLabel(kScaleNames[state.range(0)]);
  state.counters["markers"] = static_cast<double>(m.view.scene().placements().size());
}
BENCHMARK(BM_PanRedraw)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_ZoomRedraw(benchmark::State& state) {
  Map& m = map();
  m.view.showArea(kBoston, kScales[state.range(0)]);
  m.paintAll();
  const QPointF cursor(kWidthPx * 0.6, kHeightPx * 0.4);
  int step = 0;
  for (auto _ : state) {
    m.view.zoomAround(cursor, (step++ % 2 == 0) ? 1.5 : 1.0 / 1.5);
    m.paintAll();
  }
  state.SetLabel(kScaleNames[state.range(0)]);
}
BENCHMARK(BM_ZoomRedraw)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The labels and symbols laid out afresh after a pan, without painting.
void BM_LayoutOnly(benchmark::State& state) {
  Map& m = map();
  m.view.showArea(kBoston, kScales[state.range(0)]);
  int step = 0;
  for (auto _ : state) {
    m.view.scene().changeView().panBy((step++ % 2 == 0) ? 9.0 : -9.0, 0.0);
    benchmark::DoNotOptimize(m.view.scene().placements().size());
  }
  state.SetLabel(kScaleNames[state.range(0)]);
}
BENCHMARK(BM_LayoutOnly)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The base map alone, drawn afresh as after a zoom: the share of a redraw
// without stations.
void BM_BaseMapOnly(benchmark::State& state) {
  MapView view;
  view.resize(kWidthPx, kHeightPx);
  view.show();
  QApplication::processEvents();
  QImage frame(kWidthPx, kHeightPx, QImage::Format_ARGB32_Premultiplied);
  view.showArea(kBoston, kScales[state.range(0)]);
  int step = 0;
  for (auto _ : state) {
    view.zoomAround(QPointF(kWidthPx * 0.6, kHeightPx * 0.4), (step++ % 2 == 0) ? 1.5 : 1.0 / 1.5);
    QPainter p(&frame);
    view.paintMap(p, QRect(0, 0, kWidthPx, kHeightPx));
  }
  state.SetLabel(kScaleNames[state.range(0)]);
}
BENCHMARK(BM_BaseMapOnly)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// A report from a new station while the region around the station is in
// view: the scene's share and the repaint of the pixels it names.
void BM_NewStation(benchmark::State& state) {
  Map& m = map();
  m.view.showArea(kBoston, kScales[2]);
  m.paintAll();
  std::mt19937 random(21);
  std::normal_distribution<double> spread(0.0, 0.5);
  int number = kStations;
  double area = 0.0;
  for (auto _ : state) {
    StationEntry e = station(random, number++);
    e.latitudeDeg = kBoston.latitudeDeg + spread(random);
    e.longitudeDeg = kBoston.longitudeDeg + spread(random);
    const Box dirty = m.view.scene().update(e, false);
    const QRect rect = QRectF(QPointF(dirty.left, dirty.top), QPointF(dirty.right, dirty.bottom)).toAlignedRect();
    m.paint(rect.intersected(QRect(0, 0, kWidthPx, kHeightPx)));
    area += static_cast<double>(rect.width()) * rect.height();
  }
  state.counters["repainted_px"] = benchmark::Counter(area, benchmark::Counter::kAvgIterations);
  state.counters["window_px"] = static_cast<double>(kWidthPx) * kHeightPx;
}
BENCHMARK(BM_NewStation)->Unit(benchmark::kMicrosecond);

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
