#pragma once
// The application object: owns the shared coordination state, the settings
// record and the main console, and wires every subsystem's commands into the
// console's menu.

#include <QApplication>

#include "base/worker_thread.h"

namespace tervane {

class ProfileStore;

// Loads the settings from the store, runs the main console until it closes,
// saves the settings. Returns the program's exit status.
int runApplication(QApplication& qtApp);
int runApplication(QApplication& qtApp, ProfileStore& store);

}  // namespace tervane
