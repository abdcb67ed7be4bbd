// The IGate's share of the packet path per packet heard: the monitor line
// read into a packet, the RF-to-APRS-IS decision (with its 30-second
// duplicate check) and the note of who was heard on RF. 20,000 stations send
// in turn, one packet every 2 ms of made-up time, so each is gated and the
// duplicate window holds 15,000 packets, as on a busy channel. Items per
// second are packets; "gated" is the share that went up.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aprs/packet.h"
#include "igate/igate_rules.h"
#include "igate/packet_router.h"

namespace {

std::vector<std::string> busyChannel() {
  std::vector<std::string> lines;
  for (int station = 0; station < 20000; ++station) {
    std::string call = "K";
    call += std::to_string(station / 2000);
    call += "A";
    call += static_cast<char>('A' + station / 100 % 26);
    call += static_cast<char>('A' + station % 26);
    call += "-" + std::to_string(station % 16);
    const std::string n = std::to_string(10 + station % 60);
    switch (station % 5) {
      case 0: lines.push_back(call + ">APRS,WIDE1-1,WIDE2-1:!4237." + n + "N/07120.83W>PHG5130/mobile"); break;
      case 1: lines.push_back(call + ">TRQT9U,W1ABC-1*,WIDE2-1:`c\\i!;-v/]\"4T}=" + n); break;
      case 2: lines.push_back(call + ">APDR16,W1ABC-1*,WIDE1*,WIDE2-1:=\\9/(u<Qpa#{?!" + n); break;
      case 3: lines.push_back(call + ">APRS,WIDE2-2::KB1XYZ-7 :See you on the net{" + n); break;
      default: lines.push_back(call + ">APN391,WIDE2-1:;LEADER   *121431z4210." + n + "N/07111.35WB"); break;
    }
  }
  return lines;
}

void BM_RfPacketThroughTheGate(benchmark::State& state) {
  const std::vector<std::string> lines = busyChannel();
  tervane::RfToIsGate up("N0GATE-10", {"N0GATE", "N0GATE-10"});
  tervane::IsToRfGate down("N0GATE-10", {tervane::PathEntry{"WIDE1-1", false}});
  std::size_t i = 0;
  std::int64_t ms = 0;
  std::int64_t gated = 0;
  for (auto _ : state) {
    const std::optional<tervane::Packet> p = tervane::readMonitorLine(lines[i]);
    if (p) {
      down.heardOnRf(*p, ms / 1000);
      gated += up.decide(*p, ms / 1000).gate ? 1 : 0;
    }
    i = (i + 1) % lines.size();
    ms += 2;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["gated"] = static_cast<double>(gated) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RfPacketThroughTheGate);

// The whole packet path of two links with the IGate on: each line read into
// a packet, checked against what the other link brought in the last 30
// seconds, marked with how it was heard, and decided on by the gate in its
// direction; what is gated is queued for the link that sends it, and the
// queues are emptied as the links' workers would. Every fourth packet comes
// on APRS-IS, and every tenth is a copy of one the other link brought.
void BM_PacketPathTwoLinksWithIgate(benchmark::State& state) {
  const std::vector<std::string> lines = busyChannel();
  tervane::PacketRouter router;
  tervane::OutboundQueue toIs;
  tervane::OutboundQueue toRf;
  tervane::PacketRouter::IgateSetup setup;
  setup.login = "N0GATE-10";
  setup.ownCalls = {"N0GATE"};
  setup.rfPath = {tervane::PathEntry{"WIDE1-1", false}};
  setup.toIs = [&toIs](tervane::Outbound item) {
    toIs.post(std::move(item));
    return true;
  };
  setup.toRf = [&toRf](tervane::Outbound item) {
    toRf.post(std::move(item));
    return true;
  };
  router.setIgate(std::move(setup));
  std::size_t i = 0;
  std::int64_t ms = 0;
  std::int64_t shown = 0;
  for (auto _ : state) {
    const bool fromIs = i % 4 == 3;
    const std::size_t line = i % 10 == 9 ? (i + lines.size() - 1) % lines.size() : i;
    const tervane::Reception r = router.received(fromIs ? 1 : 0, !fromIs, lines[line], ms / 1000);
    shown += r.duplicate ? 0 : 1;
    if (i % 64 == 0) {
      while (toIs.take()) {
      }
      while (toRf.take()) {
      }
    }
    i = (i + 1) % lines.size();
    ms += 2;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["shown"] = static_cast<double>(shown) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PacketPathTwoLinksWithIgate);

}  // namespace
