#include "tnc/kiss.h"

namespace tervane {

std::vector<std::uint8_t> kissDataFrame(const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> out;
  out.reserve(payload.size() + payload.size() / 8 + 3);
  out.push_back(kKissFend);
  out.push_back(0x00);
  for (std::uint8_t b : payload) {
    if (b == kKissFend) {
      out.push_back(kKissFesc);
      out.push_back(kKissTfend);
    } else if (b == kKissFesc) {
      out.push_back(kKissFesc);
      out.push_back(kKissTfesc);
    } else {
      out.push_back(b);
    }
  }
  out.push_back(kKissFend);
  return out;
}

}  // namespace tervane
