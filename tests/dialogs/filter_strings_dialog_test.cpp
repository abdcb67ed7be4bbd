#include <QPlainTextEdit>
#include <QTest>

#include "dialogs/filter_strings_dialog.h"

using namespace tervane;

class FilterStringsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithSixteenLines() {
    FilterStrings f{};
    f[1] = "WIDE";
    FilterStringsDialog d(f);
    QCOMPARE(d.textField()->toPlainText().count(QLatin1Char('\n')), 16);
    QCOMPARE(d.textField()->toPlainText().section(QLatin1Char('\n'), 1, 1), QStringLiteral("WIDE"));
  }

  void typingReparsesAndEnterConfirms() {
    FilterStringsDialog d(FilterStrings{});
    d.show();
    d.textField()->selectAll();
    QTest::keyClicks(d.textField(), QStringLiteral("A"));
    QTest::keyClick(d.textField(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(d.textField(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(d.textField(), QStringLiteral("B"));
    QCOMPARE(d.textField()->toPlainText(), QStringLiteral("A\n\nB"));
    QCOMPARE(d.filters()[0].str(), std::string("A"));
    QCOMPARE(d.filters()[1].str(), std::string("B"));
    QVERIFY(d.filters()[2].empty());
    QTest::keyClick(d.textField(), Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }

  void leadingBreakAndLongLines() {
    FilterStringsDialog d(FilterStrings{});
    d.textField()->setPlainText(QStringLiteral("\nA\n") + QString(40, QLatin1Char('x')));
    QVERIFY(d.filters()[0].empty());
    QCOMPARE(d.filters()[1].str(), std::string("A"));
    QCOMPARE(d.filters()[2].size(), std::size_t{31});
  }

  void unchangedOkKeepsTheLoadedTable() {
    FilterStrings f{};
    f[5] = "slot five";
    FilterStringsDialog d(f);
    QCOMPARE(d.filters()[5].str(), std::string("slot five"));
  }

  void escapeCancels() {
    FilterStringsDialog d(FilterStrings{});
    d.show();
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(d.result(), int(QDialog::Rejected));
  }
};

QTEST_MAIN(FilterStringsDialogTest)
#include "filter_strings_dialog_test.moc"
