#pragma once
// The compressed position of APRS, "/YYYYXXXX$csT": symbol table, latitude
// and longitude in four base-91 digits each, symbol code, then two bytes
// that carry course and speed, a radio range or an altitude, as the
// compression type byte T says.

#include <cstddef>
#include <string_view>

#include "aprs/aprs_fields.h"

namespace tervane {

constexpr std::size_t kCompressedPositionLength = 13;

// The symbol table identifier that starts a compressed position: '/', '\',
// a capital letter, or 'a'..'j' for the overlay digits 0..9.
bool isCompressedSymbolTable(char c);

// Reads the 13 characters at the start of `text`. An overlay digit comes
// back as the digit itself; the hemisphere letters follow the signs ('N' and
// 'E' only above zero).
bool readCompressedPosition(std::string_view text, ReportPosition& position);

}  // namespace tervane
