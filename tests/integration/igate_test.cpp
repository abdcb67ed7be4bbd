// Two links at once and the IGate, end to end: the real Dire Wolf on the
// radio side and our loopback APRS-IS server on the other, the station
// wired as the application wires it. What Dire Wolf hears goes up as the
// IGate rules say, a message from APRS-IS to a station heard on RF goes out
// through Dire Wolf in the third-party form, and nothing the rules refuse is
// gated. When aprx is installed, it gates the same radio traffic to a server
// of its own and both uploads are compared.

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSet>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "tests/integration/direwolf.h"
#include "tests/integration/simulator_process.h"
#include "tests/integration/station_rig.h"
#include "tnc/aprs_is.h"
#include "tnc/links_window.h"

using namespace tervane;

namespace {

constexpr const char* kIgate = "K1TVA-10";

// What the radio hears, and whether the IGate sends it up (as what).
struct Heard {
  const char* packet;
  const char* uploaded;  // nullptr: refused
};
const Heard kHeard[] = {
    {"KB1XYZ-7>APRS,WIDE1-1:=4216.91N/07114.76W>Mobile on Rt 128",
     "KB1XYZ-7>APRS,WIDE1-1,qAR,K1TVA-10:=4216.91N/07114.76W>Mobile on Rt 128"},
    {"W1ABC-9>APTW01,W1ABC-1*,WIDE2-1:!4225.31N/07103.47W_220/004g005t058",
     "W1ABC-9>APTW01,W1ABC-1*,WIDE2-1,qAR,K1TVA-10:!4225.31N/07103.47W_220/004g005t058"},
    {"K1DEF>APRS,TCPIP*:>came from the internet", nullptr},
    {"K1GHI>APRS,NOGATE:>keep me off the internet", nullptr},
    {"K1JKL>APRS,RFONLY:!4220.00N/07110.00W-radio only", nullptr},
    {"K1MNO>APRS,WIDE1-1:?APRS?", nullptr},
    {"K1TVA-10>APRS,W1ABC-1*:>the gate's own packet heard back", nullptr},
    {"K1PQR>APRS,WIDE2-1:}W1XYZ>APRS,TCPIP,K1STU*:>inner from the internet", nullptr},
    {"K1PQR>APRS,WIDE2-1:}W1XYZ-5>APRS,WIDE1-1:>inner heard on RF", "W1XYZ-5>APRS,WIDE1-1,qAR,K1TVA-10:>inner heard on RF"},
    {"K1VWX>APRS,WIDE2-1:>also on APRS-IS", "K1VWX>APRS,WIDE2-1,qAR,K1TVA-10:>also on APRS-IS"},
    // A digipeated copy of the first packet: the same packet within 30 s.
    {"KB1XYZ-7>APRS,W1ABC-1*:=4216.91N/07114.76W>Mobile on Rt 128", nullptr},
};

// What APRS-IS sends, again and again: one message to a station heard on
// RF, one to a station never heard, a bulletin, and a packet that also comes
// on the radio.
const char* const kFromIs[] = {
    "W1XYZ>APRS,TCPIP*,qAC,T2TEST::KB1XYZ-7 :hello via the gate{1",
    "W1XYZ>APRS,TCPIP*,qAC,T2TEST::K9NOT    :nobody here hears you{2",
    "W1XYZ>APRS,TCPIP*,qAC,T2TEST::BLN1     :a bulletin for all",
    "K1VWX>APRS,TCPIP*,qAC,T2TEST:>also on APRS-IS",
    "K1ZZZ>APRS,TCPIP*,qAC,T2TEST:!4230.00N/07100.00W-on the internet",
};

QStringList uploads(const SimulatedAprsIs& server) {
  QStringList up;
  for (const QString& line : server.log()) {
    if (line.startsWith(QStringLiteral("RX\t")) && line.contains(QStringLiteral(",qAR,"))) up << line.mid(3);
  }
  return up;
}

QStringList radioPackets() {
  QStringList packets;
  for (const Heard& h : kHeard) packets << QString::fromLatin1(h.packet);
  return packets;
}

QString fromIsFile(const QTemporaryDir& dir) {
  const QString path = dir.filePath(QStringLiteral("from-is.txt"));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    for (const char* line : kFromIs) file.write(QByteArray(line) + "\r\n");
  }
  return path;
}

struct Gate : StationRig {
  LinksWindow links{link, settings, &console};

  explicit Gate(const QString& linkChoice) {
    qputenv("TERVANEAPRS_LINK", linkChoice.toLocal8Bit());
    settings.callsign = kIgate;
    settings.unprotoVia = "WIDE1-1";
    settings.latitude = "42.36";
    settings.longitude = "-71.06";
    settings.igateOn = 1;
    wire();
    start();
    console.action("tncOpen")->trigger();
  }
  ~Gate() { closeTnc(); }
  QString cell(int row, int column) const {
    const QTableWidgetItem* item = links.table()->item(row, column);
    return item != nullptr ? item->text() : QString();
  }
};

}  // namespace

class IgateTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    if (!direwolf::installed()) QSKIP("Dire Wolf (direwolf, gen_packets, atest) is not installed");
  }

  void gatesBothWaysAsTheRulesSay() {
    QTemporaryDir dir;
    direwolf::Instance dw({.transmitToFile = true});
    SimulatedAprsIs server({"--rate", "0", "--count", "0", "--send", fromIsFile(dir), "--send-every", "2"});
    Gate g(QStringLiteral("kiss-tcp:127.0.0.1:%1,").arg(dw.kissPort()) + server.link());
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(g.shown().contains(QStringLiteral("[IS] # logresp K1TVA-10 verified")), 10000);
    // The APRS-IS copy comes first; the radio's copy is then the same packet.
    QTRY_VERIFY_WITH_TIMEOUT(g.shown().contains(QStringLiteral("[IS] K1VWX>APRS,TCPIP*,qAC,T2TEST:>also on APRS-IS")),
                             5000);
    // Silence after the packets, so that Dire Wolf finds the channel clear
    // and transmits.
    dw.feed(direwolf::afskAudio(radioPackets(), 44100) + QByteArray(2 * 44100, '\0'));

    QStringList expected;
    for (const Heard& h : kHeard) {
      if (h.uploaded != nullptr) expected << QString::fromLatin1(h.uploaded);
    }
    QTRY_COMPARE_WITH_TIMEOUT(uploads(server), expected, 20000);
    // Shown once each: the radio's copy of what APRS-IS brought first is not
    // shown again; the first link's lines have no name before them.
    const QString shown = g.shown();
    QVERIFY(shown.contains(QStringLiteral("\nKB1XYZ-7>APRS,WIDE1-1:=4216.91N")));
    QVERIFY(!shown.contains(QStringLiteral("\nK1VWX>APRS,WIDE2-1:>also on APRS-IS")));

    // The message to the station heard on RF goes out through Dire Wolf,
    // once; nothing else from APRS-IS does.
    const QString thirdParty =
        QStringLiteral("K1TVA-10>APZTVA,WIDE1-1:}W1XYZ>APRS,TCPIP,K1TVA-10*::KB1XYZ-7 :hello via the gate{1");
    QTRY_VERIFY_WITH_TIMEOUT(direwolf::decodeTransmitted(dw.transmitFile(), 44100).contains(thirdParty), 20000);
    QTest::qWait(4500);  // two more rounds of the server's messages
    const QStringList sent = direwolf::decodeTransmitted(dw.transmitFile(), 44100).filter(QStringLiteral(":}"));
    QCOMPARE(sent, QStringList{thirdParty});

    // The Links window: both links up, and what the gate did each way.
    g.links.show();
    g.links.refresh();
    QCOMPARE(g.cell(0, 0), QStringLiteral("KISS"));
    QCOMPARE(g.cell(0, 3), QStringLiteral("up"));
    QCOMPARE(g.cell(1, 0), QStringLiteral("IS"));
    QCOMPARE(g.cell(1, 3), QStringLiteral("up"));
    const IgateCounts c = g.link.igateCounts();
    QCOMPARE(c.gatedToIs, static_cast<std::uint64_t>(expected.size()));
    QCOMPARE(c.gatedToRf, std::uint64_t{1});
    QCOMPARE(c.duplicates, std::uint64_t{1});
    QCOMPARE(c.refusals.at("RF>IS: path holds NOGATE"), std::uint64_t{1});
    QCOMPARE(c.refusals.at("IS>RF: bulletin") >= 1, true);

    // How each station was heard, in the Position window.
    const QAbstractItemModel* rows = g.positions.view()->model();
    QMap<QString, QString> heard;
    for (int r = 0; r < rows->rowCount(); ++r) heard[rows->index(r, 0).data().toString()] = rows->index(r, 7).data().toString();
    QCOMPARE(heard.value(QStringLiteral("K1JKL")), QStringLiteral("RF"));
    QCOMPARE(heard.value(QStringLiteral("W1ABC-9")), QStringLiteral("RF via digi"));
    QCOMPARE(heard.value(QStringLiteral("K1ZZZ")), QStringLiteral("APRS-IS"));
    // The row says how its last report came: the digipeated copy.
    QCOMPARE(heard.value(QStringLiteral("KB1XYZ-7")), QStringLiteral("RF via digi"));
  }

  // aprx, a well-known IGate, on the same Dire Wolf with a server of its
  // own: both upload the same packets, apart from the login after qAR.
  void uploadsWhatAprxUploads() {
    if (QStandardPaths::findExecutable(QStringLiteral("aprx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")})
            .isEmpty()) {
      QSKIP("aprx is not installed");
    }
    direwolf::Instance dw({});
    // aprx tries a refused connection again only after half a minute.
    QTRY_VERIFY_WITH_TIMEOUT(dw.log().contains(QStringLiteral("Ready to accept KISS TCP client")), 10000);
    SimulatedAprsIs ours({"--rate", "0", "--count", "0"});
    SimulatedAprsIs theirs({"--rate", "0", "--count", "0"});
    QTemporaryDir dir;
    const QString host = theirs.device().section(QLatin1Char(':'), 0, 0);
    const QString port = theirs.device().section(QLatin1Char(':'), 1, 1);
    QFile conf(dir.filePath(QStringLiteral("aprx.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("mycall %1\n<aprsis>\npasscode %2\nserver %3 %4\n</aprsis>\n<logging>\n"
                              "pidfile %5/aprx.pid\nrflog %5/aprx-rf.log\naprxlog %5/aprx.log\n</logging>\n"
                              "<interface>\ntcp-device 127.0.0.1 %6 KISS\ncallsign %1\ntx-ok false\n"
                              "telem-to-is false\n</interface>\n")
                   .arg(QString::fromLatin1(kIgate))
                   .arg(aprsIsPasscode(kIgate))
                   .arg(host, port, dir.path())
                   .arg(dw.kissPort())
                   .toLatin1());
    conf.close();
    QProcess aprx;
    aprx.setWorkingDirectory(dir.path());
    aprx.setProcessChannelMode(QProcess::MergedChannels);
    aprx.setStandardOutputFile(dir.filePath(QStringLiteral("aprx.out")));
    aprx.start(QStringLiteral("aprx"), {QStringLiteral("-i"), QStringLiteral("-f"), conf.fileName()});
    QVERIFY(aprx.waitForStarted(5000));
    Gate g(ours.link().prepend(QStringLiteral("kiss-tcp:127.0.0.1:%1,").arg(dw.kissPort())));
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 2, 45000);
    QTRY_VERIFY_WITH_TIMEOUT(g.shown().contains(QStringLiteral("verified")), 10000);
    // aprx logs in to APRS-IS some seconds after it starts.
    QTRY_VERIFY_WITH_TIMEOUT(theirs.log().filter(QStringLiteral("LOGIN\t")).size() == 1, 45000);
    QTest::qWait(1000);
    dw.feed(direwolf::afskAudio(radioPackets(), 44100));
    QTRY_VERIFY_WITH_TIMEOUT(uploads(ours).size() >= 4, 20000);
    QTest::qWait(3000);  // aprx's uploads, which may come later
    aprx.terminate();
    aprx.waitForFinished(3000);
    QStringList theirUploads = uploads(theirs);
    QStringList ourUploads = uploads(ours);
    // Where the two differ, and the rule that decides it.
    const QStringList onlyOurs = QSet<QString>(ourUploads.begin(), ourUploads.end())
                                     .subtract(QSet<QString>(theirUploads.begin(), theirUploads.end()))
                                     .values();
    const QStringList onlyTheirs = QSet<QString>(theirUploads.begin(), theirUploads.end())
                                       .subtract(QSet<QString>(ourUploads.begin(), ourUploads.end()))
                                       .values();
    // aprx uploads two packets that our rules keep back: the gate's own
    // packet heard back through a digipeater ("never gate the station's own
    // packets"), and the digipeated copy of a packet gated seconds before
    // ("the same packet at most once in 30 seconds"; APRS-IS servers drop
    // such a copy too).
    QStringList onlyTheirsExpected{
        QStringLiteral("K1TVA-10>APRS,W1ABC-1*,qAR,K1TVA-10:>the gate's own packet heard back"),
        QStringLiteral("KB1XYZ-7>APRS,W1ABC-1*,qAR,K1TVA-10:=4216.91N/07114.76W>Mobile on Rt 128")};
    QStringList theirsSorted = onlyTheirs;
    theirsSorted.sort();
    onlyTheirsExpected.sort();
    QVERIFY2(onlyOurs.isEmpty(), qPrintable(onlyOurs.join(QLatin1Char('\n'))));
    QCOMPARE(theirsSorted, onlyTheirsExpected);
    QCOMPARE(ourUploads.size(), 4);
  }
};

QTEST_MAIN(IgateTest)
#include "igate_test.moc"
