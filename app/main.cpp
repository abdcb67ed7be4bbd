// TervaneAPRS: loads the settings, runs the main console until it closes,
// then writes the settings back.

#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TervaneAPRS"));
  QApplication::setOrganizationName(QStringLiteral("TervaneWare"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  QApplication::setQuitOnLastWindowClosed(true);
  return tervane::runApplication(qtApp);
}
