// Decoding speed over monitor lines shaped like today's APRS air: about 35 %
// Mic-E (radios of every make, with and without altitude, device codes and
// the precision extension), 25 % compressed positions (course/speed, range,
// altitude, with and without time stamps), 30 % plain positions, and 10 %
// objects, items, NMEA and status. Items per second are lines per second.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aprs/packet_decoder.h"

namespace {

const std::vector<std::string> kTodaysAir = {
    "KB1ABC-9>TRQT9U,WIDE1-1,WIDE2-1:`c\\i!;-v/]\"4T}=\r\n",
    "W1XYZ-7>TQUW8X,W1ABC-1*,WIDE2-1:`bF?o;2j/>\"4V}Listening 146.52^\r\n",
    "N1QRS-9>TRPX2X,WIDE2-2:`c+l 3Fk/`\"4U}_%\r\n",
    "KC1DEF-5>TRTS2X,W1ABC-1*,WIDE1*,WIDE2-1:`bUKl1)[/\r\n",
    "AB1GH-9>TRPY7W,N1XYZ-3*,WIDE2*:'bC\x7f" "l<Bv/]\"5#}Commuting to work=\r\n",
    "K1JKL-7>TRRV3T,WIDE1-1,WIDE2-1:`bOCnmWu/`\"4S}TH-D tracker_)\r\n",
    "W1MNO-14>TRQP0P,W1ABC-1*,WIDE2-1:`bJ= FRv/\r\n",
    "KA1PQR-9>TRRR4P,WIDE2-2:`c36od}>/|!/%0'n|!w:X!|3\r\n",
    "N1STU-7>TRQQ1W,W1ABC-1*,WIDE1*,WIDE2-1:`c8Vl\"`u/>\"4T}\r\n",
    "KD1VWX-9>TRPX8W,N1XYZ-3*,WIDE2*:'c4=om[v/]\"3x}Off to the hamfest=\r\n",
    "W1YZA-9>TRQY3W,WIDE1-1,WIDE2-1:`c3f\"&#v/`\"52}_(\r\n",
    "KB1BCD-7>TRSX0T,W1ABC-1*,WIDE2-1:`c\\'\"#V>/\r\n",
    "N1EFG-9>TRQY4P,WIDE2-2:`bTn\"=@>/]\"4f}=\r\n",
    "K1HIJ-9>TRTT0W,W1ABC-1*,WIDE1*,WIDE2-1:`bO.!'v>/>\r\n",
    "W1CAB-1>APDR16,WIDE1-1,WIDE2-1:!/9&{a<U:z>TQ[Tracker\r\n",
    "W1CBC-2>APDR16,W1ABC-1*,WIDE2-1:=\\9/(u<Qpa#{?!\r\n",
    "W1CCD-3>APDR16,WIDE2-2:@092345z/8rgk<X,C-HkSAPRSdroid\r\n",
    "W1CDE-4>APDR16,W1ABC-1*,WIDE1*,WIDE2-1:/151230hI8w<!<Ge<&  [/A=000450 Mobile\r\n",
    "W1CEF-5>APDR16,N1XYZ-3*,WIDE2*:!/9/&s<VDq>f>[Digi on the hill\r\n",
    "W1CFG-6>APDR16,WIDE1-1,WIDE2-1:=\\91r6<O25#{?!\r\n",
    "W1CGH-7>APDR16,W1ABC-1*,WIDE2-1:@092345z/99,E<YOg-IISigate 144.390\r\n",
    "W1CHI-8>APDR16,WIDE2-2:/151230hI9!TM<[eS&  [Home\r\n",
    "W1CIJ-9>APDR16,W1ABC-1*,WIDE1*,WIDE2-1:!/8y^?<I[Q>rS[\r\n",
    "W1CJK-10>APDR16,N1XYZ-3*,WIDE2*:=\\91Hs<J4h#{?!Bike ride\r\n",
    "N1PLN>APRS,WIDE2-1:!4221.61N/07103.53W-PHG2360/Home station, Cambridge\r\n",
    "W1PLN-9>APOTC1,W1ABC-1*,WIDE2-1:/092345z4218.77N/07105.41W>274/032/A=000150 OpenTracker\r\n",
    "KC1PLN>APU25N,WIDE2-2:=4225.31N/07103.47W_220/004g005t058r000p012P010h71b10142\r\n",
    "W1DIG-1>APNU19,WIDE2-1:!4229.50NS07115.72W#PHG7430/W1 digi, Prospect Hill\r\n",
    "N1HOM>APRS,W1ABC-1*,WIDE2:@092415z4203.85N/07033.61W-Home QTH, Plymouth\r\n",
    "K1RPT-5>APRS,WIDE2-1:!4152.33N/07124.90WrRepeater 147.225+ PL 146.2\r\n",
    "KA1WX>APTW01,WIDE1-1,WIDE2-1:@070923z4225.31N/07103.47W_220/004g005t058r000p012P010h71b10142\r\n",
    "N1MOB-9>APDR15,WIDE1-1,WIDE2-1:=4220.40N/07105.10W$ APRSdroid test\r\n",
    "W1IGT-10>APRS,TCPIP*:!4245.12NI07107.86W&Igate Malden\r\n",
    "KB1CMT-7>APRS,W1ABC-1*,WIDE2-1:@070924z4239.02N/07156.44W>087/045/A=000731 Commuting\r\n",
    "N1SAT>APRS,WIDE2-1:=4219.20N/07104.55W`Satellite station, AO-91 ops\r\n",
    "W1CMP>APRS,WIDE2-1:!4240.50N/07109.33W-Home\r\n",
    "N1NET>APRS,WIDE2-1:;NETCTL   *092345z4221.60N/07103.60Wn147.000MHz net control\r\n",
    "KB1GPS-9>GPSLK,WIDE1-1,WIDE2-1:$GPRMC,092412,A,4218.772,N,07105.413,W,032.5,274.0,060626,014.6,W*70\r\n",
    "W1STS>APRS,WIDE2-1:>Monitoring 144.390, net tonight 2000 local\r\n",
    "N1EVT>APRS,WIDE2-1:)AID#2!4221.80N/07103.90W!First aid tent\r\n",
};

void decodeMix(benchmark::State& state, const tervane::Clock& clock) {
  tervane::PacketDecoder decoder(clock);
  for (auto _ : state) {
    for (const std::string& line : kTodaysAir) {
      decoder.beginLine(line);
      decoder.decode();
      benchmark::DoNotOptimize(decoder.entry().positionValid);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTodaysAir.size()));
}

void BM_DecodeTodaysAirFixedClock(benchmark::State& state) {
  const tervane::FixedClock clock(1718452800);  // 2024-06-15 12:00:00 UTC
  decodeMix(state, clock);
}
BENCHMARK(BM_DecodeTodaysAirFixedClock);

void BM_DecodeTodaysAirSystemClock(benchmark::State& state) {
  const tervane::SystemClock clock;
  decodeMix(state, clock);
}
BENCHMARK(BM_DecodeTodaysAirSystemClock);

}  // namespace
