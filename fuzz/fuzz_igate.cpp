// The packet router with the IGate on, on whatever two links bring: the
// input is cut into lines, which arrive in turn on a radio link and on an
// APRS-IS link, a second apart. Checks what the gate hands on: an upload is
// one line of at most the longest AX.25 packet's size plus its q construct,
// with the gate's login after qAR and no line end inside; a packet for the
// radio is a third-party information field that fits AX.25, whose inner
// header carries TCPIP and the gate; and never more than 6 go to the radio
// in any minute.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "igate/packet_router.h"

namespace {

constexpr const char* kLogin = "K1TVA-10";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = tervane::fuzz::bytesView(data, size);
  std::vector<tervane::Outbound> up;
  std::vector<tervane::Outbound> down;
  std::deque<std::int64_t> downTimes;
  std::int64_t now = 1700000000;
  tervane::PacketRouter router;
  tervane::PacketRouter::IgateSetup setup;
  setup.login = kLogin;
  setup.rfPath = {tervane::PathEntry{"WIDE1-1", false}};
  setup.toIs = [&](tervane::Outbound item) {
    up.push_back(std::move(item));
    return true;
  };
  setup.toRf = [&](tervane::Outbound item) {
    down.push_back(std::move(item));
    downTimes.push_back(now);
    return true;
  };
  router.setIgate(std::move(setup));

  std::size_t start = 0;
  int n = 0;
  while (start <= input.size()) {
    const std::size_t end = input.find('\n', start);
    const std::string_view line = input.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    router.received(n % 2, n % 2 == 0, line, now);
    ++n;
    now += 1;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }

  for (const tervane::Outbound& item : up) {
    TERVANE_FUZZ_CHECK(item.kind == tervane::Outbound::Kind::GatedToIs);
    TERVANE_FUZZ_CHECK(item.text.find_first_of("\r\n") == std::string::npos);
    TERVANE_FUZZ_CHECK(item.text.find(std::string(",qAR,") + kLogin + ":") != std::string::npos);
  }
  for (const tervane::Outbound& item : down) {
    TERVANE_FUZZ_CHECK(item.kind == tervane::Outbound::Kind::GatedToRf);
    TERVANE_FUZZ_CHECK(item.text.size() <= tervane::kGateLongestInfo && !item.text.empty() && item.text[0] == '}');
    TERVANE_FUZZ_CHECK(item.text.find(std::string(",TCPIP,") + kLogin + "*:") != std::string::npos);
    TERVANE_FUZZ_CHECK(item.path == "WIDE1-1");
  }
  for (std::size_t i = 0; i < downTimes.size(); ++i) {
    std::size_t inMinute = 0;
    for (std::size_t j = i; j < downTimes.size() && downTimes[j] < downTimes[i] + 60; ++j) ++inMinute;
    TERVANE_FUZZ_CHECK(inMinute <= 6);
  }
  return 0;
}
