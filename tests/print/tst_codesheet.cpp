// The code sheet's lines and the printing procedure, against a scripted print target.

#include "codesheet.h"
#include "scriptedprinttarget.h"

#include <QTest>

class CodeSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The first failing call ends the procedure; a document begun is abandoned, never ended.
    // The switch texts, switch 1 first, and the code text are printed exactly as they stand.
    void steps_data()
    {
        QTest::addColumn<int>("failingCall"); // 0 the dialog, 1 the font, 2 to 8 the lines, 9 end
        for (int call = -1; call <= 9; ++call)
            QTest::addRow(call < 0 ? "printed" : "call %d fails", call) << call;
    }
    void steps()
    {
        QFETCH(int, failingCall);
        QStringList calls{"dialog", "font 16", "line ", "line ", "line ", "line DIP-switch 1-10"};
        calls << "line  +    abc  0  -       ++  0  "
              << "line "
              << "line DIP-switch code:  012 "
              << "end";
        calls = calls.first(failingCall < 0 ? calls.size() : failingCall + 1);
        if (failingCall > 0)
            calls << "abandon";
        QStringList log;
        ScriptedTarget target(failingCall, &log);
        QCOMPARE(PrintCodeSheet(target, QString(" +||abc|0|- |||++|0|").split(u'|'), " 012 "),
                 failingCall < 0 ? PrintOutcome::Printed : PrintOutcome::Failed);
        QCOMPARE(log, calls);
    }
};

QTEST_GUILESS_MAIN(CodeSheetTest)
#include "tst_codesheet.moc"
