// TervaneAPRS: loads the settings, runs the main console until it closes,
// then writes the settings back.

#include <QApplication>
#include <csignal>

#include "app/application.h"

int main(int argc, char** argv) {
  // A capture file that reaches a file-size limit fails its write (and the
  // capture ends with a word to the operator) instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TervaneAPRS"));
  QApplication::setOrganizationName(QStringLiteral("TervaneWare"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  QApplication::setQuitOnLastWindowClosed(true);
  return tervane::runApplication(qtApp);
}
