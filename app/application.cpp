#include "app/application.h"

#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <string>

#include "base/coordination.h"
#include "app/main_console.h"
#include "base/station_settings.h"
#include "platform/qt_profile_store.h"
#include "aprs/station_windows.h"
#include "dialogs/dialog_commands.h"
#include "gps/gps_link.h"
#include "map/map_window.h"
#include "tnc/position_report.h"
#include "tnc/links_window.h"
#include "tnc/tnc_link.h"
#include "tracker/tracker_link.h"

namespace tervane {

int runApplication(QApplication& qtApp) {
  QtProfileStore store;
  return runApplication(qtApp, store);
}

int runApplication(QApplication& qtApp, ProfileStore& store) {
  Coordination shared;
  SystemClock clock;
  StationSettings settings;
  settings.load(store);
  MainConsole console(settings, shared);
  PositionWindow positionWindow(shared, &console);
  StationsWindow stationsWindow([&console](const std::string& text) { return console.sendToTnc(Outbound::packet(text)); },
                                &console);
  StationWindowsSink stationSink(positionWindow, stationsWindow);
  TncLink tnc(console, settings, shared, clock, &store);
  tnc.setStationSink(&stationSink);
  tnc.attach();
  ConsoleCommands& commands = console.commands();
  LinksWindow linksWindow(tnc, settings, &console);
  commands.showLinksWindow = [&linksWindow] {
    linksWindow.show();
    linksWindow.raise();
  };
  commands.showPositionWindow = [&positionWindow] {
    positionWindow.show();
    positionWindow.raise();
  };
  commands.showStationsWindow = [&stationsWindow] {
    stationsWindow.show();
    stationsWindow.raise();
  };
  attachDialogCommands(console, settings, shared);
  TrackerLink tracker(console, settings, shared, tnc.radioOutbox(), clock);
  tracker.attach();
  MapWindow mapWindow(MapSources{&shared, &clock, [&tracker] { return tracker.isRunning(); },
                                 [&settings] { return std::string(settings.callsign.view()); }},
                      &console);
  linkMapToPositions(mapWindow, positionWindow);
  commands.showMapWindow = [&mapWindow] {
    mapWindow.show();
    mapWindow.raise();
  };
  GpsLink gps(console, settings, shared, clock, &store);
  gps.setToggleTrackHook([&positionWindow](bool enabled) { positionWindow.setToggleTrackEnabled(enabled); });
  gps.attach();
  commands.saveSettings = [&settings, &store] {
    settings.save(store);
    return store.flush() ? std::string() : store.location() + ": " + store.writeProblem();
  };
  console.initialise();
  // What keeps the station from sending stays in the status bar until it is set.
  QTimer readiness;
  const auto showReadiness = [&console, &settings, &shared] {
    const StationPosition p = shared.values.position();
    const std::string why =
        reportRefusal(settings.callsign.view(), p.latitudeDeg, p.longitudeDeg, shared.values.phgText());
    console.setStatus(StatusPart::Station,
                      why.empty() ? QString() : QStringLiteral("Nothing is sent: %1").arg(QString::fromUtf8(why.c_str())));
  };
  QObject::connect(&readiness, &QTimer::timeout, &console, showReadiness);
  showReadiness();
  readiness.start(1000);
  if (const std::string why = store.readProblem(); !why.empty()) {
    const std::string line = "The settings file " + store.location() + " could not be read (" + why +
                             "); the program runs on default settings.";
    console.appendMonitorLines({QString::fromLocal8Bit(line.c_str())});
  }
  console.show();
  const int status = qtApp.exec();
  positionWindow.setWatch({});  // the map window goes first

  settings.save(store);
  store.flush();
  // The GPS and tracker workers end with the program; give every worker a
  // moment to finish its pass, and leave at once if one is stuck in a device.
  gps.stopWorker();
  tracker.stopWorker();
  tnc.close();
  if (!WorkerThread::joinAll(std::chrono::milliseconds(3000))) std::quick_exit(status);
  return status;
}

}  // namespace tervane
