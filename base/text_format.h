#pragma once
// Number reading and printing shared by every subsystem: the leading-number
// rule the settings dialogs use, printf-style formatting into std::string,
// the position display and hemisphere letters, and line ends.

#include <cstddef>
#include <string>
#include <string_view>

namespace tervane {

// printf into a std::string of any length, numbers always with a decimal
// point whatever the process locale. The format must be a literal of the
// program's own; received text is only ever passed as an argument.
std::string textf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The decimal number at the start of the text, as strtod reads it (leading
// blanks skipped, reading stops at the first character that cannot continue
// the number); text that does not begin with a number gives 0. The decimal
// separator is always the point, whatever the process locale.
double leadingNumber(std::string_view text);

// The integer at the start of the text, as atoi reads it (0 when none).
long long leadingInteger(std::string_view text);

// 'N' only when the latitude is greater than 0, 'E' only when the longitude is
// greater than 0; exactly 0 counts as south and west.
char latitudeLetter(double latitudeDeg);
char longitudeLetter(double longitudeDeg);

// The text with ASCII letters in upper case (callsigns compare without case).
std::string upperAscii(std::string_view text);

// "%9.6f %c" and "%10.6f %c" of the absolute value and the letter.
std::string latitudeDisplay(double latitudeDeg);
std::string longitudeDisplay(double longitudeDeg);

// The longest start of a UTF-8 text of at most maxBytes bytes that ends
// between characters: a character the limit would halve is left out whole.
constexpr std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t cut = maxBytes;
  const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  for (std::size_t back = 0; back < 3 && cut > 0 && continuation(cut); ++back) --cut;
  return text.substr(0, cut);
}

// The text without the CR and LF bytes that end it.
constexpr std::string_view withoutLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

}  // namespace tervane
