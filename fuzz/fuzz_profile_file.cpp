// The settings file text: reading, writing and reading again gives the same
// entries (sections, names, kinds and values), and the settings record loads
// from whatever entries were read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/profile_file.h"
#include "base/profile_store.h"
#include "base/station_settings.h"
#include "fuzz/fuzz_support.h"

using namespace tervane;

namespace {

bool sameEntries(const std::vector<ProfileEntry>& a, const std::vector<ProfileEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].section != b[i].section || a[i].name != b[i].name || a[i].value != b[i].value) return false;
  }
  return true;
}

template <std::size_t N, std::size_t M>
bool allWellFormed(const std::array<FixedText<N>, M>& texts) {
  for (const auto& t : texts) {
    if (!fuzz::wellFormed(t)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<ProfileEntry> entries = parseProfileText(fuzz::bytesView(data, size));
  for (const ProfileEntry& e : entries) TERVANE_FUZZ_CHECK(!e.name.empty());
  const std::string written = formatProfileText(entries);
  const std::vector<ProfileEntry> reread = parseProfileText(written);
  TERVANE_FUZZ_CHECK(sameEntries(entries, reread));
  TERVANE_FUZZ_CHECK(formatProfileText(reread) == written);

  MemoryProfileStore store;
  for (const ProfileEntry& e : entries) {
    if (const int* number = std::get_if<int>(&e.value)) {
      store.writeInt(e.section, e.name, *number);
    } else {
      store.writeText(e.section, e.name, std::get<std::string>(e.value));
    }
  }
  StationSettings settings;
  settings.load(store);
  TERVANE_FUZZ_CHECK(fuzz::wellFormed(settings.callsign) && fuzz::wellFormed(settings.latitude) &&
                     fuzz::wellFormed(settings.longitude) && fuzz::wellFormed(settings.beaconInterval) &&
                     fuzz::wellFormed(settings.unproto) && fuzz::wellFormed(settings.unprotoVia) &&
                     fuzz::wellFormed(settings.message) && fuzz::wellFormed(settings.phg) &&
                     fuzz::wellFormed(settings.textFilePath) && fuzz::wellFormed(settings.kepFileName));
  TERVANE_FUZZ_CHECK(allWellFormed(settings.satelliteUnprotoVia) && allWellFormed(settings.filterString) &&
                     allWellFormed(settings.nickname) && allWellFormed(settings.address));

  // The last text entry named callsign (in any case) in the settings section
  // is the one loaded, cut like a 32-byte zero-terminated field.
  std::string callsign;
  for (const ProfileEntry& e : entries) {
    if (e.section != kSettingsSection || foldEntryName(e.name) != "callsign") continue;
    const std::string* text = std::get_if<std::string>(&e.value);
    callsign = text ? *text : std::string();
  }
  const FixedText<32> expected(callsign);
  TERVANE_FUZZ_CHECK(settings.callsign.view() == expected.view());
  return 0;
}
