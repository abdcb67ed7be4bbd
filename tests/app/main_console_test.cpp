#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "base/coordination.h"
#include "app/main_console.h"
#include "platform/qt_profile_store.h"

using namespace tervane;

namespace {

// What the window hands to the open link, written as a text-mode TNC gets
// it for the kinds the window produces.
class FakeTnc {
 public:
  explicit FakeTnc(MainConsole& console, const bool& running) {
    console.commands().tncSend = [this, &running](Outbound item) {
      if (!running) return false;
      switch (item.kind) {
        case Outbound::Kind::Control:
          written_.emplace_back("\x03");
          break;
        case Outbound::Kind::Converse:
          written_.emplace_back("\x03" "conv\r");
          break;
        default:
          written_.push_back(item.text);
          break;
      }
      return true;
    };
  }
  std::vector<std::string> written() const { return written_; }
  bool waitFor(std::size_t count) const { return written_.size() >= count; }

 private:
  std::vector<std::string> written_;
};

}  // namespace

class MainConsoleTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    StationSettings settings;
    Coordination shared;
    MainConsole console{settings, shared};
    bool tncRunning = false;
    Fixture() {
      ConsoleCommands c;
      c.tncRunning = [this] { return tncRunning; };
      console.setCommands(c);
      console.initialise();
      console.show();
    }
  };

  static bool enabled(MainConsole& c, const char* name) { return c.action(QString::fromLatin1(name))->isEnabled(); }

 private slots:
  void initialMenuStates() {
    Fixture f;
    MainConsole& c = f.console;
    const struct {
      const char* item;
      bool enabled;
    } expected[] = {
        {"tncOpen", true},      {"tncClose", false},          {"tncInitialize", false},  {"gpsOn", true},
        {"gpsOff", false},      {"gpsSetClock", false},       {"gpsSetFixed", false},    {"trackerOn", true},
        {"trackerOff", false},  {"kepFile", true},            {"selectSatellites", true}, {"trackerShowStatus", false},
        {"captureStart", true}, {"captureStop", false},       {"capturePause", false},   {"captureResume", false},
        {"sendPositionReport", true}, {"email", true},
    };
    for (const auto& e : expected) QVERIFY2(enabled(c, e.item) == e.enabled, e.item);
    QVERIFY(c.action("filterFull")->isChecked());
    QVERIFY(!c.action("filterHighlight")->isChecked());
    QCOMPARE(c.windowTitle(), QStringLiteral("TervaneAPRS"));
    QCOMPARE(c.action("sendPositionReport")->text(), QStringLiteral("Send Position Report [F2]"));
    QCOMPARE(c.latitudeField()->text(), QStringLiteral(" 0.000000 S"));
    QCOMPARE(c.longitudeField()->text(), QStringLiteral("  0.000000 W"));
  }

  void tncOpenAndCloseMenuStates() {
    Fixture f;
    MainConsole& c = f.console;
    c.action("tncOpen")->trigger();
    QVERIFY(!enabled(c, "tncOpen") && enabled(c, "tncClose") && enabled(c, "tncInitialize"));
    c.action("tncClose")->trigger();
    QVERIFY(enabled(c, "tncOpen") && !enabled(c, "tncClose") && !enabled(c, "tncInitialize"));
  }

  void captureTransitions_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");  // Start Stop Pause Resume as 1/0
    QTest::newRow("start") << QStringList{"captureStart"} << "0110";
    QTest::newRow("pause") << QStringList{"captureStart", "capturePause"} << "0101";
    QTest::newRow("resume") << QStringList{"captureStart", "capturePause", "captureResume"} << "0110";
    QTest::newRow("pause then stop") << QStringList{"captureStart", "capturePause", "captureStop"} << "1000";
    QTest::newRow("stop while capturing") << QStringList{"captureStart", "captureStop"} << "1000";
  }
  void captureTransitions() {
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    Fixture f;
    for (const QString& s : steps) f.console.action(s)->trigger();
    QString got;
    for (const char* n : {"captureStart", "captureStop", "capturePause", "captureResume"})
      got += enabled(f.console, n) ? '1' : '0';
    QCOMPARE(got, expected);
  }

  void resizeLayout() {
    Fixture f;
    QWidget* client = f.console.centralWidget();
    const int menuHeight = f.console.height() - client->height();
    f.console.resize(600, 400 + menuHeight);
    QCoreApplication::processEvents();
    QCOMPARE(client->size(), QSize(600, 400));
    QCOMPARE(f.console.monitor()->geometry(), QRect(20, 60, 560, 160));
    QCOMPARE(f.console.inputLine()->geometry(), QRect(20, 280, 560, 40));
    const QRect clear = f.console.clearTextButton()->geometry();
    QCOMPARE(clear.topLeft(), QPoint(160, 240));
    QCOMPARE(f.console.timeTagButton()->geometry(), QRect(40, 240, clear.width() + 20, clear.height()));
    QCOMPARE(f.console.controlButton()->geometry(), QRect(160, 340, clear.width(), clear.height()));
    QCOMPARE(f.console.converseButton()->geometry(), QRect(40, 340, clear.width(), clear.height()));
  }

  void timeTagCaptionAlternates() {
    Fixture f;
    QPushButton* b = f.console.timeTagButton();
    QCOMPARE(b->text(), QStringLiteral("Time Tag On"));
    b->click();
    QCOMPARE(b->text(), QStringLiteral("Time Tag Off"));
    QVERIFY(f.shared.values.timeTags.load());
    b->click();
    QCOMPARE(b->text(), QStringLiteral("Time Tag On"));
    QVERIFY(!f.shared.values.timeTags.load());
  }

  void typedLinesReachTheTnc() {
    Fixture f;
    f.tncRunning = true;
    FakeTnc tnc(f.console, f.tncRunning);
    QPlainTextEdit* input = f.console.inputLine();
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("cmd test"));
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY(tnc.waitFor(1));
    QCOMPARE(input->toPlainText(), QString());
    QTest::keyClick(input, Qt::Key_Return);  // an empty line sends a lone CR
    QVERIFY(tnc.waitFor(2));
    input->setPlainText(QStringLiteral("first\nsecond\n"));  // pasted text ending in a line break
    QVERIFY(tnc.waitFor(3));
    f.console.controlButton()->click();
    f.console.converseButton()->click();
    QVERIFY(tnc.waitFor(5));
    // Any script goes out as UTF-8, and a line cut at the capacity never
    // halves a character.
    input->setPlainText(QStringLiteral("M\u00fcller \u65e5\u672c\n"));
    QVERIFY(tnc.waitFor(6));
    input->setPlainText(QString(1021, QLatin1Char('x')) + QStringLiteral("\u00fc\n"));
    QVERIFY(tnc.waitFor(7));
    const std::vector<std::string> expected = {"cmd test\r",
                                               "\r",
                                               "first\rsecond\r",
                                               "\x03",
                                               "\x03" "conv\r",
                                               "M\xc3\xbcller \xe6\x97\xa5\xe6\x9c\xac\r",
                                               std::string(1021, 'x') + "\r"};
    QCOMPARE(tnc.written(), expected);
  }

  void enterInsideTheTextDoesNotSend() {
    Fixture f;
    f.tncRunning = true;
    FakeTnc tnc(f.console, f.tncRunning);
    QPlainTextEdit* input = f.console.inputLine();
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("abcd"));
    input->moveCursor(QTextCursor::Start);
    QTest::keyClick(input, Qt::Key_Right);
    QTest::keyClick(input, Qt::Key_Return);
    QTest::qWait(50);
    QVERIFY(tnc.written().empty());
    QCOMPARE(input->toPlainText(), QStringLiteral("a\nbcd"));
  }

  void withoutAWorkerNothingIsSentAndTheLineStays() {
    Fixture f;
    QPlainTextEdit* input = f.console.inputLine();
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("hello"));
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(input->toPlainText(), QStringLiteral("hello"));
    QVERIFY(!f.console.sendToTnc(Outbound::typedLine("x\r")));
  }

  void escapeAndF5DoNothing() {
    Fixture f;
    QTest::keyClick(&f.console, Qt::Key_Escape);
    QTest::keyClick(&f.console, Qt::Key_F5);
    QTest::keyClick(f.console.inputLine(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(f.console.isVisible());
  }

  void f4RaisesTheEmailPrompt() {
    Fixture f;
    f.console.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.console));
    QTest::keyClick(f.console.inputLine(), Qt::Key_F4);
    QVERIFY(f.shared.events.emailPrompt.wait(0));
  }

  void filterModeCheckMarks() {
    Fixture f;
    f.console.action("filterHighlight")->trigger();
    QVERIFY(f.console.action("filterHighlight")->isChecked());
    QVERIFY(!f.console.action("filterFull")->isChecked());
    QCOMPARE(f.shared.values.displayMode.load(), 1);
    f.console.action("filterFilter")->trigger();
    QVERIFY(!f.console.action("filterHighlight")->isChecked());
    QVERIFY(f.console.action("filterFilter")->isChecked());
    QCOMPARE(f.shared.values.displayMode.load(), 2);
  }

  // Exit saves the settings; when that fails the operator is told where
  // and why, and chooses between exiting anyway and going back to the
  // running window (the TNC link stays open) to fix the folder.
  void exitTellsWhenTheSettingsCannotBeSaved_data() {
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("exits");
    QTest::newRow("saved: no question") << QString() << QString() << true;
    QTest::newRow("not saved, exit anyway")
        << QStringLiteral("/ro/TervaneAPRS.conf: Read-only file system") << QStringLiteral("Exit Anyway") << true;
    QTest::newRow("not saved, go back")
        << QStringLiteral("/ro/TervaneAPRS.conf: Read-only file system") << QStringLiteral("Go Back") << false;
  }

  void exitTellsWhenTheSettingsCannotBeSaved() {
    QFETCH(QString, problem);
    QFETCH(QString, answer);
    QFETCH(bool, exits);
    Fixture f;
    f.tncRunning = true;
    f.console.setTncMenuOpen(true);
    int saves = 0;
    int closes = 0;
    f.console.commands().saveSettings = [&] {
      ++saves;
      return problem.toStdString();
    };
    f.console.commands().tncClose = [&closes] { ++closes; };
    QStringList questions;
    QTimer answering;  // answers every question at once, so none can hang the test
    connect(&answering, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      questions << box->text();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == answer) b->click();
      }
      if (box->isVisible()) box->reject();
    });
    answering.start(10);
    f.console.action("exit")->trigger();
    answering.stop();
    QCOMPARE(saves, 1);
    QCOMPARE(questions.size(), problem.isEmpty() ? 0 : 1);
    if (!problem.isEmpty()) QVERIFY2(questions[0].contains(problem), qPrintable(questions[0]));
    QCOMPARE(f.console.isVisible(), !exits);
    QCOMPARE(closes, exits ? 1 : 0);
  }

  void settingsFileKeepsKindsAndIgnoresCase() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TervaneAPRS.conf"));
    {
      QtProfileStore store(path);
      store.writeText("Version 1.0", "BeaconInterval", "12.5");
      store.writeInt("Version 1.0", "tncType", 4);
      store.writeText("Version 1.0", "callsign", "N0CALL");
      store.writeText("Version 1.0", "message", "7");
      QVERIFY(store.flush());
    }
    QtProfileStore store(path);
    QCOMPARE(store.readText("Version 1.0", "beaconinterval", "x"), std::string("12.5"));
    QCOMPARE(store.readInt("Version 1.0", "TNCTYPE", 0), 4);
    QCOMPARE(store.readInt("Version 1.0", "message", -1), -1);  // a text stays a text
    QCOMPARE(store.readText("Version 1.0", "tncType", "d"), std::string("d"));
    store.writeText("Version 1.0", "beaconInterval", "3.0");
    QVERIFY(store.flush());
    QtProfileStore again(path);
    QCOMPARE(again.readText("Version 1.0", "BEACONINTERVAL", "x"), std::string("3.0"));
  }

  void settingsSurviveARestart() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TervaneAPRS.conf"));
    {
      QtProfileStore store(path);
      StationSettings s;
      s.load(store);
      s.callsign = "N0CALL-7";
      s.filterString[15] = "WIDE";
      s.save(store);
      QVERIFY(store.flush());
    }
    QtProfileStore store(path);
    StationSettings t;
    t.load(store);
    QCOMPARE(std::string(t.callsign.view()), std::string("N0CALL-7"));
    QCOMPARE(std::string(t.filterString[15].view()), std::string("WIDE"));
    QCOMPARE(t.satelliteLeadTime[15], 18);
  }
};

QTEST_MAIN(MainConsoleTest)
#include "main_console_test.moc"
