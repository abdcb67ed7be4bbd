#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "dialogs/settings_dialogs.h"

using namespace tervane;

namespace {

// Opens the list's drop-down and clicks the entry at row, as the operator does.
void chooseFromDropDown(QComboBox* list, int row) {
  list->showPopup();
  QAbstractItemView* view = list->view();
  QTRY_VERIFY(view->isVisible());
  const QRect item = view->visualRect(view->model()->index(row, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
  QTRY_VERIFY(!view->isVisible());
}

// Types text into the list's field; a selection in the field is replaced.
void typeAtTheEnd(QComboBox* list, const QString& text) {
  QLineEdit* field = list->lineEdit();
  field->setFocus();
  if (!field->hasSelectedText()) field->end(false);
  QTest::keyClicks(field, text);
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void tncDialogShowsTheStoredValues() {
    StationSettings s;
    TncSettingsDialog d(loadTncSettings(s));
    QCOMPARE(d.windowTitle(), QStringLiteral("TNC/APRS Settings"));
    QCOMPARE(d.modelList()->currentText(), QStringLiteral("MFJ"));
    QCOMPARE(d.modelList()->count(), 5);
    QCOMPARE(d.modelList()->itemText(2), QStringLiteral("Kenwood DC"));
    QCOMPARE(d.baudList()->currentIndex(), -1);  // 9600 is no index of the list
    QCOMPARE(d.portList()->currentText(), QStringLiteral("COM1"));
    QVERIFY(d.tncBeaconButton()->isChecked());
    QCOMPARE(d.intervalField()->text(), QStringLiteral("  30.00"));
    QCOMPARE(d.unprotoViaField()->text(), QStringLiteral("WIDE1-1,WIDE2-1"));
  }

  void beaconMessageFieldShowsAWholeMessage() {
    StationSettings s;
    s.message = "TervaneAPRS fixed station in Boston MA, monitoring 144.390 MHz";
    TncSettingsDialog d(loadTncSettings(s));
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QLineEdit* field = d.messageField();
    const QMargins text = field->textMargins();
    const int roomPx = field->contentsRect().width() - text.left() - text.right();
    QVERIFY2(field->fontMetrics().horizontalAdvance(field->text()) < roomPx,
             qPrintable(QStringLiteral("%1 px of room").arg(roomPx)));
  }

  void mobileStationCannotChooseTheTncBeacon() {
    StationSettings s;
    s.mobile = 1;
    s.tncBeaconOn = 1;
    TncSettingsDialog d(loadTncSettings(s));
    d.show();
    QVERIFY(d.pcBeaconButton()->isChecked());
    d.tncBeaconButton()->click();
    QVERIFY(d.pcBeaconButton()->isChecked());
    QCOMPARE(d.edit().tncBeaconOn, 0);
  }

  void editsReachTheCopy() {
    StationSettings s;
    s.mobile = 0;
    TncSettingsDialog d(loadTncSettings(s));
    d.show();
    d.intervalField()->setText(QStringLiteral("2.5"));
    QCOMPARE(d.edit().intervalMinutes, 2.5);
    d.intervalField()->setText(QStringLiteral("soon"));
    QCOMPARE(d.edit().intervalMinutes, 0.0);
    d.pcBeaconButton()->click();
    QCOMPARE(d.edit().tncBeaconOn, 0);
    d.tncBeaconButton()->click();
    QCOMPARE(d.edit().tncBeaconOn, 1);
    d.messageField()->setText(QStringLiteral("Portable"));
    QCOMPARE(d.edit().comment, std::string("Portable"));
    d.baudList()->setCurrentIndex(1);
    emit d.baudList()->activated(1);
    QCOMPARE(d.edit().baudIndex, 1);
    d.modelList()->setEditText(QStringLiteral("Something else"));
    QCOMPARE(d.edit().model, 3);  // typing without picking an entry changes nothing
  }

  // The dialog's copy holds 31 characters of the unproto destination and
  // path and 63 of the comment, whether the text is stored or typed.
  void tncTextsKeepTheCopysCapacity_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("kept");
    QTest::newRow("stored UNPROTO") << QStringLiteral("unproto") << true << 31;
    QTest::newRow("typed UNPROTO") << QStringLiteral("unproto") << false << 31;
    QTest::newRow("stored UNPROTO VIA") << QStringLiteral("via") << true << 31;
    QTest::newRow("typed UNPROTO VIA") << QStringLiteral("via") << false << 31;
    QTest::newRow("typed beacon message") << QStringLiteral("message") << false << 63;
  }

  void tncTextsKeepTheCopysCapacity() {
    QFETCH(QString, field);
    QFETCH(bool, stored);
    QFETCH(int, kept);
    const std::string longText = "WIDE1-1,WIDE2-2,N0CALL-10,K1ABC-15,W1XYZ-7,AB1CD-12,EXTRA-999";
    QVERIFY(longText.size() == 61);
    StationSettings s;
    if (stored) (field == QLatin1String("unproto") ? s.unproto : s.unprotoVia) = longText;
    TncSettingsDialog d(loadTncSettings(s));
    d.show();
    QLineEdit* edit = field == QLatin1String("unproto") ? d.unprotoField()
                      : field == QLatin1String("via")   ? d.unprotoViaField()
                                                        : d.messageField();
    if (!stored) edit->setText(QString::fromStdString(longText + longText));
    const std::string& copy = field == QLatin1String("unproto") ? d.edit().unproto
                              : field == QLatin1String("via")   ? d.edit().unprotoVia
                                                                : d.edit().comment;
    QCOMPARE(copy, (longText + longText).substr(0, static_cast<std::size_t>(kept)));
    if (stored) QCOMPARE(edit->text().toStdString(), copy);  // the field shows what OK stores
  }

  void stationDialogFormatsAndReads() {
    StationSettings s;
    s.latitude = "42.3601";
    s.longitude = "-71.0589";
    s.power = "25";
    StationDataDialog d(loadStationData(s));
    QCOMPARE(d.windowTitle(), QStringLiteral("Station Data"));
    QCOMPARE(d.field("latitude")->text(), QStringLiteral(" 42.360100"));
    QCOMPARE(d.field("longitude")->text(), QStringLiteral("-71.058900"));
    QCOMPARE(d.field("power")->text(), QStringLiteral(" 25.00"));
    QVERIFY(d.fixedButton()->isChecked());
    d.show();
    d.field("longitude")->setText(QStringLiteral("-71.0589xyz"));
    QCOMPARE(d.edit().longitudeDeg, -71.0589);
    d.field("height")->setText(QStringLiteral("tall"));
    QCOMPARE(d.edit().heightFt, 0.0);
    d.field("callsign")->setText(QString(40, QLatin1Char('K')));
    QCOMPARE(d.edit().callsign.size(), std::size_t{31});
    d.mobileButton()->click();
    QVERIFY(d.edit().mobile);
  }

  void gpsDialogDefaults() {
    GpsSettingsDialog d({1, 0});
    QCOMPARE(d.windowTitle(), QStringLiteral("GPS Receiver Settings"));
    QCOMPARE(d.portList()->currentText(), QStringLiteral("COM2"));
    QCOMPARE(d.typeList()->currentText(), QStringLiteral("Garmin"));
    QVERIFY(!d.gpsdHostField()->isEnabled());
    d.typeList()->setCurrentIndex(1);
    emit d.typeList()->activated(1);
    QCOMPARE(d.typeIndex(), 1);
    GpsSettingsDialog odd({7, 5});
    QCOMPARE(odd.portList()->currentIndex(), -1);
    QCOMPARE(odd.portIndex(), 7);
  }

  void gpsdChoiceTakesHostAndPort() {
    GpsSettingsDialog d({1, 0, "localhost", 2947});
    d.show();
    d.typeList()->setCurrentIndex(2);
    emit d.typeList()->activated(2);
    QCOMPARE(d.typeList()->currentText(), QStringLiteral("gpsd"));
    QCOMPARE(d.edit().typeIndex, 2);
    QVERIFY(!d.portList()->isEnabled());
    QVERIFY(d.gpsdHostField()->isEnabled());
    QCOMPARE(d.gpsdPortField()->text(), QStringLiteral("2947"));
    d.gpsdHostField()->setText(QStringLiteral(" gps.example.org "));
    d.gpsdPortField()->setText(QStringLiteral("29470x"));
    QCOMPARE(d.edit().gpsdHost, std::string("gps.example.org"));
    QCOMPARE(d.edit().gpsdPort, 29470);
    d.gpsdPortField()->setText(QStringLiteral("99999999999"));
    QCOMPARE(d.edit().gpsdPort, 0);  // no TCP port
    d.gpsdHostField()->setText(QString(80, QLatin1Char('h')));
    QCOMPARE(d.edit().gpsdHost.size(), std::size_t{63});
  }

  void addressBookEditsInPlace() {
    StationSettings s;
    s.emailNumber = 3;
    s.nickname[0] = "home";
    s.nickname[1] = "club";
    s.nickname[2] = "net";
    s.address[1] = "club@example.org";
    s.emailSelected = 1;
    AddressBookDialog d(loadAddressBook(s));
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("Select/Edit Email Address"));
    QCOMPARE(d.nicknameList()->count(), 3);
    QCOMPARE(d.nicknameList()->currentText(), QStringLiteral("club"));
    QCOMPARE(d.addressField()->text(), QStringLiteral("club@example.org"));
    d.nicknameList()->lineEdit()->setFocus();
    d.nicknameList()->lineEdit()->end(false);
    QTest::keyClicks(d.nicknameList()->lineEdit(), QStringLiteral("house"));
    QCOMPARE(d.nicknameList()->count(), 3);  // no second item for the same entry
    QCOMPARE(d.nicknameList()->itemText(1), QStringLiteral("clubhouse"));
    QCOMPARE(d.edit().nicknames[1], std::string("clubhouse"));
    d.addressField()->setText(QStringLiteral("new@example.org"));
    QCOMPARE(d.edit().addresses[1], std::string("new@example.org"));

    d.deleteButton()->click();
    QCOMPARE(d.edit().count, 2);
    QCOMPARE(d.nicknameList()->count(), 2);
    QCOMPARE(d.nicknameList()->itemText(1), QStringLiteral("net"));
    QCOMPARE(d.edit().selected, 0);

    d.addButton()->click();
    QCOMPARE(d.edit().count, 3);
    QCOMPARE(d.edit().selected, 2);
    QVERIFY(d.addressField()->text().isEmpty());
    QTest::keyClicks(d.nicknameList()->lineEdit(), QStringLiteral("friend"));
    QCOMPARE(d.nicknameList()->count(), 3);
    QCOMPARE(d.nicknameList()->itemText(2), QStringLiteral("friend"));

    QTest::keyClick(&d, Qt::Key_Escape);  // closes and keeps the edits
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.edit().nicknames[2], std::string("friend"));

    // Texts are kept as UTF-8, whatever the script; a nickname stored in
    // Latin-1 by an earlier version still shows as it did.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(" B\u00f8b \u65e5\u672c"));
    QApplication::sendEvent(d.nicknameList()->lineEdit(), &typed);
    QCOMPARE(d.edit().nicknames[2], std::string("friend B\xc3\xb8" "b \xe6\x97\xa5\xe6\x9c\xac"));
    s.nickname[0] = "B\xf8" "b";
    AddressBookDialog old(loadAddressBook(s));
    QCOMPARE(old.nicknameList()->itemText(0), QStringLiteral("B\u00f8b"));
    StationSettings again;
    WorkingValues values;
    applyAddressBook(d.edit(), again, values);
    AddressBookDialog reopened(loadAddressBook(again));
    QCOMPARE(reopened.nicknameList()->itemText(2), QStringLiteral("friend B\u00f8b \u65e5\u672c"));
  }

  // Choosing from a drop-down selects an entry; only typing changes a text,
  // and what is typed stays as typed, however much it resembles an entry.
  void listsTellChoosingFromTyping_data() {
    QTest::addColumn<bool>("addressBook");
    QTest::addColumn<bool>("addFirst");
    QTest::addColumn<int>("chosenRow");  // -1: nothing chosen
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("nicknames");
    const QStringList book{QStringLiteral("Alice"), QStringLiteral("Bert"), QStringLiteral("Carol")};
    QTest::newRow("choosing a nickname selects its entry")
        << true << false << 0 << QString() << QStringLiteral("Alice") << 0 << book;
    QTest::newRow("typing renames the selected entry")
        << true << false << -1 << QStringLiteral("ine") << QStringLiteral("Caroline") << 2
        << QStringList{QStringLiteral("Alice"), QStringLiteral("Bert"), QStringLiteral("Caroline")};
    QTest::newRow("a new entry keeps a typed prefix of a stored nickname")
        << true << true << -1 << QStringLiteral("Be") << QStringLiteral("Be") << 3
        << QStringList{QStringLiteral("Alice"), QStringLiteral("Bert"), QStringLiteral("Carol"), QStringLiteral("Be")};
    QTest::newRow("typing part of a model name keeps the stored model")
        << false << false << -1 << QStringLiteral("Ke") << QStringLiteral("Ke") << 3 << QStringList();
    QTest::newRow("choosing a model takes its index")
        << false << false << 2 << QString() << QStringLiteral("Kenwood DC") << 2 << QStringList();
  }

  void listsTellChoosingFromTyping() {
    QFETCH(bool, addressBook);
    QFETCH(bool, addFirst);
    QFETCH(int, chosenRow);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, selected);
    QFETCH(QStringList, nicknames);
    StationSettings s;
    s.emailNumber = 3;
    const char* names[] = {"Alice", "Bert", "Carol"};
    for (std::size_t i = 0; i < 3; ++i) {
      s.nickname[i] = names[i];
      s.address[i] = std::string(names[i]) + "@example.org";
    }
    s.emailSelected = 2;
    if (addressBook) {
      AddressBookDialog d(loadAddressBook(s));
      d.show();
      QVERIFY(QTest::qWaitForWindowExposed(&d));
      if (addFirst) d.addButton()->click();
      if (chosenRow >= 0) chooseFromDropDown(d.nicknameList(), chosenRow);
      typeAtTheEnd(d.nicknameList(), typed);
      QCOMPARE(d.nicknameList()->currentText(), shown);
      QCOMPARE(d.edit().selected, selected);
      QCOMPARE(d.edit().count, static_cast<int>(nicknames.size()));
      for (int i = 0; i < nicknames.size(); ++i) {
        QCOMPARE(QString::fromStdString(d.edit().nicknames[static_cast<std::size_t>(i)]), nicknames[i]);
        QCOMPARE(d.nicknameList()->itemText(i), nicknames[i]);
      }
      const std::string address = selected < 3 ? std::string(names[selected]) + "@example.org" : std::string();
      QCOMPARE(d.addressField()->text().toStdString(), address);
      QCOMPARE(d.edit().addresses[static_cast<std::size_t>(selected)], address);
    } else {
      TncSettingsDialog d(loadTncSettings(s));
      d.show();
      QVERIFY(QTest::qWaitForWindowExposed(&d));
      if (chosenRow >= 0) chooseFromDropDown(d.modelList(), chosenRow);
      if (!typed.isEmpty()) {
        d.modelList()->lineEdit()->selectAll();
        typeAtTheEnd(d.modelList(), typed);
        d.okButton()->setFocus();  // leaving the box is no choice either
      }
      QCOMPARE(d.modelList()->currentText(), shown);
      QCOMPARE(d.edit().model, selected);
    }
  }

  // A value the setting cannot carry is refused where it is typed: the note
  // beside the field says why and OK (the button and the Enter key) does not
  // close the dialog, until the value is put right.
  void refusedValuesKeepTheDialogOpenAndSayWhy_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("because");
    QTest::newRow("latitude beyond the pole") << "station" << "latitude" << "91" << "-90";
    QTest::newRow("longitude beyond the date line") << "station" << "longitude" << "-181" << "-180";
    QTest::newRow("negative power") << "station" << "power" << "-5" << "watts";
    QTest::newRow("height that is no number") << "station" << "height" << "abc" << "feet";
    QTest::newRow("gain with no PHG digit") << "station" << "gain" << "1e9" << "dB";
    QTest::newRow("direction with no PHG digit") << "station" << "direction" << "400" << "360";
    QTest::newRow("14-character callsign") << "station" << "callsign" << "N0CALL-15ABCDE" << "N0CALL-15";
    QTest::newRow("KISS port beyond 65535") << "tnc" << "kissPort" << "99999" << "65535";
    QTest::newRow("APRS-IS port that is no number") << "tnc" << "aprsIsPort" << "abc" << "65535";
    QTest::newRow("path AX.25 cannot carry") << "tnc" << "unprotoVia" << "WIDE1-1,WIDE2_1" << "digipeaters";
    QTest::newRow("negative beacon interval") << "tnc" << "interval" << "-5" << "negative";
    QTest::newRow("APRS-IS filter the server cannot read") << "tnc" << "aprsIsFilter" << QStringLiteral("b/M\u00e4\u00f6*")
                                                           << "ASCII";
    QTest::newRow("gpsd port that is no number") << "gps" << "gpsdPort" << "abc" << "65535";
  }

  void refusedValuesKeepTheDialogOpenAndSayWhy() {
    QFETCH(QString, dialog);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, because);
    StationSettings s;
    std::unique_ptr<QDialog> d;
    const FieldRefusals* refusals = nullptr;
    QPushButton* ok = nullptr;
    if (dialog == QLatin1String("station")) {
      auto* station = new StationDataDialog(loadStationData(s));
      refusals = &station->refusals();
      ok = station->okButton();
      d.reset(station);
    } else if (dialog == QLatin1String("tnc")) {
      // A network link's fields are open to typing while that link is chosen.
      if (field == QLatin1String("kissPort")) s.linkType = static_cast<int>(LinkType::KissTcp);
      if (field.startsWith(QLatin1String("aprsIs"))) s.linkType = static_cast<int>(LinkType::AprsIs);
      auto* tnc = new TncSettingsDialog(loadTncSettings(s));
      refusals = &tnc->refusals();
      ok = tnc->okButton();
      d.reset(tnc);
    } else {
      auto* gps = new GpsSettingsDialog({1, static_cast<int>(GpsType::Gpsd), "localhost", 2947});
      refusals = &gps->refusals();
      ok = gps->okButton();
      d.reset(gps);
    }
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d.get()));
    auto* edit = d->findChild<QLineEdit*>(field);
    QVERIFY(edit != nullptr);
    const QString stored = edit->text();
    QVERIFY2(!refusals->anyRefused(), "the stored settings are taken");
    QVERIFY(ok->isEnabled());

    edit->setFocus();
    edit->selectAll();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);  // typed as one, umlauts too
    QApplication::sendEvent(edit, &key);
    QCOMPARE(edit->text(), typed);
    QLabel* note = refusals->noteOf(edit);
    QVERIFY(note != nullptr);
    QVERIFY(note->isVisible());
    QVERIFY2(note->text().contains(because), qPrintable(note->text()));
    QVERIFY(!ok->isEnabled());
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));

    edit->setText(stored);
    QVERIFY(!note->isVisible());
    QVERIFY(ok->isEnabled());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(d->result(), int(QDialog::Accepted));
  }

  void storedLatitudeOffTheGlobeIsRefusedOnOpening() {
    StationSettings s;
    s.latitude = "200";
    StationDataDialog d(loadStationData(s));
    QVERIFY(d.refusals().refused(d.field("latitude")));
    QVERIFY(!d.okButton()->isEnabled());
  }

  void addressBookAddRefusedAtSixteen() {
    StationSettings s;
    s.emailNumber = 16;
    AddressBookDialog d(loadAddressBook(s));
    d.addButton()->click();
    QCOMPARE(d.edit().count, 16);
  }
};

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
