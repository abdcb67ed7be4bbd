// Decoding speed over a mix of monitor lines as a busy APRS channel delivers
// them: plain positions with and without time stamps, raw NMEA, third-party
// traffic, and the many lines that carry no plain position at all.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aprs/packet_decoder.h"

namespace {

const std::vector<std::string> kMonitorMix = {
    "N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test\r\n",
    "KB1ABC-9>APRS,W1XYZ-1*,WIDE2-1:@092345z4237.14N/07120.83W>088/036/A=000123 mobile\r\n",
    "W1XYZ-1>APN391,WIDE2-1:!4216.47NS07109.17W#PHG5360/W1XYZ digi, Blue Hill\r\n",
    "N1TEST>APU25N,TCPIP*,qAC,T2BOS:=4221.61N/07103.53W-PHG2130/home station {UIV32N}\r\n",
    "K1ABC-10>APMI06,WIDE2-2:@151300z4200.50N/07130.25W_090/004g010t045r000p000P000h65b10132\r\n",
    "N0CALL>APRS,TCPIP*:}VK2ABC-5>APRS,TCPIP,N0CALL*:!3330.00S/15115.00E-Sydney\r\n",
    "N2GPS>GPSLK,WIDE1-1:$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n",
    "N3GPS-7>GPS,WIDE1-1:$GPGGA,235959,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
    "KA1MIC-9>T2SP0W,WIDE1-1,WIDE2-1:`c51!f?>/]\"4f}=Mic-E mobile\r\n",
    "KC1CMP>APRS,WIDE2-1:!/5L!!<*e7> sTComment compressed\r\n",
    "N0CALL>APRS,WIDE2-2::N1TEST   :Hello, are you on the air?{42\r\n",
    "N1TEST>APRS,WIDE2-2::N0CALL   :ack42\r\n",
    "W1STA>APRS,WIDE2-1:>Monitoring 144.390, net tonight 2000 local\r\n",
    "K1WX>APRS,WIDE2-1:T#479,100,048,002,500,000,10000000\r\n",
    "cmd:N0CALL-5>APRS,WIDE1-1:/152230h4237.14N/07120.83W>mobile, HMS stamp\r\n",
    "N1OBJ>APRS,WIDE2-1:;LEADER   *092345z4903.50N/07201.75W>088/036\r\n",
};

void decodeMix(benchmark::State& state, const tervane::Clock& clock) {
  tervane::PacketDecoder decoder(clock);
  for (auto _ : state) {
    for (const std::string& line : kMonitorMix) {
      decoder.beginLine(line);
      decoder.decode();
      benchmark::DoNotOptimize(decoder.entry().positionValid);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMonitorMix.size()));
}

void BM_DecodeMonitorMixFixedClock(benchmark::State& state) {
  const tervane::FixedClock clock(1718452800);  // 2024-06-15 12:00:00 UTC
  decodeMix(state, clock);
}
BENCHMARK(BM_DecodeMonitorMixFixedClock);

void BM_DecodeMonitorMixSystemClock(benchmark::State& state) {
  const tervane::SystemClock clock;
  decodeMix(state, clock);
}
BENCHMARK(BM_DecodeMonitorMixSystemClock);

}  // namespace
