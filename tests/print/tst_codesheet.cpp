// The code sheet's lines and the printing procedure, against a scripted print target.

#include "codesheet.h"
#include "scriptedprinttarget.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList allAt(const QString &text)
{
    return QStringList(10, text);
}

QStringList sheet(const QString &switchLine, const QString &codeLine)
{
    return {{}, {}, {}, u"DIP-switch 1-10"_s, switchLine, {}, codeLine};
}

} // namespace

class CodeSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Both the switches and the code are printed exactly as their boxes show them.
    void lines_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("worked example")
            << allAt(u"0"_s) << u"29524"_s
            << sheet(u"0  0  0  0  0  0  0  0  0  0"_s, u"DIP-switch code: 29524"_s);
        QTest::newRow("switch 1 first")
            << u"+ 0 - - 0 + 0 0 - +"_s.split(u' ') << u"46412"_s
            << sheet(u"+  0  -  -  0  +  0  0  -  +"_s, u"DIP-switch code: 46412"_s);
        QTest::newRow("texts as they stand")
            << u" +||abc|0|- |||++|0|"_s.split(u'|') << u" 012 "_s
            << sheet(u" +    abc  0  -       ++  0  "_s, u"DIP-switch code:  012 "_s);
    }

    void lines()
    {
        QFETCH(QStringList, switches);
        QFETCH(QString, code);
        QFETCH(QStringList, lines);
        QCOMPARE(CodeSheetLines(switches, code), lines);
    }

    // The first failing step ends the procedure; a document begun is abandoned, never ended.
    void steps_data()
    {
        QTest::addColumn<int>("failingCall"); // 0 the dialog, 1 the font, 2 to 8 the lines, 9 end
        QTest::addColumn<int>("linesOut");
        QTest::addColumn<QList<Step>>("steps");

        QList<Step> steps{Step::Dialog, Step::Font};
        QTest::newRow("cancel in the dialog") << 0 << 0 << QList<Step>{Step::Dialog};
        QTest::newRow("font size fails") << 1 << 0 << steps + QList<Step>{Step::Abandon};
        for (int line = 1; line <= 7; ++line) {
            steps << Step::Line;
            if (line == 4)
                QTest::newRow("line 4 fails") << 5 << 3 << steps + QList<Step>{Step::Abandon};
        }
        steps << Step::End;
        QTest::newRow("end fails") << 9 << 7 << steps + QList<Step>{Step::Abandon};
        QTest::newRow("printed") << -1 << 7 << steps;
    }

    void steps()
    {
        QFETCH(int, failingCall);
        QFETCH(int, linesOut);
        QFETCH(QList<Step>, steps);

        const QStringList workedExample =
            sheet(u"0  0  0  0  0  0  0  0  0  0"_s, u"DIP-switch code: 29524"_s);
        ScriptedTarget target(failingCall);
        const PrintOutcome outcome = PrintCodeSheet(target, allAt(u"0"_s), u"29524"_s);
        const bool printed = failingCall < 0;
        QCOMPARE(outcome, printed ? PrintOutcome::Printed : PrintOutcome::Failed);
        QCOMPARE(target.steps, steps);
        QCOMPARE(target.ended, printed);
        QCOMPARE(target.printed, workedExample.first(linesOut));
        QCOMPARE(target.fontPoints, failingCall == 0 || failingCall == 1 ? 0 : 16);
    }
};

QTEST_GUILESS_MAIN(CodeSheetTest)
#include "tst_codesheet.moc"
