// The Filter Strings dialog's text: whatever is typed, the slots it reads
// into must come back unchanged when the dialog shows them again and the
// shown text is read once more.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tnc/monitor_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tervane;
  const FilterStrings parsed = parseFilterText(fuzz::bytesView(data, size));
  for (const auto& slot : parsed) TERVANE_FUZZ_CHECK(fuzz::wellFormed(slot));

  const std::string shown = formatFilterText(parsed);
  TERVANE_FUZZ_CHECK(shown.size() <= kFilterSlots * (FixedText<32>::kMaxLength + 2));
  const FilterStrings again = parseFilterText(shown);
  for (std::size_t i = 0; i < parsed.size(); ++i) TERVANE_FUZZ_CHECK(again[i] == parsed[i].view());
  return 0;
}
