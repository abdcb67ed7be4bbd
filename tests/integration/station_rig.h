#pragma once
// The main window with both station windows and a TNC link, wired as the
// application wires them, for tests that drive the real window end to end.
// A test adds what it needs (a GPS link, a device question guard), then
// calls wire() and start().

#include <QAction>
#include <QPlainTextEdit>
#include <chrono>
#include <string>

#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "base/worker_thread.h"
#include "platform/clock.h"
#include "tnc/tnc_link.h"

struct StationRig {
  tervane::StationSettings settings;
  tervane::Coordination shared;
  tervane::SystemClock clock;
  tervane::MainConsole console{settings, shared};
  tervane::PositionWindow positions{shared, &console};
  tervane::StationsWindow stations{
      [this](const std::string& t) { return console.sendToTnc(tervane::Outbound::packet(t)); }, &console};
  tervane::StationWindowsSink sink{positions, stations};
  tervane::TncLink link{console, settings, shared, clock, nullptr};

  // The link feeds the station windows and answers the TNC menu.
  void wire() {
    link.setStationSink(&sink);
    link.attach();
  }
  // The console takes the settings made so far and shows.
  void start() {
    console.initialise();
    console.show();
  }
  void closeTnc(std::chrono::milliseconds joinWithin = std::chrono::milliseconds(3000)) {
    console.action("tncClose")->trigger();
    tervane::WorkerThread::joinAll(joinWithin);
  }
  QString shown() const { return console.monitor()->toPlainText(); }
};
