#pragma once
// AX.25 UI frames as KISS carries them (no flags, no FCS): the address field
// (destination, source, up to eight digipeaters), control 0x03 and protocol
// 0xF0, then the information field; and their TNC-2 monitor form
// "SRC>DEST,DIGI1,DIGI2*:information", in which '*' follows the last
// digipeater that has repeated the frame.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

inline constexpr std::size_t kAx25MaxDigipeaters = 8;
inline constexpr std::size_t kAx25MaxInfoBytes = 256;
inline constexpr std::size_t kAx25AddressBytes = 7;
inline constexpr std::size_t kAx25MaxFrameBytes =
    (2 + kAx25MaxDigipeaters) * kAx25AddressBytes + 2 + kAx25MaxInfoBytes;

struct Ax25Address {
  std::string call;  // 1 to 6 upper-case letters and digits
  int ssid = 0;      // 0 to 15
  bool repeated = false;  // the has-been-repeated bit of a digipeater
};

struct Ax25UiFrame {
  Ax25Address destination;
  Ax25Address source;
  std::vector<Ax25Address> digipeaters;
  std::string information;
};

// Reads a UI frame; nothing for any other kind of frame (control or protocol
// byte not 0x03/0xF0), a malformed address field, more than eight
// digipeaters or an information field longer than 256 bytes.
std::optional<Ax25UiFrame> readUiFrame(const std::uint8_t* data, std::size_t size);

// The monitor line, without line end. Line-end bytes inside the information
// field become blanks and a zero byte ends it, so that one frame is always
// one line; line ends at its end are dropped.
std::string monitorLine(const Ax25UiFrame& frame);

// "N0CALL-9" as an address; nothing when it is not a valid AX.25 address
// (letters are taken in either case).
std::optional<Ax25Address> parseAx25Address(std::string_view text);

// The digipeater path of a TNC's "UNPROTO ... VIA" text: addresses
// separated by commas or blanks ("RELAY, WIDE", "WIDE1-1,WIDE2-1"). Nothing
// when one of them is no valid address or there are more than eight.
std::optional<std::vector<Ax25Address>> parseAx25Path(std::string_view text);

// The frame's bytes; the information field is cut to 256 bytes.
std::vector<std::uint8_t> encodeUiFrame(const Ax25UiFrame& frame);

}  // namespace tervane
