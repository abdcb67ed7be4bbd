#include "tnc/line_cutter.h"

#include <cstring>

namespace tervane {

std::uint8_t* LineCutter::prepareRead() {
  if (count_ > kBufferSize - kReadSize) reset();
  return buffer_.data() + count_;
}

void LineCutter::reset() {
  buffer_.fill(0);
  count_ = 0;
}

bool LineCutter::cutOne(std::size_t* scanFrom, std::string_view* line) {
  for (std::size_t i = *scanFrom; i < count_; ++i) {
    if (!isLineEnd(buffer_[i - 1]) || !isLineEnd(buffer_[i])) continue;
    const std::size_t first = isLineEnd(buffer_[0]) ? 1 : 0;
    const std::size_t length = i + 1 - first;
    std::memcpy(line_.data(), buffer_.data() + first, length);
    line_[length] = '\0';
    const std::size_t rest = count_ - i - 1;
    std::memmove(buffer_.data(), buffer_.data() + i + 1, rest);
    std::memset(buffer_.data() + rest, 0, count_ - rest);
    count_ = rest;
    *scanFrom = 1;
    // The line is text up to its first zero byte.
    *line = std::string_view(line_.data(), std::strlen(line_.data()));
    return true;
  }
  *scanFrom = count_;
  return false;
}

}  // namespace tervane
