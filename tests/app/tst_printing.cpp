// Printing from the window: the guard of the function being off, Cancel, and what reaches the
// sheet. The busy guard is tried with the exchanges; the real print path with a CUPS queue.

#include "scriptedprinttarget.h"
#include "windowfixture.h"

#include <QTest>

class PrintingTest : public QObject, WindowFixture
{
    Q_OBJECT

    // The target of the last print, kept by the test: the window's own goes when the print ends.
    std::unique_ptr<ScriptedTarget> target;
    int failingCall = -1;
    int prints = 0;

    class Forward final : public PrintTarget
    {
    public:
        explicit Forward(PrintTarget &to) : m_to(to) {}
        bool showDialog() override { return m_to.showDialog(); }
        bool setFontSize(int points) override { return m_to.setFontSize(points); }
        bool printLine(const QString &text) override { return m_to.printLine(text); }
        bool endDocument() override { return m_to.endDocument(); }
        bool abandonDocument() override { return m_to.abandonDocument(); }

    private:
        PrintTarget &m_to;
    };

private Q_SLOTS:
    void init()
    {
        prints = 0;
        QVERIFY(openWindow());
        form->setPrintTargetFactory([this](QPrinter &) {
            ++prints;
            target = std::make_unique<ScriptedTarget>(failingCall);
            return std::make_unique<Forward>(*target);
        });
    }
    void cleanup() { closeWindow(); }

    void printsTheSheetAndEmptiesTheStatus()
    {
        failingCall = -1;
        pick(switchBox(1), 0);  // "+"
        pick(switchBox(10), 2); // "-"
        click(printButton());
        QCOMPARE(target->printed,
                 (QStringList{"", "", "", "DIP-switch 1-10", "+  0  0  0  0  0  0  0  0  -", "",
                              "DIP-switch code: 9842"}));
        QVERIFY(target->ended);
        QCOMPARE(statusBox()->text(), QString());
    }

    void cancelIsAPrinterError()
    {
        failingCall = 0;
        click(printButton());
        QCOMPARE(statusBox()->text(), QStringLiteral("Printer error"));
        QVERIFY(target->printed.isEmpty() && !target->ended);
    }

    void functionOffPrintsNothing()
    {
        click(functionCheck());
        click(printButton());
        QCOMPARE(prints, 0);
        QCOMPARE(statusBox()->text(), QStringLiteral("SW4172-36v03-K5_DIP-switch"));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
