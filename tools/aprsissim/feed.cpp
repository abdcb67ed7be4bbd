#include "tools/aprsissim/feed.h"

#include <cmath>
#include <cstdlib>

#include "base/text_format.h"
#include "tnc/aprs_is.h"

namespace tervane::aprsissim {

std::string stationCall(int s) {
  std::string call(5, ' ');
  call[0] = static_cast<char>('K' + s / 17576 % 4);
  call[1] = static_cast<char>('0' + s / 17576 / 4 % 10);
  call[2] = static_cast<char>('A' + s / 676 % 26);
  call[3] = static_cast<char>('A' + s / 26 % 26);
  call[4] = static_cast<char>('A' + s % 26);
  return call;
}

namespace {

// DDMM.mm with the hemisphere letter.
std::string latitudeText(double deg) {
  const double a = std::fabs(deg);
  const int d = static_cast<int>(a);
  return textf("%02d%05.2f%c", d, (a - d) * 60.0, deg >= 0 ? 'N' : 'S');
}

std::string longitudeText(double deg) {
  const double a = std::fabs(deg);
  const int d = static_cast<int>(a);
  return textf("%03d%05.2f%c", d, (a - d) * 60.0, deg >= 0 ? 'E' : 'W');
}

}  // namespace

std::string feedLine(std::uint64_t n, const FeedOptions& options) {
  const int station = static_cast<int>(n % static_cast<std::uint64_t>(options.stations));
  const std::string call = stationCall(station);
  // Stations spread over about two degrees around the centre, each moving a little.
  const double lat = options.centreLatitudeDeg + ((station * 37) % 200 - 100) / 100.0 + (n % 7) * 0.0001;
  const double lon = options.centreLongitudeDeg + ((station * 53) % 200 - 100) / 100.0;
  const std::string head = call + ">APRS,TCPIP*,qAC,TERVANE:";
  const std::uint64_t seq = n;
  switch (n % 10) {
    case 0:
      return head + ">status of load line " + textf("%llu", static_cast<unsigned long long>(seq)) + "\r\n";
    case 1:
      return head + textf(";LD%06d *071200z", station % 1000000) + latitudeText(lat) + "/" + longitudeText(lon) +
             textf("-object of load line %llu\r\n", static_cast<unsigned long long>(seq));
    case 2:
    case 3:
      return head + "@071200z" + latitudeText(lat) + "/" + longitudeText(lon) +
             textf(">090/025 load line %llu\r\n", static_cast<unsigned long long>(seq));
    default:
      return head + "!" + latitudeText(lat) + "/" + longitudeText(lon) +
             textf("-load line %llu\r\n", static_cast<unsigned long long>(seq));
  }
}

std::string loginAnswer(std::string_view login) {
  // "user CALL pass CODE vers ..."
  const auto word = [&login](int index) {
    std::size_t at = 0;
    for (int i = 0; i < index; ++i) {
      at = login.find(' ', at);
      if (at == std::string_view::npos) return std::string_view();
      ++at;
    }
    const std::size_t end = login.find_first_of(" \r\n", at);
    return login.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
  };
  const std::string call(word(1));
  const long long pass = leadingInteger(word(3));
  const bool verified = !call.empty() && pass == aprsIsPasscode(call);
  return "# logresp " + call + (verified ? " verified" : " unverified") + ", server TERVANE\r\n";
}

}  // namespace tervane::aprsissim
