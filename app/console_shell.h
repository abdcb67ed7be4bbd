#pragma once
// What the subsystems may ask of the main window, and all they know of it:
// lines in the console, the UTC clock field, the input line, the status bar,
// the states of their menu items, the "Device Open Error" question, and the
// window their dialogs and timers belong to. The main window is the one
// implementation; the subsystems get the settings and the coordination
// objects from application.cpp, and none of them includes the window.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "base/coordination.h"
#include "base/outbound.h"

class QWidget;

namespace tervane {

// The commands of other subsystems that the main window starts. Each hook may
// be empty until its subsystem exists; the menu item then does nothing.
struct ConsoleCommands {
  std::function<void()> tncOpen;        // after the menu states are set
  std::function<void()> tncClose;       // after the menu states are set
  std::function<bool()> tncRunning;     // a TNC worker runs
  std::function<bool(Outbound)> tncSend;  // to the open link; false when none is open
  std::function<void()> tncInitialize;
  std::function<void()> showLinksWindow;
  std::function<void()> sendPositionReport;
  std::function<void()> captureStart;   // after the menu states are set
  std::function<void()> captureStop;
  std::function<void()> capturePause;
  std::function<void()> captureResume;
  std::function<void()> editEmailAddresses;
  std::function<void()> showPositionWindow;
  std::function<void()> showStationsWindow;
  std::function<void()> showMapWindow;
  std::function<void()> tncSettings;
  std::function<void()> gpsSettings;
  std::function<void()> stationSettings;
  std::function<void()> gpsOn;
  std::function<void()> gpsOff;
  std::function<void()> gpsSetPcClock;
  std::function<void()> gpsSetFixedLocation;
  std::function<void()> editFilterStrings;
  std::function<void()> trackerOn;
  std::function<void()> trackerOff;
  std::function<void()> kepFile;
  std::function<void()> selectSatellites;
  std::function<void()> showPasses;
  std::function<void()> showSkyPlot;
  std::function<void()> beforeExit;
  // Saves the settings when the operator exits; returns where and why that
  // failed ("FILE: REASON"), or an empty text when they were saved.
  std::function<std::string()> saveSettings;
};

enum class CaptureState { Idle, Capturing, Paused };

// The parts of the status bar, left to right. Each keeps its text until its
// subsystem changes it, so a problem stays readable when the console has
// scrolled it away.
enum class StatusPart { Link, Gps, Tracker, Station };

// The menu items whose state a subsystem sets or reads by itself.
enum class MenuItem { TrackerShowStatus, GpsSetFixed };

class ConsoleShell {
 public:
  virtual ~ConsoleShell() = default;
  // The main window: the parent of the subsystems' dialogs and windows, and
  // the context of their queued calls to the user-interface thread.
  virtual QWidget* dialogParent() = 0;
  virtual ConsoleCommands& commands() = 0;
  // Lines for the operator, kept in view at the console's end.
  virtual void appendMonitorLines(const QStringList& lines) = 0;
  virtual void setUtcClock(const QString& text) = 0;
  // Puts the text into the input line, focused, caret at its end.
  virtual void prefillInputLine(const QString& text) = 0;
  // A new link starts with time tags off: the button offers "Time Tag On".
  virtual void resetTimeTagCaption() = 0;
  virtual void showPosition(const StationPosition& position) = 0;
  virtual void setStatus(StatusPart part, const QString& text) = 0;
  virtual void setTncMenuOpen(bool open) = 0;
  virtual void setCaptureState(CaptureState state) = 0;
  virtual void setGpsMenuOn(bool on) = 0;
  virtual void setTrackerMenuRunning(bool running) = 0;
  virtual void setMenuEnabled(MenuItem item, bool enabled) = 0;
  // The "Device Open Error" question about what gave no answer; true for
  // "Continue".
  virtual bool askDeviceOpenError(const QString& what) = 0;
};

}  // namespace tervane
