// The TNC receive path: the input arrives in reads of 1 to 16 bytes (the
// read sizes are taken from the end of the input), the line cutter cuts it
// into monitor lines, and every line goes through the packet decoder, the
// time tag and the three display modes with several sets of filter strings.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "aprs/packet_decoder.h"
#include "fuzz/fuzz_support.h"
#include "platform/clock.h"
#include "tnc/line_cutter.h"
#include "tnc/monitor_text.h"

namespace {

using namespace tervane;

// 2023-12-31 23:59:50 UTC; every line moves the clock on by 7 seconds, so
// the reception stamp changes and the date rolls over into a new year.
constexpr std::int64_t kStartUnix = 1704067190;
constexpr std::int64_t kSecondsPerLine = 7;

FilterStrings filtersOf(std::initializer_list<std::string_view> texts) {
  FilterStrings filters{};
  std::size_t slot = 0;
  for (const std::string_view text : texts) filters[slot++] = text;
  return filters;
}

const std::array<FilterStrings, 4>& filterSets() {
  static const std::array<FilterStrings, 4> sets = {
      FilterStrings{},
      filtersOf({"WIDE", "", "N0CALL"}),
      filtersOf({"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "\r\n"}),
      filtersOf({"0123456789012345678901234567890", "/", ">", " ", "]", "2"}),
  };
  return sets;
}

void checkDisplay(std::string_view line) {
  for (const FilterStrings& filters : filterSets()) {
    const bool matched = matchesFilter(filters, line);
    const auto full = applyDisplayMode(DisplayMode::FullText, filters, line);
    TERVANE_FUZZ_CHECK(full && *full == line);
    const auto marked = applyDisplayMode(DisplayMode::Highlight, filters, line);
    TERVANE_FUZZ_CHECK(marked && marked->size() == line.size() + (matched ? 3 : 4));
    TERVANE_FUZZ_CHECK(std::string_view(*marked).substr(marked->size() - line.size()) == line);
    const auto filtered = applyDisplayMode(DisplayMode::Filter, filters, line);
    TERVANE_FUZZ_CHECK(filtered.has_value() == matched);
    if (filtered) TERVANE_FUZZ_CHECK(*filtered == line);
  }
}

// Cuts the bytes in reads of the given sizes (16 when none are given);
// true when no read had to discard pending bytes.
template <typename NextSize, typename OnLine>
bool cutAll(std::string_view bytes, NextSize&& nextSize, OnLine&& onLine) {
  LineCutter cutter;
  bool kept = true;
  while (!bytes.empty()) {
    const std::size_t n = std::min(bytes.size(), nextSize());
    if (cutter.pending() > LineCutter::kBufferSize - LineCutter::kReadSize) kept = false;
    std::uint8_t* at = cutter.prepareRead();
    TERVANE_FUZZ_CHECK(cutter.freeBytes() >= LineCutter::kReadSize);
    std::memcpy(at, bytes.data(), n);
    cutter.commit(n, onLine);
    TERVANE_FUZZ_CHECK(cutter.pending() <= LineCutter::kBufferSize - LineCutter::kReadSize + n);
    bytes.remove_prefix(n);
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  // The read sizes come from the end of the input, the bytes from its start.
  std::vector<std::size_t> readSizes;
  std::size_t streamBytes = 0;
  while (streamBytes < provider.remaining_bytes()) {
    readSizes.push_back(provider.ConsumeIntegralInRange<std::size_t>(1, LineCutter::kReadSize));
    streamBytes += readSizes.back();
  }
  const std::string stream = provider.ConsumeRemainingBytesAsString();

  FixedClock clock(kStartUnix, -5 * 3600);
  PacketDecoder decoder(clock);
  std::vector<std::string> lines;
  std::size_t nextRead = 0;
  const bool keptAll = cutAll(
      stream, [&] { return nextRead < readSizes.size() ? readSizes[nextRead++] : LineCutter::kReadSize; },
      [&](std::string_view line) {
        TERVANE_FUZZ_CHECK(line.size() > 2 && line.size() <= LineCutter::kBufferSize);
        TERVANE_FUZZ_CHECK(line.find('\0') == std::string_view::npos);
        lines.emplace_back(line);
        clock.advance(kSecondsPerLine);
        decoder.beginLine(line);
        decoder.decode();
        fuzz::checkEntry(decoder.entry(), line);

        const std::string tagged = timeTagged(clock.localNow(), line);
        TERVANE_FUZZ_CHECK(tagged.size() > line.size() && std::string_view(tagged).ends_with(line));
        checkDisplay(line);
        checkDisplay(tagged);
      });

  // Unless pending bytes were discarded, the lines do not depend on how the
  // bytes were split into reads.
  std::vector<std::string> wholeReads;
  const bool keptAllWhole = cutAll(
      stream, [] { return LineCutter::kReadSize; }, [&](std::string_view line) { wholeReads.emplace_back(line); });
  if (keptAll && keptAllWhole) TERVANE_FUZZ_CHECK(lines == wholeReads);
  return 0;
}
