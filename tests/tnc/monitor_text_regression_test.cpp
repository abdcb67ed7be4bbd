// Inputs found by fuzzing the filter-text round trip, kept as regression
// cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tnc/monitor_text.h"

namespace tervane {
namespace {

using namespace std::string_literals;

TEST(FilterTextRegression, ZeroByteEndsTheText) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> slots;  // the leading slots; the rest are empty
  };
  const Row rows[] = {
      // A zero byte at the start of a line used to leave an empty slot in the
      // middle of the table, which the dialog's own text could not give back.
      {"fuzz finding: zero bytes at a line start", "W\xff\xff\xff\xff\xff\xff\r\0\0\0\0\n\r\n>AS\r\n"s,
       {"W\xff\xff\xff\xff\xff\xff"}},
      {"a zero byte mid-line ends the last slot", "WIDE\r\nN0\0CALL\r\nAPRS"s, {"WIDE", "N0"}},
      {"a zero byte first leaves every slot empty", "\0WIDE\r\nAPRS"s, {}},
      {"text without zero bytes reads as before", "WIDE\r\n\r\nAPRS"s, {"WIDE", "APRS"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const FilterStrings slots = parseFilterText(r.text);
    for (std::size_t i = 0; i < slots.size(); ++i) {
      EXPECT_EQ(slots[i].str(), i < r.slots.size() ? r.slots[i] : "") << "slot " << i;
    }
    // What the dialog shows of the table reads back into the same table.
    const FilterStrings again = parseFilterText(formatFilterText(slots));
    for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(again[i].str(), slots[i].str()) << "slot " << i;
  }
}

}  // namespace
}  // namespace tervane
