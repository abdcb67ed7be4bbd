#pragma once
// What the settings dialogs refuse to take, and why. Each check looks at a
// field's text as typed and gives the reason it is refused, in words the
// operator can act on (a line or two, broken where the dialog shows it), or
// nothing when the text is fine. The limits are
// those of what the text is used for: the PHG digits a position report can
// carry, the addresses an AX.25 frame can carry, a TCP port.

#include <optional>
#include <string>
#include <string_view>

namespace tervane {

using Refusal = std::optional<std::string>;

// The number that is the whole text (blanks around it allowed), with the
// decimal point whatever the locale; nothing for anything else, for an
// infinity or NaN, and for empty text.
std::optional<double> wholeNumber(std::string_view text);

Refusal checkLatitude(std::string_view text);
Refusal checkLongitude(std::string_view text);

// The PHG digits: power d*d watts, height 10*2^d feet, gain d dB, direction
// in steps of 45 degrees (0 omni, 8 for 360). A value is refused when it
// would need a digit beyond them; between the steps it takes the digit below
// (the direction the nearest step), as the encoder reads it.
Refusal checkPhgPower(std::string_view text);
Refusal checkPhgHeight(std::string_view text);
Refusal checkPhgGain(std::string_view text);
Refusal checkPhgDirection(std::string_view text);

// The station's callsign: empty (no callsign of its own: APRS-IS only
// listens), or an AX.25 address, 1 to 6 letters and digits with an optional
// SSID 0 to 15.
Refusal checkCallsign(std::string_view text);
// The unproto destination: one AX.25 address.
Refusal checkUnprotoDestination(std::string_view text);
// A digipeater path: AX.25 addresses separated by commas or blanks, at most
// eight; empty for none.
Refusal checkUnprotoPath(std::string_view text);

// An APRS-IS server filter: printable ASCII only, which is all the filter
// language has; anything else would reach the server changed or not at all.
Refusal checkAprsIsFilter(std::string_view text);

// A TCP port, 1 to 65535, typed as a whole number.
Refusal checkTcpPort(std::string_view text);

// The PC beacon's interval in minutes: 0 (no PC beacon) or more, and small
// enough to be stored.
Refusal checkBeaconMinutes(std::string_view text);
// A satellite's beacon interval or lead time in minutes: 0 or more, and
// small enough for tens of seconds. Empty counts as 0: the dialog clears
// the boxes itself.
Refusal checkPassMinutes(std::string_view text);

}  // namespace tervane
