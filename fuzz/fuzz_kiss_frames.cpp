// A KISS TNC's byte stream: frames cut from the input in one piece and in
// small reads give the same frames; every payload is no longer than an AX.25
// frame may be; every UI frame read from one has a well-formed monitor line
// (one line, no zero byte) and encodes back to the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tnc/ax25.h"
#include "tnc/kiss.h"

namespace {

using namespace tervane;

std::vector<std::string> cut(const std::uint8_t* data, std::size_t size, std::size_t step) {
  KissDeframer deframer;
  std::vector<std::string> frames;
  for (std::size_t at = 0; at < size; at += step) {
    deframer.feed(data + at, std::min(step, size - at),
                  [&frames](int port, std::string_view payload) {
                    TERVANE_FUZZ_CHECK(port >= 0 && port <= 15);
                    frames.emplace_back(payload);
                  });
  }
  return frames;
}

void checkFrame(const std::string& payload) {
  TERVANE_FUZZ_CHECK(payload.size() <= kAx25MaxFrameBytes);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(payload.data());
  const std::optional<Ax25UiFrame> frame = readUiFrame(bytes, payload.size());
  if (!frame) return;
  const std::string line = monitorLine(*frame);
  TERVANE_FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
  TERVANE_FUZZ_CHECK(frame->digipeaters.size() <= kAx25MaxDigipeaters);
  const std::vector<std::uint8_t> again = encodeUiFrame(*frame);
  // Only the C bits of destination and source, and the reserved bits, may differ.
  TERVANE_FUZZ_CHECK(again.size() == payload.size());
  const std::optional<Ax25UiFrame> reread = readUiFrame(again.data(), again.size());
  TERVANE_FUZZ_CHECK(reread && monitorLine(*reread) == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> whole = cut(data, size, size == 0 ? 1 : size);
  TERVANE_FUZZ_CHECK(cut(data, size, 3) == whole);
  for (const std::string& payload : whole) checkFrame(payload);
  return 0;
}
