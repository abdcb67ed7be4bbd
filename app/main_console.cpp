#include "app/main_console.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <malloc.h>

#include "base/text_format.h"

// The window icon lives in a resource compiled into a static library; the
// library's resources must be registered by hand.
static void registerConsoleResources() { Q_INIT_RESOURCE(app); }

namespace tervane {

namespace {

constexpr int kInputLineCapacity = 1023;  // bytes of one typed line, CR included
constexpr int kTitleBarButtonsPx = 160;   // a window manager's icon, buttons and padding around a caption

QString latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainConsole::MainConsole(StationSettings& settings, Coordination& shared, QWidget* parent)
    : QMainWindow(parent), settings_(settings), shared_(shared) {
  registerConsoleResources();
  setWindowTitle(QStringLiteral("TervaneAPRS"));
  setWindowIcon(QIcon(QStringLiteral(":/tervaneaprs.png")));
  buildControls();
  buildMenus();
  for (StatusPart part : {StatusPart::Link, StatusPart::Gps, StatusPart::Tracker, StatusPart::Station}) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("status%1").arg(static_cast<int>(part)));
    statusBar()->addWidget(label, part == StatusPart::Station ? 1 : 0);
    status_[part] = label;
  }
  setStatus(StatusPart::Link, QStringLiteral("Link: closed"));
  setStatus(StatusPart::Gps, QStringLiteral("GPS: off"));
  setStatus(StatusPart::Tracker, QStringLiteral("Tracker: off"));

  // F2 and F4 are the accelerators of their menu items; F5 is bound to a
  // command that nothing handles.
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
  connect(f2, &QShortcut::activated, this, [this] { actions_.at("sendPositionReport")->trigger(); });
  auto* f4 = new QShortcut(QKeySequence(Qt::Key_F4), this);
  connect(f4, &QShortcut::activated, this, [this] { actions_.at("email")->trigger(); });
  auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(f5, &QShortcut::activated, this, [] {});

  resize(720, 560);
}

namespace {

// The client area: lays the console's controls out whenever its size changes.
class ConsoleClient : public QWidget {
 public:
  ConsoleClient(QWidget* parent, std::function<void()> onResize) : QWidget(parent), onResize_(std::move(onResize)) {}

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    onResize_();
  }

 private:
  std::function<void()> onResize_;
};

}  // namespace

void MainConsole::buildControls() {
  client_ = new ConsoleClient(this, [this] {
    if (monitor_ != nullptr) layoutControls();
  });
  setCentralWidget(client_);

  auto* top = new QWidget(client_);
  auto* row = new QHBoxLayout(top);
  row->setContentsMargins(0, 0, 0, 0);
  const auto readOnlyField = [top](int widthChars) {
    auto* field = new QLineEdit(top);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthChars);
    return field;
  };
  latitudeField_ = readOnlyField(12);
  longitudeField_ = readOnlyField(13);
  utcClockField_ = readOnlyField(9);
  latitudeField_->setObjectName(QStringLiteral("latitudeField"));
  longitudeField_->setObjectName(QStringLiteral("longitudeField"));
  utcClockField_->setObjectName(QStringLiteral("utcClockField"));
  row->addWidget(new QLabel(QStringLiteral("Latitude: "), top));
  row->addWidget(latitudeField_);
  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("Longitude:"), top));
  row->addWidget(longitudeField_);
  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("Time:"), top));
  row->addWidget(utcClockField_);
  row->addWidget(new QLabel(QStringLiteral("UTC"), top));
  row->addStretch(1);
  top->setObjectName(QStringLiteral("topRow"));
  top->move(20, 16);
  top->adjustSize();

  monitor_ = new QPlainTextEdit(client_);
  monitor_->setObjectName(QStringLiteral("monitor"));
  monitor_->setReadOnly(true);
  monitor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  monitor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  monitor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  monitor_->setFont(QFont(QStringLiteral("Monospace")));
  monitor_->setFocusPolicy(Qt::ClickFocus);
  // A read-only console needs no undo history, which would otherwise keep
  // every line ever shown; the oldest lines go once the limit is reached.
  monitor_->setUndoRedoEnabled(false);
  monitor_->setMaximumBlockCount(kConsoleLines);

  inputLine_ = new QPlainTextEdit(client_);
  inputLine_->setObjectName(QStringLiteral("inputLine"));
  inputLine_->setLineWrapMode(QPlainTextEdit::NoWrap);
  inputLine_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  inputLine_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  inputLine_->setTabChangesFocus(false);
  connect(inputLine_, &QPlainTextEdit::textChanged, this, [this] { onInputChanged(); });

  const auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), client_);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
  };
  timeTagButton_ = button("timeTag", "Time Tag On");
  clearTextButton_ = button("clearText", "Clear Text");
  controlButton_ = button("control", "Control");
  converseButton_ = button("converse", "Converse");
  connect(timeTagButton_, &QPushButton::clicked, this, [this] { onTimeTag(); });
  connect(clearTextButton_, &QPushButton::clicked, this, [this] { onClearText(); });
  connect(controlButton_, &QPushButton::clicked, this, [this] {
    sendToTnc(Outbound{Outbound::Kind::Control});
    inputLine_->setFocus();
  });
  connect(converseButton_, &QPushButton::clicked, this, [this] {
    sendToTnc(Outbound{Outbound::Kind::Converse});
    inputLine_->setFocus();
  });
}

QAction* MainConsole::addItem(QMenu* menu, const QString& name, const QString& caption, std::function<void()> handler) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
  actions_[name] = a;
  return a;
}

void MainConsole::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  addItem(file, "sendPositionReport", "Send Position Report [F2]", [this] { call(commands_.sendPositionReport); });
  addItem(file, "email", "EMAIL [F4]", [this] { shared_.events.emailPrompt.raise(); });
  addItem(file, "editEmail", "Edit/Select Email Address ...", [this] { call(commands_.editEmailAddresses); });
  QMenu* capture = file->addMenu(QStringLiteral("Capture Text"));
  addItem(capture, "captureStart", "Start", [this] {
    setCaptureState(CaptureState::Capturing);
    call(commands_.captureStart);
  });
  addItem(capture, "captureStop", "Stop", [this] {
    setCaptureState(CaptureState::Idle);
    call(commands_.captureStop);
  });
  addItem(capture, "capturePause", "Pause", [this] {
    setCaptureState(CaptureState::Paused);
    call(commands_.capturePause);
  });
  addItem(capture, "captureResume", "Resume", [this] {
    setCaptureState(CaptureState::Capturing);
    call(commands_.captureResume);
  });
  QMenu* view = file->addMenu(QStringLiteral("View Station Data"));
  addItem(view, "viewPosition", "Position", [this] { call(commands_.showPositionWindow); });
  addItem(view, "viewCallsigns", "Callsign Only", [this] { call(commands_.showStationsWindow); });
  addItem(view, "viewMap", "Map", [this] { call(commands_.showMapWindow); });
  file->addSeparator();
  addItem(file, "exit", "Exit", [this] { exitProgram(); });

  QMenu* tnc = menuBar()->addMenu(QStringLiteral("TNC"));
  addItem(tnc, "tncOpen", "Open", [this] {
    setTncMenuOpen(true);
    call(commands_.tncOpen);
  });
  addItem(tnc, "tncClose", "Close", [this] {
    setTncMenuOpen(false);
    call(commands_.tncClose);
  });
  addItem(tnc, "tncInitialize", "Initialize", [this] { call(commands_.tncInitialize); });
  tnc->addSeparator();
  addItem(tnc, "tncLinks", "Links...", [this] { call(commands_.showLinksWindow); });

  QMenu* settingsMenu = menuBar()->addMenu(QStringLiteral("Settings"));
  addItem(settingsMenu, "settingsTnc", "TNC...", [this] { call(commands_.tncSettings); });
  addItem(settingsMenu, "settingsGps", "GPS...", [this] { call(commands_.gpsSettings); });
  addItem(settingsMenu, "settingsStation", "Station...", [this] { call(commands_.stationSettings); });

  QMenu* gps = menuBar()->addMenu(QStringLiteral("GPS"));
  addItem(gps, "gpsOn", "On", [this] { call(commands_.gpsOn); });
  addItem(gps, "gpsOff", "Off", [this] { call(commands_.gpsOff); });
  addItem(gps, "gpsSetClock", "Set PC Clock", [this] { call(commands_.gpsSetPcClock); });
  addItem(gps, "gpsSetFixed", "Set Fixed Station Location", [this] { call(commands_.gpsSetFixedLocation); });

  QMenu* filter = menuBar()->addMenu(QStringLiteral("Text Filter"));
  addItem(filter, "filterFull", "Full Text", [this] { chooseFilterMode("filterFull", 0); });
  addItem(filter, "filterHighlight", "Highlight",
          [this] { chooseFilterMode("filterHighlight", 1); });
  addItem(filter, "filterFilter", "Filter", [this] { chooseFilterMode("filterFilter", 2); });
  for (const char* name : {"filterFull", "filterHighlight", "filterFilter"}) actions_.at(name)->setCheckable(true);
  actions_.at("filterFull")->setChecked(true);
  filter->addSeparator();
  addItem(filter, "filterEdit", "View/Edit Filter Strings", [this] { call(commands_.editFilterStrings); });

  QMenu* tracker = menuBar()->addMenu(QStringLiteral("Tracker"));
  addItem(tracker, "trackerOn", "On", [this] { call(commands_.trackerOn); });
  addItem(tracker, "trackerOff", "Off", [this] { call(commands_.trackerOff); });
  addItem(tracker, "kepFile", "Kep File ...", [this] { call(commands_.kepFile); });
  addItem(tracker, "selectSatellites", "Select Satellites ...", [this] { call(commands_.selectSatellites); });
  addItem(tracker, "trackerShowStatus", "Show Status", [this] { shared_.events.trackerShowStatus.raise(); });
  tracker->addSeparator();
  addItem(tracker, "upcomingPasses", "Upcoming Passes", [this] { call(commands_.showPasses); });
  addItem(tracker, "skyPlot", "Sky Plot", [this] { call(commands_.showSkyPlot); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  addItem(help, "userGuide", "User Guide", [this] { showUserGuide(); });
  addItem(help, "about", "About", [this] { showAbout(); });
}

void MainConsole::initialise() {
  publishWorkingValues(settings_, shared_);
  showPosition(shared_.values.position());
  setTncMenuOpen(false);
  setGpsMenuOn(false);
  setTrackerMenuRunning(false);
  actions_.at("trackerShowStatus")->setEnabled(false);
  setCaptureState(CaptureState::Idle);
  inputLine_->setFocus();
}

QAction* MainConsole::action(const QString& name) const {
  const auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

void MainConsole::showPosition(double latitudeDeg, double longitudeDeg) {
  latitudeField_->setText(latin1(latitudeDisplay(latitudeDeg)));
  longitudeField_->setText(latin1(longitudeDisplay(longitudeDeg)));
}

void MainConsole::showPosition(const StationPosition& p) {
  latitudeField_->setText(latin1(textf("%9.6f %c", std::abs(p.latitudeDeg), p.latHemisphere)));
  longitudeField_->setText(latin1(textf("%10.6f %c", std::abs(p.longitudeDeg), p.lonHemisphere)));
}

void MainConsole::appendMonitorLine(const QString& line) {
  monitor_->appendPlainText(line);
  QScrollBar* bar = monitor_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void MainConsole::appendMonitorLines(const QStringList& lines) {
  if (lines.isEmpty()) return;
  monitor_->appendPlainText(lines.join(QLatin1Char('\n')));
  QScrollBar* bar = monitor_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void MainConsole::setUtcClock(const QString& text) { utcClockField_->setText(text); }

void MainConsole::prefillInputLine(const QString& text) {
  const QSignalBlocker block(inputLine_);
  inputLine_->setPlainText(text);
  inputLine_->setFocus();
  inputLine_->moveCursor(QTextCursor::End);
}

void MainConsole::resetTimeTagCaption() {
  timeTagButton_->setText(QStringLiteral("Time Tag On"));
  shared_.values.timeTags = false;
}

QAction* MainConsole::itemOf(MenuItem item) const {
  switch (item) {
    case MenuItem::TrackerShowStatus:
      return actions_.at(QStringLiteral("trackerShowStatus"));
    case MenuItem::GpsSetFixed:
      break;
  }
  return actions_.at(QStringLiteral("gpsSetFixed"));
}

void MainConsole::setMenuEnabled(MenuItem item, bool enabled) { itemOf(item)->setEnabled(enabled); }

void MainConsole::clearMonitor() {
  monitor_->clear();
  // Hand the memory of a long console back to the system at once.
  ::malloc_trim(0);
}

void MainConsole::setStatus(StatusPart part, const QString& text) {
  QLabel* label = status_.at(part);
  label->setText(text);
  label->setToolTip(text);
  // What is missing for the station to send is shown in red until it is set.
  label->setStyleSheet(part == StatusPart::Station && !text.isEmpty() ? QStringLiteral("color: #b00000")
                                                                       : QString());
}

QString MainConsole::statusText(StatusPart part) const { return status_.at(part)->text(); }

void MainConsole::showUserGuide() {
  // The installed guide first; a program run from its build tree finds the
  // guide beside its sources.
  const QStringList candidates = {QStringLiteral(TERVANE_GUIDE_INSTALLED), QStringLiteral(TERVANE_GUIDE_SOURCE)};
  QString found;
  for (const QString& path : candidates) {
    if (QFileInfo::exists(path)) {
      found = path;
      break;
    }
  }
  if (found.isEmpty()) {
    QMessageBox::information(this, QStringLiteral("User Guide"),
                             QStringLiteral("The user guide is not installed; it was looked for in:\n%1")
                                 .arg(candidates.join(QLatin1Char('\n'))));
    return;
  }
  auto* guide = findChild<QTextBrowser*>(QStringLiteral("userGuide"));
  if (guide == nullptr) {
    auto* window = new QDialog(this);
    window->setWindowTitle(QStringLiteral("TervaneAPRS User Guide"));
    window->setObjectName(QStringLiteral("userGuideWindow"));
    window->resize(860, 700);
    auto* layout = new QVBoxLayout(window);
    guide = new QTextBrowser(window);
    guide->setObjectName(QStringLiteral("userGuide"));
    guide->setOpenExternalLinks(true);
    layout->addWidget(guide);
    guide->setSearchPaths({QFileInfo(found).absolutePath()});
    guide->setSource(QUrl::fromLocalFile(found), QTextDocument::MarkdownResource);
  }
  QWidget* window = guide->window();
  window->show();
  window->raise();
}

void MainConsole::setTncMenuOpen(bool open) {
  actions_.at("tncOpen")->setEnabled(!open);
  actions_.at("tncClose")->setEnabled(open);
  actions_.at("tncInitialize")->setEnabled(open);
}

void MainConsole::setGpsMenuOn(bool on) {
  setStatus(StatusPart::Gps, on ? QStringLiteral("GPS: no fix yet") : QStringLiteral("GPS: off"));
  actions_.at("gpsOn")->setEnabled(!on);
  actions_.at("gpsOff")->setEnabled(on);
  actions_.at("gpsSetClock")->setEnabled(on);
  actions_.at("gpsSetFixed")->setEnabled(on && shared_.values.mobileMode);
}

void MainConsole::setTrackerMenuRunning(bool running) {
  actions_.at("trackerOn")->setEnabled(!running);
  actions_.at("trackerOff")->setEnabled(running);
  actions_.at("kepFile")->setEnabled(!running);
  actions_.at("selectSatellites")->setEnabled(!running);
  actions_.at("trackerShowStatus")->setEnabled(false);
}

void MainConsole::setCaptureState(CaptureState state) {
  captureState_ = state;
  actions_.at("captureStart")->setEnabled(state == CaptureState::Idle);
  actions_.at("captureStop")->setEnabled(state != CaptureState::Idle);
  actions_.at("capturePause")->setEnabled(state == CaptureState::Capturing);
  actions_.at("captureResume")->setEnabled(state == CaptureState::Paused);
}

void MainConsole::chooseFilterMode(const QString& item, int mode) {
  for (const char* name : {"filterFull", "filterHighlight", "filterFilter"}) {
    actions_.at(name)->setChecked(item == QLatin1String(name));
  }
  shared_.values.displayMode = mode;
}

bool MainConsole::sendToTnc(Outbound item) {
  return commands_.tncSend && commands_.tncSend(std::move(item));
}

void MainConsole::onInputChanged() {
  const QString text = inputLine_->toPlainText();
  if (text.isEmpty() || text.back() != QLatin1Char('\n')) return;
  // Enter ends the line: the TNC gets the text up to it, each line break
  // inside pasted text included, as lines ending in CR.
  // Typed text goes out as UTF-8, as APRS-IS and today's stations read it,
  // never with characters changed to '?'.
  QString line = text.left(text.size() - 1);
  QByteArray bytes = line.toUtf8();
  bytes.replace('\n', '\r');
  std::string sent(utf8Prefix(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                              kInputLineCapacity - 1));
  sent += '\r';
  const QSignalBlocker block(inputLine_);
  if (sendToTnc(Outbound::typedLine(std::move(sent)))) {
    inputLine_->clear();
  } else {
    inputLine_->setPlainText(line);
    inputLine_->moveCursor(QTextCursor::End);
  }
}

void MainConsole::onTimeTag() {
  const QString caption = timeTagButton_->text().left(15);
  // The caption names what the next click does: "Time Tag Off" while lines
  // are tagged.
  const bool tagging = caption != QLatin1String("Time Tag Off");
  timeTagButton_->setText(tagging ? QStringLiteral("Time Tag Off") : QStringLiteral("Time Tag On"));
  shared_.values.timeTags = tagging;
}

void MainConsole::onClearText() {
  clearMonitor();
  inputLine_->setFocus();
}

bool MainConsole::askDeviceOpenError(const QString& what) {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("Device Open Error"));
  box.setText(what + QStringLiteral(
      "\n\nThe device does not appear to be responding.  Do you wish to continue, or to cancel the attempt?"));
  box.setIcon(QMessageBox::Question);
  QPushButton* cont = box.addButton(QStringLiteral("Continue"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(cont);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == cont;
}

void MainConsole::showAbout() {
  QDialog about(this);
  about.setWindowTitle(QStringLiteral("About TervaneAPRS"));
  // Wide enough for the whole caption beside the title bar's icon and buttons.
  QFont captionFont = about.font();
  captionFont.setBold(true);
  about.setMinimumWidth(QFontMetrics(captionFont).horizontalAdvance(about.windowTitle()) + kTitleBarButtonsPx);
  auto* layout = new QVBoxLayout(&about);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(&about);
  icon->setPixmap(windowIcon().pixmap(48, 48));
  row->addWidget(icon);
  row->addWidget(new QLabel(QStringLiteral("TervaneAPRS Version " TERVANE_VERSION), &about));
  row->addStretch(1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  layout->addWidget(buttons);
  about.exec();
}

void MainConsole::exitProgram() { close(); }

bool MainConsole::settingsSavedOrLetGo() {
  if (!commands_.saveSettings) return true;
  settings_.textFilePath = shared_.values.captureDirectory();
  const std::string problem = commands_.saveSettings();
  if (problem.empty()) return true;
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("Settings Not Saved"));
  box.setIcon(QMessageBox::Warning);
  box.setText(QStringLiteral("The settings could not be saved to %1.").arg(QString::fromLocal8Bit(problem.c_str())));
  box.setInformativeText(
      QStringLiteral("Exit anyway and lose the changes of this run, or go back to the program and exit again once "
                     "the settings can be saved?"));
  QPushButton* exitAnyway = box.addButton(QStringLiteral("Exit Anyway"), QMessageBox::DestructiveRole);
  QPushButton* goBack = box.addButton(QStringLiteral("Go Back"), QMessageBox::RejectRole);
  box.setDefaultButton(goBack);
  box.setEscapeButton(goBack);
  box.exec();
  return box.clickedButton() == exitAnyway;
}

void MainConsole::closeEvent(QCloseEvent* event) {
  if (!exiting_) {
    // Saving comes first, so that going back finds the program as it was.
    if (!settingsSavedOrLetGo()) {
      event->ignore();
      return;
    }
    exiting_ = true;
    actions_.at("tncClose")->trigger();
    call(commands_.beforeExit);
    settings_.textFilePath = shared_.values.captureDirectory();
  }
  event->accept();
}

void MainConsole::layoutControls() {
  const int w = client_->width();
  const int h = client_->height();
  monitor_->setGeometry(20, 60, w - 40, h - 240);
  inputLine_->setGeometry(20, h - 120, w - 40, 40);
  const QSize clearSize = clearTextButton_->sizeHint();
  clearTextButton_->setGeometry(160, h - 160, clearSize.width(), clearSize.height());
  timeTagButton_->setGeometry(40, h - 160, clearSize.width() + 20, clearSize.height());
  controlButton_->setGeometry(160, h - 60, clearSize.width(), clearSize.height());
  converseButton_->setGeometry(40, h - 60, clearSize.width(), clearSize.height());
  inputLine_->setFocus();
}

}  // namespace tervane
