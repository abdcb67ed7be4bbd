#pragma once
// Cuts the TNC's output into monitor lines. The TNC ends every line with two
// line-end bytes (CR LF, LF CR, CR CR or LF LF); a lone CR or LF between two
// texts does not end a line. Bytes without a line end wait in the receive
// buffer for the next read; more than 1008 of them are discarded.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tervane {

class LineCutter {
 public:
  static constexpr std::size_t kBufferSize = 1024;
  static constexpr std::size_t kReadSize = 16;

  // Makes room for one read: when fewer than kReadSize bytes are free the
  // pending bytes are discarded. Returns where the next read goes.
  std::uint8_t* prepareRead();
  std::size_t freeBytes() const { return kBufferSize - count_; }

  // Takes n bytes that a read put at prepareRead()'s address and calls
  // onLine(std::string_view) for every line they complete, in order. A line
  // keeps its two end bytes; its text ends at a zero byte, the end bytes
  // following right after it. Lines of at most two characters hold no text
  // and are dropped.
  template <typename OnLine>
  void commit(std::size_t n, OnLine&& onLine);

  // Convenience for tests and simulators: copies the bytes in, 16 at a time
  // as the worker reads them.
  template <typename OnLine>
  void feed(std::string_view bytes, OnLine&& onLine) {
    while (!bytes.empty()) {
      std::uint8_t* at = prepareRead();
      const std::size_t n = std::min(bytes.size(), kReadSize);
      std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), at);
      commit(n, onLine);
      bytes.remove_prefix(n);
    }
  }

  std::size_t pending() const { return count_; }
  void reset();

 private:
  static bool isLineEnd(std::uint8_t b) { return b == '\r' || b == '\n'; }
  // Cuts the next complete line into line_; false when none is complete.
  bool cutOne(std::size_t* scanFrom, std::string_view* line);

  std::array<std::uint8_t, kBufferSize> buffer_{};
  std::size_t count_ = 0;
  std::array<char, kBufferSize + 1> line_{};
};

template <typename OnLine>
void LineCutter::commit(std::size_t n, OnLine&& onLine) {
  count_ += std::min(n, kBufferSize - count_);
  std::size_t scanFrom = 1;
  std::string_view line;
  while (cutOne(&scanFrom, &line)) {
    if (line.size() > 2) onLine(line);
  }
}

}  // namespace tervane
