// TervaneAPRS: loads the settings, runs the main console until it closes,
// then writes the settings back.

#include <QApplication>
#include <chrono>
#include <cstdlib>

#include "app/application.h"

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TervaneAPRS"));
  QApplication::setOrganizationName(QStringLiteral("TervaneWare"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  QApplication::setQuitOnLastWindowClosed(true);
  const int status = tervane::runApplication(qtApp);
  if (!tervane::WorkerThread::joinAll(std::chrono::milliseconds(3000))) {
    // A worker is still inside a device call; end without waiting for it.
    std::quick_exit(status);
  }
  return status;
}
