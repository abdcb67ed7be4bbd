#include "base/text_format.h"

#include <locale.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace tervane {

namespace {

// Numbers in settings, in texts for the TNC and on the air always carry a
// decimal point. The window toolkit adopts the operator's locale, whose
// decimal separator may be a comma, so every number is printed and read in
// the "C" locale, switched on for the calling thread alone.
locale_t cLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

class CNumbersOnThisThread {
 public:
  CNumbersOnThisThread() : previous_(uselocale(cLocale())) {}
  ~CNumbersOnThisThread() { uselocale(previous_); }
  CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
  CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

std::string textf(const char* format, ...) {
  const CNumbersOnThisThread numbers;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (needed > 0) {
    out.resize(static_cast<std::size_t>(needed));
    std::vsnprintf(out.data(), out.size() + 1, format, again);
  }
  va_end(again);
  return out;
}

double leadingNumber(std::string_view text) {
  const std::string copy(text);  // strtod needs a terminator
  return strtod_l(copy.c_str(), nullptr, cLocale());
}

long long leadingInteger(std::string_view text) {
  const std::string copy(text);
  return std::strtoll(copy.c_str(), nullptr, 10);
}

char latitudeLetter(double latitudeDeg) { return latitudeDeg > 0 ? 'N' : 'S'; }
char longitudeLetter(double longitudeDeg) { return longitudeDeg > 0 ? 'E' : 'W'; }

std::string upperAscii(std::string_view text) {
  std::string u(text);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

std::string latitudeDisplay(double latitudeDeg) {
  return textf("%9.6f %c", std::fabs(latitudeDeg), latitudeLetter(latitudeDeg));
}

std::string longitudeDisplay(double longitudeDeg) {
  return textf("%10.6f %c", std::fabs(longitudeDeg), longitudeLetter(longitudeDeg));
}

}  // namespace tervane
