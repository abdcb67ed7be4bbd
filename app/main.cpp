// TervaneAPRS: loads the settings, runs the main console until it closes,
// then writes the settings back.

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "app/application.h"

namespace {

constexpr const char* kUsage =
    "Usage: tervaneaprs [--help] [--version] [Qt options such as -platform NAME]\n"
    "\n"
    "An amateur-radio APRS station: TNC console, links (text-mode TNC, KISS,\n"
    "Dire Wolf, APRS-IS), position reports, station lists and map, GPS and\n"
    "satellite tracker. Every setting is made in the program's dialogs.\n"
    "\n"
    "Environment, for one run:\n"
    "  TERVANEAPRS_COM1 ... TERVANEAPRS_COM4   device of the port COM1 ... COM4\n"
    "  TERVANEAPRS_LINK   tnc:COMn, kiss:COMn, kiss-tcp:HOST:PORT or aprs-is:HOST:PORT\n"
    "  TERVANEAPRS_GPS    gpsd:HOST:PORT\n"
    "\n"
    "The user guide is in Help > User Guide and in /usr/share/doc/tervaneaprs.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is needed, so they work anywhere.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tervaneaprs %s\n", TERVANE_VERSION);
      return 0;
    }
  }
  // A capture file that reaches a file-size limit fails its write (and the
  // capture ends with a word to the operator) instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TervaneAPRS"));
  QApplication::setOrganizationName(QStringLiteral("TervaneWare"));
  QApplication::setApplicationVersion(QStringLiteral(TERVANE_VERSION));
  QApplication::setQuitOnLastWindowClosed(true);
  return tervane::runApplication(qtApp);
}
