#include "app/application.h"

#include "app/coordination.h"
#include "app/main_console.h"
#include "app/station_settings.h"
#include "app/transmit_courier.h"
#include "platform/qt_profile_store.h"

namespace tervane {

int runApplication(QApplication& qtApp) {
  QtProfileStore store;
  return runApplication(qtApp, store);
}

int runApplication(QApplication& qtApp, ProfileStore& store) {
  Coordination shared;
  StationSettings settings;
  settings.load(store);
  int status = 0;
  {
    TransmitCourier courier(shared);
    MainConsole console(settings, shared, courier);
    ConsoleCommands commands;
    console.setCommands(commands);
    console.initialise();
    console.show();
    status = qtApp.exec();
    // Workers other than the TNC worker end with the process.
    shared.events.gpsStop.raise();
    shared.events.trackerStop.raise();
  }
  settings.save(store);
  store.flush();
  return status;
}

}  // namespace tervane
