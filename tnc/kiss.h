#pragma once
// KISS framing between the program and a KISS TNC (a hardware TNC in KISS
// mode, Dire Wolf over TCP or its pseudo-terminal): FEND (0xC0) delimits a
// frame, FESC (0xDB) escapes FEND and FESC inside it as FESC TFEND and
// FESC TFESC. The first byte of a frame names the TNC port (high nibble)
// and the command (low nibble); command 0 carries an AX.25 frame.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tnc/ax25.h"

namespace tervane {

inline constexpr std::uint8_t kKissFend = 0xC0;
inline constexpr std::uint8_t kKissFesc = 0xDB;
inline constexpr std::uint8_t kKissTfend = 0xDC;
inline constexpr std::uint8_t kKissTfesc = 0xDD;

// Collects frames from the bytes a KISS TNC sends. Data frames whose payload
// is longer than an AX.25 frame may be, frames with a broken escape, and
// bytes outside frames are dropped; the next frame is never lost with them.
class KissDeframer {
 public:
  // Calls onFrame(port, payload) for every complete data frame, in order.
  template <typename OnFrame>
  void feed(const std::uint8_t* data, std::size_t size, OnFrame&& onFrame);

 private:
  enum class State { Outside, Inside, Escape, Discard };
  std::vector<std::uint8_t> frame_;  // the type byte and the payload so far
  State state_ = State::Outside;
};

// One data frame for TNC port 0: FEND, command byte 0, the escaped payload, FEND.
std::vector<std::uint8_t> kissDataFrame(const std::vector<std::uint8_t>& payload);

template <typename OnFrame>
void KissDeframer::feed(const std::uint8_t* data, std::size_t size, OnFrame&& onFrame) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    if (b == kKissFend) {
      // A frame may also begin without its leading FEND: what came since the
      // last FEND is taken as a frame and stands or falls by its contents.
      if ((state_ == State::Inside || state_ == State::Outside) && frame_.size() > 1 && (frame_[0] & 0x0F) == 0) {
        onFrame(frame_[0] >> 4, std::string_view(reinterpret_cast<const char*>(frame_.data() + 1), frame_.size() - 1));
      }
      frame_.clear();
      state_ = State::Inside;
      continue;
    }
    if (state_ == State::Discard) continue;
    if (state_ == State::Escape) {
      if (b != kKissTfend && b != kKissTfesc) {
        state_ = State::Discard;
        continue;
      }
      frame_.push_back(b == kKissTfend ? kKissFend : kKissFesc);
      state_ = State::Inside;
    } else if (b == kKissFesc) {
      state_ = State::Escape;
      continue;
    } else {
      frame_.push_back(b);
    }
    if (frame_.size() > 1 + kAx25MaxFrameBytes) {
      frame_.clear();
      state_ = State::Discard;
    }
  }
}

}  // namespace tervane
