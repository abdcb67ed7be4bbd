// Monitor stream handling: cutting the TNC's output into lines, decoding
// every line and applying the display mode, as the TNC worker does for each
// read.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aprs/packet_decoder.h"
#include "tnc/line_cutter.h"
#include "tnc/monitor_text.h"

namespace tervane {
namespace {

const std::vector<std::string>& monitorLines() {
  static const std::vector<std::string> lines = {
      "N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>Mobile on Rt 128\r\n",
      "KB1XYZ-9>APRS,WIDE1-1,WIDE2-1:@092345z4215.12N/07105.44W_090/005g010t045\r\n",
      "W1ABC-1>APNU19,WIDE2-1:!4229.50NS07115.72W#PHG7430/W1 digi, Prospect Hill\r\n",
      "KB1XYZ-7>GPSLK,WIDE1-1:$GPRMC,092412,A,4218.772,N,07105.413,W,032.5,274.0,060626,014.8,W*6E\r\n",
      "KA1MNO>APRS,WIDE1-1:}W1PQR>APRS,TCPIP,KA1MNO*:!4301.62N/07055.18W-Igate relay\r\n",
      "K1DEF>APRS,WIDE2-1::KB1XYZ-7 :Are you on the way?{12\r\n",
      "W1YZA>APOT30,WIDE2-1:T#104,138,012,255,073,117,00000000\r\n",
      "cmd:N1HIJ>APRS,W1ABC-1*,WIDE2:/092415h4203.85N/07033.61W-Home QTH\r\n",
  };
  return lines;
}

void BM_MonitorStream(benchmark::State& state) {
  const auto mode = static_cast<DisplayMode>(state.range(0));
  std::string stream;
  for (int i = 0; i < 64; ++i) stream += monitorLines()[static_cast<std::size_t>(i) % monitorLines().size()];
  FixedClock clock(1796621563);
  PacketDecoder decoder(clock);
  FilterStrings filters{};
  filters[0] = "WIDE1";
  filters[1] = "TCPIP";
  LineCutter cutter;
  std::size_t lines = 0;
  std::size_t shownBytes = 0;
  for (auto _ : state) {
    cutter.feed(stream, [&](std::string_view line) {
      decoder.beginLine(line);
      decoder.decode();
      const auto shown = applyDisplayMode(mode, filters, line);
      if (shown) shownBytes += shown->size();
      ++lines;
    });
  }
  benchmark::DoNotOptimize(shownBytes);
  state.SetItemsProcessed(static_cast<std::int64_t>(lines));
  state.SetBytesProcessed(static_cast<std::int64_t>(stream.size() * state.iterations()));
}
BENCHMARK(BM_MonitorStream)->Arg(0)->Arg(1)->Arg(2)->ArgName("mode");

}  // namespace
}  // namespace tervane
