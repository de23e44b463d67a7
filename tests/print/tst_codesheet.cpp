// The code sheet's lines and the printing procedure, against a scripted print target.

#include "codesheet.h"
#include "scriptedprinttarget.h"

#include <QTest>

namespace {

QStringList allAt(const QString &text)
{
    return QStringList(10, text);
}

const QStringList workedExample = {
    QString(),
    QString(),
    QString(),
    QStringLiteral("DIP-switch 1-10"),
    QStringLiteral("0  0  0  0  0  0  0  0  0  0"),
    QString(),
    QStringLiteral("DIP-switch code: 29524"),
};

} // namespace

class CodeSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void failingStep_data();
    void failingStep();
    void successfulPrint();
};

void CodeSheetTest::lines_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("switchLine");
    QTest::addColumn<QString>("codeLine");

    QTest::newRow("worked example") << allAt(QStringLiteral("0")) << QStringLiteral("29524")
                                    << QStringLiteral("0  0  0  0  0  0  0  0  0  0")
                                    << QStringLiteral("DIP-switch code: 29524");
    QTest::newRow("all plus") << allAt(QStringLiteral("+")) << QStringLiteral("59048")
                              << QStringLiteral("+  +  +  +  +  +  +  +  +  +")
                              << QStringLiteral("DIP-switch code: 59048");
    QTest::newRow("mixed, switch 1 first")
        << QStringList{QStringLiteral("+"), QStringLiteral("0"), QStringLiteral("-"),
                       QStringLiteral("-"), QStringLiteral("0"), QStringLiteral("+"),
                       QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-"),
                       QStringLiteral("+")}
        << QStringLiteral("46412") << QStringLiteral("+  0  -  -  0  +  0  0  -  +")
        << QStringLiteral("DIP-switch code: 46412");
    QTest::newRow("empty code box")
        << allAt(QStringLiteral("-")) << QString() << QStringLiteral("-  -  -  -  -  -  -  -  -  -")
        << QStringLiteral("DIP-switch code: ");
    QTest::newRow("leading zeros kept") << allAt(QStringLiteral("0")) << QStringLiteral("00012")
                                        << QStringLiteral("0  0  0  0  0  0  0  0  0  0")
                                        << QStringLiteral("DIP-switch code: 00012");
    QTest::newRow("code text with spaces kept")
        << allAt(QStringLiteral("0")) << QStringLiteral(" 12 ")
        << QStringLiteral("0  0  0  0  0  0  0  0  0  0")
        << QStringLiteral("DIP-switch code:  12 ");
    QTest::newRow("switch texts as they stand")
        << QStringList{QStringLiteral(" +"),
                       QString(),
                       QStringLiteral("abc"),
                       QStringLiteral("0"),
                       QStringLiteral("- "),
                       QString(),
                       QString(),
                       QStringLiteral("++"),
                       QStringLiteral("0"),
                       QString()}
        << QStringLiteral("1e3") << QStringLiteral(" +    abc  0  -       ++  0  ")
        << QStringLiteral("DIP-switch code: 1e3");
    QTest::newRow("all switch boxes empty") << allAt(QString()) << QString() << QString(18, u' ')
                                            << QStringLiteral("DIP-switch code: ");
}

void CodeSheetTest::lines()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, code);
    QFETCH(QString, switchLine);
    QFETCH(QString, codeLine);

    const QStringList expected = {
        QString(),  QString(), QString(), QStringLiteral("DIP-switch 1-10"),
        switchLine, QString(), codeLine};
    QCOMPARE(CodeSheetLines(switches, code), expected);
}

void CodeSheetTest::failingStep_data()
{
    QTest::addColumn<int>("failingCall");
    QTest::addColumn<QList<Step>>("steps");

    QTest::newRow("cancel in the dialog") << 0 << QList<Step>{Step::Dialog};
    QTest::newRow("font size") << 1 << QList<Step>{Step::Dialog, Step::Font, Step::Abandon};
    for (int line = 1; line <= 7; ++line) {
        QList<Step> steps{Step::Dialog, Step::Font};
        steps.append(QList<Step>(line, Step::Line));
        steps.append(Step::Abandon);
        QTest::addRow("line %d", line) << 1 + line << steps;
    }
    QList<Step> endSteps{Step::Dialog, Step::Font};
    endSteps.append(QList<Step>(7, Step::Line));
    endSteps.append({Step::End, Step::Abandon});
    QTest::newRow("end of the document") << 9 << endSteps;
}

void CodeSheetTest::failingStep()
{
    QFETCH(int, failingCall);
    QFETCH(QList<Step>, steps);

    ScriptedTarget target(failingCall);
    const auto outcome =
        PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524"));

    QCOMPARE(outcome, PrintOutcome::Failed);
    QCOMPARE(PrintStatusText(outcome), QStringLiteral("Printer error"));
    QCOMPARE(target.steps, steps);
    QVERIFY(!target.ended);
    // Nothing before the dialog was confirmed, so nothing to abandon after a Cancel.
    QCOMPARE(target.abandoned, failingCall > 0);
    // The lines before the failing one went out, the failing one and all after it did not.
    const qsizetype linesOut = qBound(0, failingCall - 2, 7);
    QCOMPARE(target.printed, workedExample.first(linesOut));
    QCOMPARE(target.fontPoints, failingCall > 1 ? 16 : 0);
}

void CodeSheetTest::successfulPrint()
{
    ScriptedTarget target;
    const auto outcome =
        PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524"));

    QCOMPARE(outcome, PrintOutcome::Printed);
    QVERIFY(PrintStatusText(outcome).isEmpty());
    QCOMPARE(target.printed, workedExample);
    QCOMPARE(target.fontPoints, 16);
    QVERIFY(target.ended);
    QVERIFY(!target.abandoned);

    QList<Step> steps{Step::Dialog, Step::Font};
    steps.append(QList<Step>(7, Step::Line));
    steps.append(Step::End);
    QCOMPARE(target.steps, steps);
}

QTEST_GUILESS_MAIN(CodeSheetTest)
#include "tst_codesheet.moc"
