#pragma once
// The program's only top-level window: console of monitored traffic, input
// line, position and UTC clock fields, and the main menu. It lays out its
// controls, keeps the menu states and delegates every command to the
// subsystem that owns it.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <string>

#include "base/coordination.h"
#include "base/station_settings.h"
#include "app/console_shell.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QMenu;

namespace tervane {


class MainConsole : public QMainWindow, public ConsoleShell {
 public:
  MainConsole(StationSettings& settings, Coordination& shared, QWidget* parent = nullptr);

  // Runs the initialisation steps: publishes the working values, shows the
  // position, sets the initial menu states.
  void initialise();
  void setCommands(ConsoleCommands commands) { commands_ = std::move(commands); }
  ConsoleCommands& commands() override { return commands_; }
  QWidget* dialogParent() override { return this; }

  // Menu items by name ("tncOpen", "captureStart", "filterHighlight", ...).
  QAction* action(const QString& name) const;
  QPlainTextEdit* monitor() const { return monitor_; }
  QPlainTextEdit* inputLine() const { return inputLine_; }
  QLineEdit* latitudeField() const { return latitudeField_; }
  QLineEdit* longitudeField() const { return longitudeField_; }
  QLineEdit* utcClockField() const { return utcClockField_; }
  QPushButton* timeTagButton() const { return timeTagButton_; }
  QPushButton* clearTextButton() const { return clearTextButton_; }
  QPushButton* controlButton() const { return controlButton_; }
  QPushButton* converseButton() const { return converseButton_; }
  CaptureState captureState() const { return captureState_; }
  StationSettings& settings() { return settings_; }
  Coordination& shared() { return shared_; }

  // Shows the station position in the latitude and longitude fields.
  void showPosition(double latitudeDeg, double longitudeDeg);
  void showPosition(const StationPosition& position) override;
  // The console keeps this many of the latest lines; the capture file keeps everything.
  static constexpr int kConsoleLines = 20000;
  // Appends one line to the console and keeps the last line in view.
  void appendMonitorLine(const QString& line);
  void appendMonitorLines(const QStringList& lines) override;
  void setUtcClock(const QString& text) override;
  void prefillInputLine(const QString& text) override;
  void resetTimeTagCaption() override;
  void clearMonitor();
  // Menu states that the workers' links set.
  void setTncMenuOpen(bool open) override;
  void setCaptureState(CaptureState state) override;
  void setGpsMenuOn(bool on) override;
  void setTrackerMenuRunning(bool running) override;
  void setMenuEnabled(MenuItem item, bool enabled) override;
  // Hands a text to the TNC worker without blocking; false (nothing sent)
  // when no TNC worker runs.
  // Hands an item to the open link without blocking; false (nothing sent)
  // when no link is open.
  bool sendToTnc(Outbound item);
  // The "Device Open Error" question about what gave no answer (the port,
  // its device and what it did not do); true for "Continue".
  bool askDeviceOpenError(const QString& what) override;
  void showAbout();
  // Help > User Guide: the installed guide (or the one beside the sources)
  // in a window of its own.
  void showUserGuide();
  void exitProgram();
  void setStatus(StatusPart part, const QString& text) override;
  QString statusText(StatusPart part) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void layoutControls();
  void onInputChanged();
  void onTimeTag();
  void onClearText();
  void chooseFilterMode(const QString& item, int mode);
  // Saves the settings at exit; when that fails, asks whether to exit
  // anyway. False means the operator goes back to the program.
  bool settingsSavedOrLetGo();
  QAction* addItem(QMenu* menu, const QString& name, const QString& caption, std::function<void()> handler);
  QAction* itemOf(MenuItem item) const;
  static void call(const std::function<void()>& hook) {
    if (hook) hook();
  }

  StationSettings& settings_;
  Coordination& shared_;
  ConsoleCommands commands_;
  std::map<QString, QAction*> actions_;
  QWidget* client_ = nullptr;
  QLineEdit* latitudeField_ = nullptr;
  QLineEdit* longitudeField_ = nullptr;
  QLineEdit* utcClockField_ = nullptr;
  QPlainTextEdit* monitor_ = nullptr;
  QPlainTextEdit* inputLine_ = nullptr;
  QPushButton* timeTagButton_ = nullptr;
  QPushButton* clearTextButton_ = nullptr;
  QPushButton* controlButton_ = nullptr;
  QPushButton* converseButton_ = nullptr;
  CaptureState captureState_ = CaptureState::Idle;
  std::map<StatusPart, QLabel*> status_;
  bool exiting_ = false;
};

}  // namespace tervane
