#pragma once

// Switches the C library to a locale whose decimal separator is a comma
// (German), as a desktop session under LANG=de_DE.UTF-8 does through the
// window toolkit. The locale is compiled with localedef into a folder of the
// test's own (LOCPATH), so the machine needs no generated locales. Returns
// false, with the reason, when that cannot be done here; the caller skips.

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string>

inline bool useDecimalCommaLocale(std::string* reason) {
  static std::string folder;
  if (folder.empty()) {
    char scratch[] = "/tmp/tervane-locale-XXXXXX";
    if (::mkdtemp(scratch) == nullptr) {
      *reason = "no scratch folder";
      return false;
    }
    folder = scratch;
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      *reason = "localedef could not build de_DE.UTF-8 (is the locales package installed?)";
      return false;
    }
  }
  ::setenv("LOCPATH", folder.c_str(), 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    *reason = "the C library refused the generated de_DE.UTF-8 locale";
    return false;
  }
  if (std::localeconv()->decimal_point[0] != ',') {
    *reason = "de_DE.UTF-8 does not use a decimal comma here";
    return false;
  }
  return true;
}

// Back to the "C" locale the tests otherwise run in.
inline void useCLocale() { std::setlocale(LC_ALL, "C"); }
