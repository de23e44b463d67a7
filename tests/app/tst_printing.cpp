// Printing from the window: the guards, Cancel and failing printers, and what reaches the sheet.

#include "dropdownbox.h"
#include "form1.h"
#include "scriptedprinttarget.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

class PrintingTest : public QObject, WindowFixture
{
    Q_OBJECT

    int failingCall = -1; // which call of the next print fails, -1 for none
    int targetsMade = 0;  // prints that got as far as the dialog
    QStringList printed;  // the lines of the last print
    bool ended = false;
    bool abandoned = false;

    QLineEdit *status() const { return form->findChild<QLineEdit *>("Text1"); }
    void clickPrint()
    {
        QTest::mouseClick(form->findChild<QAbstractButton *>("Command3"), Qt::LeftButton);
    }

    // Records what the scripted target saw once the print is over.
    class RecordingTarget final : public PrintTarget
    {
    public:
        RecordingTarget(PrintingTest &test, int failingCall) : m_test(test), m_target(failingCall)
        {}
        ~RecordingTarget() override
        {
            m_test.printed = m_target.printed;
            m_test.ended = m_target.ended;
            m_test.abandoned = m_target.abandoned;
        }
        bool showDialog() override { return m_target.showDialog(); }
        bool setFontSize(int points) override { return m_target.setFontSize(points); }
        bool printLine(const QString &text) override { return m_target.printLine(text); }
        bool endDocument() override { return m_target.endDocument(); }
        bool abandonDocument() override { return m_target.abandonDocument(); }

    private:
        PrintingTest &m_test;
        ScriptedTarget m_target;
    };

private Q_SLOTS:
    void init()
    {
        failingCall = -1;
        targetsMade = 0;
        printed.clear();
        ended = abandoned = false;
        QVERIFY(openWindow());
        form->setPrintTargetFactory([this](QPrinter &) {
            ++targetsMade;
            return std::make_unique<RecordingTarget>(*this, failingCall);
        });
    }
    void cleanup() { closeWindow(); }

    void printsTheSheetAndEmptiesTheStatus()
    {
        switchBox(1)->setText("+");
        switchBox(10)->setText("-");
        form->findChild<QLineEdit *>("Text2")->setText("00012");
        clickPrint();
        QCOMPARE(targetsMade, 1);
        QCOMPARE(printed,
                 (QStringList{"", "", "", "DIP-switch 1-10", "+  0  0  0  0  0  0  0  0  -", "",
                              "DIP-switch code: 00012"}));
        QVERIFY(ended);
        QCOMPARE(status()->text(), QString());
    }

    void emptyCodeBoxPrintsAsItStands()
    {
        form->findChild<QLineEdit *>("Text2")->clear();
        clickPrint();
        QCOMPARE(printed.value(6), QStringLiteral("DIP-switch code: "));
    }

    void failures_data()
    {
        QTest::addColumn<int>("failingCall");
        QTest::addColumn<int>("linesPrinted");
        QTest::newRow("cancel in the dialog") << 0 << 0;
        QTest::newRow("fourth line fails") << 5 << 3;
    }
    void failures()
    {
        QFETCH(int, failingCall);
        QFETCH(int, linesPrinted);
        this->failingCall = failingCall;
        clickPrint();
        QCOMPARE(status()->text(), QStringLiteral("Printer error"));
        QCOMPARE(printed.size(), linesPrinted);
        QVERIFY(!ended);
        QCOMPARE(abandoned, failingCall > 0); // after Cancel there is no document to abandon
    }

    void functionOffPrintsNothing()
    {
        QTest::mouseClick(form->findChild<QCheckBox *>("Check1"), Qt::LeftButton);
        status()->setText("last message");
        clickPrint();
        QCOMPARE(targetsMade, 0);
        QCOMPARE(status()->text(), QStringLiteral("last message"));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
