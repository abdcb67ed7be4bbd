// tervane-screenshots: opens every window of TervaneAPRS with the
// demonstration station's traffic, stations and satellites, and saves a
// picture of each into a folder, for the user guide. The windows are the
// program's own classes; no device is opened and no settings are read or
// written.
//
//   tervane-screenshots FOLDER [NAME...]
//
// Without names every picture is taken. Run with QT_SCALE_FACTOR=2 for
// double-density pictures.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_console.h"
#include "base/text_format.h"
#include "aprs/packet_decoder.h"
#include "igate/packet_router.h"
#include "tnc/link_board.h"
#include "tnc/links_window.h"
#include "aprs/station_windows.h"
#include "dialogs/filter_strings_dialog.h"
#include "dialogs/settings_dialogs.h"
#include "dialogs/settings_edits.h"
#include "map/map_window.h"
#include "tnc/aprs_is_link.h"
#include "tnc/ax25.h"
#include "tnc/kiss_link.h"
#include "tnc/monitor_text.h"
#include "tnc/position_report.h"
#include "tools/screenshots/demo_station.h"
#include "tracker/element_file.h"
#include "tracker/pass_windows.h"
#include "tracker/satellite_selection.h"
#include "tracker/tracker_windows.h"
#include "tracker/tracker_worker.h"

namespace tervane {
namespace {

QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Lets the windows lay themselves out and paint.
void settle(int durationMs = 120) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < durationMs) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

QPixmap grabShown(QWidget& window) {
  window.show();
  settle();
  return window.grab();
}

// Runs a command that shows a modal dialog with exec(), grabs the dialog
// once it is up, and closes it so that the command returns.
QPixmap grabModal(const std::function<void()>& open) {
  QPixmap picture;
  int ticks = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible() || ++ticks < 4) return;
    poll.stop();
    picture = dialog->grab();
    dialog->done(QDialog::Rejected);
  });
  poll.start(40);
  open();
  return picture;
}

// The tracker's rows go straight into the status window: the worker is
// driven second by second on this thread.
class DirectTrackerUi final : public TrackerUi {
 public:
  explicit DirectTrackerUi(TrackerStatusWindow& window) : window_(window) {}
  void showRow(int index, const TrackerRowText& row) override { window_.showRow(index, row); }
  void showWindow() override { window_.show(); }

 private:
  TrackerStatusWindow& window_;
};

// Everything the pictures share: the station's settings, the main window
// and the two station windows filled from the demonstration traffic.
struct Scene {
  Scene()
      : settings(demo::demoSettings()),
        clock(demo::demoInstant(), demo::kLocalOffsetSeconds),
        console(settings, shared),
        positions(shared, &console),
        stations([](const std::string&) { return false; }, &console) {}

  StationSettings settings;
  FixedClock clock;
  Coordination shared;
  MainConsole console;
  PositionWindow positions;
  StationsWindow stations;
  std::vector<std::string> problems;

  void check(bool ok, const char* what) {
    if (!ok) problems.emplace_back(what);
  }
};

std::vector<ElementRecord> demoSatellites() { return scanElementText(demo::demoElementText()); }

// The UTC clock field as the TNC worker keeps it.
void showUtcClock(Scene& s, MainConsole& c) {
  const CalendarTime utc = s.clock.utcNow();
  c.utcClockField()->setText(latin1(textf("%02d:%02d:%02d", utc.hour, utc.minute, utc.second)));
}

// The caret at the start of the last line keeps the line starts in view.
void showLineStarts(MainConsole& c) {
  QTextCursor caret = c.monitor()->textCursor();
  caret.movePosition(QTextCursor::End);
  caret.movePosition(QTextCursor::StartOfBlock);
  c.monitor()->setTextCursor(caret);
  c.monitor()->horizontalScrollBar()->setValue(0);
}

// The main window as the operator sees it with the TNC open, time tags on,
// Highlight mode and a capture running, an e-mail being typed.
void fillConsole(Scene& s) {
  MainConsole& c = s.console;
  c.initialise();
  c.setTncMenuOpen(true);
  c.timeTagButton()->click();
  c.action(QStringLiteral("filterHighlight"))->trigger();
  c.action(QStringLiteral("captureStart"))->trigger();

  const FilterStrings filters = s.shared.values.filterStrings();
  const std::int64_t now = s.clock.unixSeconds();
  QStringList shown;
  for (const demo::HeardLine& line : demo::demoTraffic()) {
    s.clock.set(line.unixSeconds);
    const std::string tagged = timeTagged(s.clock.localNow(), line.text);
    if (const auto text = applyDisplayMode(DisplayMode::Highlight, filters, tagged)) shown << latin1(*text);
  }
  s.clock.set(now);
  c.appendMonitorLines(shown);
  showLineStarts(c);
  showUtcClock(s, c);
  const std::string email = s.shared.values.emailAddress();
  c.inputLine()->setPlainText(latin1(textf(":EMAIL    :%s Arriving at the club at 19:30", email.c_str())));
  c.inputLine()->moveCursor(QTextCursor::End);
  s.check(c.monitor()->blockCount() == static_cast<int>(demo::demoTraffic().size()), "console shows every line");
}

// The station windows get what the decoder makes of the traffic, as the TNC
// worker hands it to them; one station is tracked for the GPS receiver.
void fillStationWindows(Scene& s) {
  PacketDecoder decoder(s.clock);
  // The demonstration traffic is heard on the station's one radio link.
  PacketRouter router;
  const std::int64_t now = s.clock.unixSeconds();
  for (const demo::HeardLine& line : demo::demoTraffic()) {
    s.clock.set(line.unixSeconds);
    decoder.beginLine(line.text + "\r\n");
    decoder.decode();
    decoder.setHeardHow(router.received(0, true, line.text, line.unixSeconds).heard);
    const StationEntry& e = decoder.entry();
    if (e.callsignFound) s.stations.addCallsign(e.sourceCall.view());
    if (e.callsignFound && e.positionValid) s.positions.addOrUpdate(e);
  }
  s.clock.set(now);

  const PositionTable& table = s.positions.table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table.row(i).sourceCall == "KB1XYZ-7") s.positions.view()->selectRow(static_cast<int>(i));
  }
  s.shared.events.gpsUploadReady.raise();
  s.positions.setToggleTrackEnabled(true);
  s.positions.toggleTrack();
  s.positions.setToggleTrackEnabled(true);
  s.positions.view()->clearSelection();

  bool tracked = false;
  for (std::size_t i = 0; i < table.size(); ++i) tracked = tracked || table.row(i).tracked;
  s.check(table.size() >= 8, "position table holds the stations with positions");
  s.check(tracked, "one station is tracked");
  s.check(s.stations.list().size() > table.size(), "some stations are heard without a position");

  QItemSelectionModel* picked = s.stations.view()->selectionModel();
  for (int row : {1, 2}) {
    picked->select(s.stations.view()->model()->index(row, 0), QItemSelectionModel::Select);
  }
}

// A monitor line as the AX.25 UI frame a radio hears: source, destination,
// digipeaters ('*' after the last one that repeated it) and text.
std::optional<Ax25UiFrame> frameOf(std::string_view line) {
  const std::size_t arrow = line.find('>');
  const std::size_t colon = line.find(':');
  if (arrow == std::string_view::npos || colon == std::string_view::npos || colon < arrow) return std::nullopt;
  std::string addresses(line.substr(arrow + 1, colon - arrow - 1));
  // Every digipeater up to the starred one has repeated the frame.
  const std::size_t star = addresses.find('*');
  const auto repeated = static_cast<std::size_t>(
      star == std::string::npos ? 0 : std::count(addresses.begin(), addresses.begin() + static_cast<long>(star), ','));
  if (star != std::string::npos) addresses.erase(star, 1);
  const std::string_view rest(addresses);
  const std::size_t comma = std::min(rest.find(','), rest.size());
  const std::optional<Ax25Address> source = parseAx25Address(line.substr(0, arrow));
  const std::optional<Ax25Address> destination = parseAx25Address(rest.substr(0, comma));
  const std::optional<std::vector<Ax25Address>> digipeaters =
      parseAx25Path(rest.substr(std::min(comma + 1, rest.size())));
  if (!source || !destination || !digipeaters || repeated > digipeaters->size()) return std::nullopt;
  Ax25UiFrame frame{*destination, *source, *digipeaters, std::string(line.substr(colon + 1))};
  for (std::size_t i = 0; i < repeated; ++i) frame.digipeaters[i].repeated = true;
  return frame;
}

// A text as the console shows it: without its line end.
std::string withoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

// The station's position report as F2 sends it now.
std::string ownReport(Scene& s) {
  const StationPosition p = s.shared.values.position();
  return withoutLineEnd(buildPositionReport(s.clock.utcNow(), p.latitudeDeg, p.latHemisphere, p.longitudeDeg,
                                            p.lonHemisphere, s.settings.mobile != 0, s.settings.phg.view(),
                                            s.settings.message.view()));
}

// The main window while a network link runs, its console showing the
// link's own lines among the traffic.
QPixmap networkConsole(Scene& s, const QStringList& lines, const QString& linkStatus) {
  MainConsole console(s.settings, s.shared);
  console.setStatus(StatusPart::Link, linkStatus);
  console.showPosition(s.shared.values.position());
  console.setTncMenuOpen(true);
  console.appendMonitorLines(lines);
  showLineStarts(console);
  showUtcClock(s, console);
  return grabShown(console);
}

// Dire Wolf over KISS TCP: the demonstration traffic heard on the air comes
// as UI frames and shows in the monitor form a text-mode TNC prints; F2
// goes out as a frame from the station's callsign along its UNPROTO VIA
// path. Traffic that came over the internet is not heard on the air.
QPixmap kissConsole(Scene& s) {
  const std::string address = textf("%s:%d", s.settings.kissHost.str().c_str(), s.settings.kissPort);
  QStringList lines;
  lines << latin1(textf("KISS link: no connection to %s: Connection refused. Trying again in 1 s.", address.c_str()))
        << latin1(textf("KISS link: connected to %s.", address.c_str()));
  for (const demo::HeardLine& line : demo::demoTraffic()) {
    if (line.text.find("TCPIP") != std::string::npos) continue;
    const std::optional<Ax25UiFrame> frame = frameOf(line.text);
    const std::vector<std::uint8_t> bytes = frame ? encodeUiFrame(*frame) : std::vector<std::uint8_t>();
    const std::optional<Ax25UiFrame> heard = readUiFrame(bytes.data(), bytes.size());
    s.check(heard && monitorLine(*heard) == line.text, "a frame heard over KISS shows as the TNC's monitor line");
    if (heard) lines << latin1(monitorLine(*heard));
  }
  const std::optional<Ax25Address> source = parseAx25Address(s.settings.callsign.view());
  const std::optional<std::vector<Ax25Address>> path = parseAx25Path(s.settings.unprotoVia.view());
  s.check(source && path, "the station's callsign and path make a frame");
  if (source && path) {
    const Ax25UiFrame own{*parseAx25Address(kOwnDestination), *source, *path, ownReport(s)};
    lines << latin1("Sent: " + monitorLine(own));
  }
  return networkConsole(s, lines, latin1("Link: up (KISS link " + address + ")"));
}

// APRS-IS: the login with the station's passcode and the filter around it,
// the server's answers, the feed, and F2 sent once the login is verified.
QPixmap aprsIsConsole(Scene& s) {
  const std::string call(s.settings.callsign.view());
  const StationPosition p = s.shared.values.position();
  const AprsIsLink link(s.settings.aprsIsHost.str(), s.settings.aprsIsPort,
                        AprsIsLogin{call, false, s.settings.aprsIsFilter.str(), p.latitudeDeg, p.longitudeDeg});
  const std::string login = withoutLineEnd(link.loginLine());
  QStringList lines;
  lines << latin1(textf("APRS-IS: connected to %s:%d.", s.settings.aprsIsHost.str().c_str(), s.settings.aprsIsPort))
        << latin1("APRS-IS: " + login) << QStringLiteral("# aprs-is server T2BOSTON 2.1")
        << latin1("# logresp " + call + " verified, server T2BOSTON");
  // The connection is five minutes old. Packets heard on the air reach the
  // internet through an igate, which adds itself to the path.
  constexpr std::int64_t kConnectedSeconds = 300;
  for (const demo::HeardLine& line : demo::demoTraffic()) {
    if (line.unixSeconds < demo::demoInstant() - kConnectedSeconds) continue;
    std::string text = line.text;
    if (text.find("TCPIP") == std::string::npos) text.insert(text.find(':'), ",qAR,W1DGE-10");
    lines << latin1(text);
  }
  lines << QStringLiteral("# 12 Jun 2026 14:32:00 GMT T2BOSTON 192.0.2.44:14580")
        << latin1("Sent: " + call + ">" + std::string(kOwnDestination) + ",TCPIP*:" + ownReport(s));
  return networkConsole(
      s, lines, latin1(textf("Link: up (APRS-IS %s:%d)", s.settings.aprsIsHost.str().c_str(), s.settings.aprsIsPort)));
}

// TNC/APRS Settings with another link kind chosen.
QPixmap linkSettings(Scene& s, LinkType type) {
  TncSettingsEdit edit = loadTncSettings(s.settings);
  edit.linkType = static_cast<int>(type);
  TncSettingsDialog d(edit, &s.console);
  const char* name = type == LinkType::KissTcp ? "kissHost" : type == LinkType::AprsIs ? "aprsIsHost" : nullptr;
  const QLineEdit* address = name == nullptr ? nullptr : d.findChild<QLineEdit*>(QString::fromLatin1(name));
  s.check(name == nullptr || (address != nullptr && address->isEnabled()), "the chosen link's address can be edited");
  return grabShown(d);
}

// Two links up for an hour, Dire Wolf on the radio and APRS-IS, with the
// IGate running: what the Links window shows of them.
class DemoLinkBoard final : public LinkBoard {
 public:
  std::vector<LinkRow> linkRows() const override {
    LinkRow dw;
    dw.name = "KISS";
    dw.end = "kiss-tcp:localhost:8001";
    dw.running = true;
    dw.condition = LinkCondition::Up;
    dw.packetsIn = 1184;
    dw.packetsOut = 3;
    dw.duplicates = 0;
    LinkRow is;
    is.name = "IS";
    is.end = "aprs-is:rotate.aprs2.net:14580";
    is.radio = false;
    is.running = true;
    is.condition = LinkCondition::Up;
    is.verified = true;
    is.packetsIn = 21950;
    is.packetsOut = 1121;
    is.duplicates = 412;
    is.lastError = "APRS-IS rotate.aprs2.net:14580: the server has been silent for two minutes";
    return {dw, is};
  }
  void openLink(std::size_t) override {}
  void closeLink(std::size_t) override {}
  void linksEdited() override {}
  IgateCounts igateCounts() const override {
    IgateCounts c;
    c.on = true;
    c.gatedToIs = 1118;
    c.refusedToIs = 66;
    c.gatedToRf = 2;
    c.refusedToRf = 21948;
    c.duplicates = 412;
    c.refusals = {{"IS>RF: not a message", 21511},
                  {"IS>RF: addressee not heard on RF in 30 minutes", 431},
                  {"IS>RF: bulletin", 6},
                  {"RF>IS: duplicate within 30 s", 41},
                  {"RF>IS: path holds TCPIP", 17},
                  {"RF>IS: own packet heard back", 6},
                  {"RF>IS: general query", 2}};
    return c;
  }
  std::string igateIdleReason() const override { return {}; }
  bool igateOn() const override { return true; }
  void setIgateOn(bool) override {}
  void igateSettingsChanged() override {}
};

// The demonstration station tracks its chosen satellites.
void trackDemoSatellites(Scene& s) {
  std::vector<ElementRecord> available = demoSatellites();
  SatelliteSelection selection(std::move(available), s.settings);
  selection.commit(s.settings, s.shared.tracker);
  s.shared.values.setPosition(demo::kStationLatitudeDeg, demo::kStationLongitudeDeg);
}

// Shows a pass window and lets its worker predict before the picture.
template <typename Window>
QPixmap grabPredicted(Window& window) {
  window.show();
  QElapsedTimer timer;
  timer.start();
  while (window.predicting() && timer.elapsed() < 10000) settle(20);
  window.refresh();
  return grabShown(window);
}

QPixmap upcomingPasses(Scene& s) {
  trackDemoSatellites(s);
  PassesWindow window(s.shared, s.clock, &s.console);
  const QPixmap picture = grabPredicted(window);
  const std::vector<PassRow> rows = window.shownRows();
  s.check(!rows.empty() && rows.front().pass.inView(s.clock.unixSeconds()), "DEMOSAT-1's pass is under way");
  return picture;
}

QPixmap skyPlot(Scene& s) {
  trackDemoSatellites(s);
  SkyPlotWindow window(s.shared, s.clock, &s.console);
  const QPixmap picture = grabPredicted(window);
  s.check(window.pass().has_value() && window.plot()->current().has_value(), "the sky plot follows DEMOSAT-1");
  return picture;
}

QPixmap trackerStatus(Scene& s) {
  trackDemoSatellites(s);

  TrackerStatusWindow window([] {}, &s.console);
  DirectTrackerUi ui(window);
  LinkOutbox noLink;  // no link is open: the pass commands go nowhere
  TrackerWorker worker(s.shared, ui, noLink);
  worker.start(demo::elementEpoch());
  for (std::int64_t t = demo::elementEpoch(); t <= demo::demoInstant(); ++t) worker.tick(t);

  QTableWidget* rows = window.table();
  const auto crossing = [rows](int row) {
    const QTableWidgetItem* item = rows->item(row, 1);
    return item == nullptr ? QString() : item->text();
  };
  s.check(rows->rowCount() == s.shared.tracker.count, "one status row per tracked satellite");
  s.check(crossing(0).endsWith(QLatin1String(" B")), "DEMOSAT-1 is being beaconed");
  s.check(crossing(1).endsWith(QLatin1String(" W")), "DEMOSAT-2 waits for its pass");
  s.check(crossing(2).endsWith(QLatin1String("  ")), "DEMOSAT-3 has no auto-beacon");
  s.check(crossing(3) == QLatin1String("Not Today"), "DEMOGEO-1 never rises");
  return grabShown(window);
}

// The map of the demonstration traffic around the station; with the
// tracker running, the satellites' footprints and ground tracks over the
// region instead.
QPixmap stationMap(Scene& s, bool trackerRunning) {
  if (trackerRunning) {
    SatelliteSelection selection(demoSatellites(), s.settings);
    selection.commit(s.settings, s.shared.tracker);
  }
  MapWindow window(MapSources{&s.shared, &s.clock, [trackerRunning] { return trackerRunning; },
                              [&s] { return std::string(s.settings.callsign.view()); }},
                   &s.console);
  const PositionTable& table = s.positions.table();
  for (std::size_t i = 0; i < table.size(); ++i) window.stationChanged(table.row(i));
  window.resize(1000, 700);
  window.show();
  settle();
  if (trackerRunning) {
    window.view()->showArea({demo::kStationLatitudeDeg, demo::kStationLongitudeDeg - 20.0}, 256.0 * 8);
  } else {
    window.view()->showArea({demo::kStationLatitudeDeg - 0.05, demo::kStationLongitudeDeg - 0.25}, 256.0 * 1024);
    window.setSelection({"KB1XYZ-7"});
  }
  window.view()->onCursorMoved(window.view()->scene().view().geoAt({500.0, 300.0}));
  s.check(window.view()->scene().size() == table.size(), "the map shows every station of the position table");
  s.check(!trackerRunning || window.view()->satellites().size() == static_cast<std::size_t>(s.shared.tracker.count),
          "the map shows every tracked satellite");
  settle();
  return window.grab();
}

QPixmap satelliteSelection(Scene& s) {
  SatelliteSelection selection(demoSatellites(), s.settings);
  SatelliteSelectionDialog dialog(selection, QString(), &s.console);
  dialog.availableList()->setCurrentIndex(0);
  emit dialog.availableList()->activated(0);
  s.check(dialog.selectedList()->count() == s.settings.satellitesObserved, "every chosen satellite is listed");
  return grabShown(dialog);
}

QPixmap menu(Scene& s, const QString& title) {
  for (QAction* a : s.console.menuBar()->actions()) {
    if (a->menu() == nullptr || a->text() != title) continue;
    QMenu* m = a->menu();
    m->popup(s.console.mapToGlobal(QPoint(20, 20)));
    settle();
    QPixmap picture = m->grab();
    m->hide();
    return picture;
  }
  s.check(false, "every menu exists");
  return {};
}

struct Shot {
  const char* name;
  std::function<QPixmap(Scene&)> take;
};

std::vector<Shot> shots() {
  return {
      {"main-window",
       [](Scene& s) {
         // The status bar as a station on its text-mode TNC with a GPS fix shows it.
         s.console.setStatus(StatusPart::Link, QStringLiteral("Link: up (COM1 (/dev/ttyUSB0))"));
         s.console.setStatus(StatusPart::Gps, QStringLiteral("GPS: fix at 14:32:06 UTC"));
         s.console.setStatus(StatusPart::Tracker, QStringLiteral("Tracker: next crossing ISS in 01:12:40"));
         return grabShown(s.console);
       }},
      {"menu-file", [](Scene& s) { return menu(s, QStringLiteral("File")); }},
      {"menu-tnc", [](Scene& s) { return menu(s, QStringLiteral("TNC")); }},
      {"menu-settings", [](Scene& s) { return menu(s, QStringLiteral("Settings")); }},
      {"menu-gps", [](Scene& s) { return menu(s, QStringLiteral("GPS")); }},
      {"menu-text-filter", [](Scene& s) { return menu(s, QStringLiteral("Text Filter")); }},
      {"menu-tracker", [](Scene& s) { return menu(s, QStringLiteral("Tracker")); }},
      {"menu-help", [](Scene& s) { return menu(s, QStringLiteral("Help")); }},
      {"received-position-data", [](Scene& s) { return grabShown(s.positions); }},
      {"received-stations", [](Scene& s) { return grabShown(s.stations); }},
      {"tnc-settings",
       [](Scene& s) {
         TncSettingsDialog d(loadTncSettings(s.settings), &s.console);
         return grabShown(d);
       }},
      {"tnc-settings-kiss", [](Scene& s) { return linkSettings(s, LinkType::KissSerial); }},
      {"tnc-settings-kiss-tcp", [](Scene& s) { return linkSettings(s, LinkType::KissTcp); }},
      {"tnc-settings-aprs-is", [](Scene& s) { return linkSettings(s, LinkType::AprsIs); }},
      {"main-window-kiss-tcp", kissConsole},
      {"links",
       [](Scene& s) {
         DemoLinkBoard board;
         LinksWindow window(board, s.settings, &s.console);
         return grabShown(window);
       }},
      {"main-window-aprs-is", aprsIsConsole},
      {"station-data",
       [](Scene& s) {
         StationDataDialog d(loadStationData(s.settings), &s.console);
         return grabShown(d);
       }},
      {"station-data-refused",
       [](Scene& s) {
         StationDataDialog d(loadStationData(s.settings), &s.console);
         d.field("callsign")->setText(QStringLiteral("N0CALL-15ABCDE"));
         d.field("direction")->setText(QStringLiteral("400"));
         return grabShown(d);
       }},
      {"tnc-settings-refused",
       [](Scene& s) {
         TncSettingsDialog d(loadTncSettings(s.settings), &s.console);
         d.unprotoViaField()->setText(QStringLiteral("WIDE1-1,WIDE2_1"));
         d.kissPortField()->setText(QStringLiteral("99999"));
         return grabShown(d);
       }},
      {"gps-settings",
       [](Scene& s) {
         GpsSettingsDialog d({s.settings.gpsPortNumber, s.settings.gpsType, s.settings.gpsdHost.str(),
                              s.settings.gpsdPort},
                             &s.console);
         return grabShown(d);
       }},
      {"gps-settings-gpsd",
       [](Scene& s) {
         GpsSettingsDialog d({s.settings.gpsPortNumber, static_cast<int>(GpsType::Gpsd), s.settings.gpsdHost.str(), s.settings.gpsdPort},
                             &s.console);
         return grabShown(d);
       }},
      {"email-addresses",
       [](Scene& s) {
         AddressBookDialog d(loadAddressBook(s.settings), &s.console);
         return grabShown(d);
       }},
      {"filter-strings",
       [](Scene& s) {
         FilterStringsDialog d(s.shared.values.filterStrings(), &s.console);
         return grabShown(d);
       }},
      {"satellite-selection", satelliteSelection},
      {"map", [](Scene& s) { return stationMap(s, false); }},
      {"map-tracker", [](Scene& s) { return stationMap(s, true); }},
      {"tracker-status", trackerStatus},
      {"passes", upcomingPasses},
      {"sky-plot", skyPlot},
      {"about", [](Scene& s) { return grabModal([&s] { s.console.showAbout(); }); }},
      {"device-open-error",
       [](Scene& s) {
         return grabModal([&s] {
           s.console.askDeviceOpenError(QStringLiteral("TNC port COM1 (/dev/ttyS0): no answer to Ctrl-C and two Returns"));
         });
       }},
  };
}

int usage(const std::vector<Shot>& all) {
  std::fprintf(stderr, "usage: tervane-screenshots FOLDER [NAME...]\nnames:");
  for (const Shot& shot : all) std::fprintf(stderr, " %s", shot.name);
  std::fprintf(stderr, "\n");
  return 2;
}

int run(int argc, char** argv) {
  const std::vector<Shot> all = shots();
  if (argc < 2) return usage(all);
  std::vector<const Shot*> chosen;
  for (int i = 2; i < argc; ++i) {
    const Shot* found = nullptr;
    for (const Shot& shot : all) {
      if (std::string(argv[i]) == shot.name) found = &shot;
    }
    if (found == nullptr) return usage(all);
    chosen.push_back(found);
  }
  if (chosen.empty()) {
    for (const Shot& shot : all) chosen.push_back(&shot);
  }

  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "tervane-screenshots: cannot create %s\n", argv[1]);
    return 1;
  }

  Scene scene;
  fillConsole(scene);
  fillStationWindows(scene);
  scene.console.show();
  settle();

  int failures = 0;
  for (const Shot* shot : chosen) {
    const QPixmap picture = shot->take(scene);
    const QString path = QDir(folder).filePath(QString::fromLatin1(shot->name) + QStringLiteral(".png"));
    if (picture.isNull() || !picture.save(path, "PNG")) {
      std::fprintf(stderr, "tervane-screenshots: no picture of %s\n", shot->name);
      ++failures;
      continue;
    }
    std::printf("%s\t%dx%d\n", path.toLocal8Bit().constData(), picture.width(), picture.height());
  }
  for (const std::string& problem : scene.problems) {
    std::fprintf(stderr, "tervane-screenshots: the demonstration does not show: %s\n", problem.c_str());
    ++failures;
  }
  scene.console.hide();
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tervane

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TervaneAPRS"));
  QApplication::setOrganizationName(QStringLiteral("TervaneWare"));
  return tervane::run(argc, argv);
}
