#pragma once
// A zero-terminated text of fixed capacity, as the settings record and the
// station entries hold them. The capacity counts the terminator, so a
// FixedText<32> keeps at most 31 characters; longer texts are cut, never
// overrun.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tervane {

template <std::size_t Capacity>
class FixedText {
  static_assert(Capacity >= 1, "room for the terminator is needed");

 public:
  static constexpr std::size_t kCapacity = Capacity;
  static constexpr std::size_t kMaxLength = Capacity - 1;

  FixedText() { data_[0] = '\0'; }
  FixedText(std::string_view text) { assign(text); }  // NOLINT: implicit like a string
  FixedText(const char* text) { assign(text ? std::string_view(text) : std::string_view()); }  // NOLINT

  // Copies at most Capacity - 1 characters and stops at an embedded zero byte,
  // as a zero-terminated copy would.
  void assign(std::string_view text) {
    std::size_t n = std::min(text.size(), kMaxLength);
    if (n == 0) {
      clear();
      return;
    }
    const void* zero = std::memchr(text.data(), '\0', n);
    if (zero != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(zero) - text.data());
    std::memcpy(data_, text.data(), n);
    data_[n] = '\0';
    length_ = n;
  }
  FixedText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }
  FixedText& operator=(const char* text) {
    assign(text ? std::string_view(text) : std::string_view());
    return *this;
  }

  void clear() {
    data_[0] = '\0';
    length_ = 0;
  }
  const char* c_str() const { return data_; }
  std::string_view view() const { return std::string_view(data_, length_); }
  std::string str() const { return std::string(data_, length_); }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  operator std::string_view() const { return view(); }  // NOLINT: reads like a string

  // Byte-wise comparisons with any text (another FixedText, a string, a literal).
  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
  friend auto operator<=>(const FixedText& a, std::string_view b) { return a.view() <=> b; }

 private:
  char data_[Capacity];
  std::size_t length_ = 0;
};

}  // namespace tervane
