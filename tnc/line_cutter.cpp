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
    // The line is its text up to the first zero byte, still followed by its
    // own two end bytes, so it stays a line of its own wherever it goes.
    const std::size_t text = std::strlen(line_.data());
    if (text + 2 < length) {
      line_[text] = line_[length - 2];
      line_[text + 1] = line_[length - 1];
      line_[text + 2] = '\0';
      *line = std::string_view(line_.data(), text + 2);
    } else {
      *line = std::string_view(line_.data(), length);
    }
    return true;
  }
  *scanFrom = count_;
  return false;
}

}  // namespace tervane
