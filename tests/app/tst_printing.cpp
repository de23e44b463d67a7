// Printing from the window: what of the window reaches the sheet, the status after it, and the
// guard of the function being off. The busy guard is tried with the exchanges, the sheet on
// paper in tests/print, the print dialog and the queues with CUPS.

#include "scriptedprinttarget.h"
#include "windowfixture.h"

#include <QTest>

class PrintingTest : public QObject, WindowFixture
{
    Q_OBJECT

    QStringList log; // the calls that the window's print targets were given
    int failingCall = -1;

private Q_SLOTS:
    void init()
    {
        log.clear();
        QVERIFY(openWindow());
        form->setPrintTargetFactory(
            [this](QPrinter &) { return std::make_unique<ScriptedTarget>(failingCall, &log); });
    }
    void cleanup() { closeWindow(); }

    void printsTheBoxesAndEmptiesTheStatus()
    {
        failingCall = -1;
        pick(switchBox(1), 0);  // "+"
        pick(switchBox(10), 2); // "-"
        click(printButton());
        QVERIFY(log.contains("line +  0  0  0  0  0  0  0  0  -"));
        QVERIFY(log.contains("line DIP-switch code: 9842"));
        QCOMPARE(statusBox()->text(), QString());
    }

    void cancelIsAPrinterError()
    {
        failingCall = 0;
        click(printButton());
        QCOMPARE(statusBox()->text(), "Printer error");
    }

    void functionOffPrintsNothing()
    {
        click(functionCheck());
        click(printButton());
        QCOMPARE(log, QStringList());
        QCOMPARE(statusBox()->text(), "SW4172-36v03-K5_DIP-switch");
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
