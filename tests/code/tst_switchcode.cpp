// The switch code's logic unit: conversions both ways and the reading of the code box's text.

#include "switchcode.h"

#include <QTest>

#include <clocale>

namespace {

// "- 0 +" style row, switch 1 first.
QString describe(const SwitchPositions &positions)
{
    QStringList texts;
    for (SwitchPosition p : positions)
        texts << TextFromPosition(p);
    return texts.join(u' ');
}

SwitchPositions parse(const QString &row)
{
    SwitchPositions positions{};
    const QStringList texts = row.split(u' ');
    for (int i = 0; i < SwitchCount; ++i)
        positions[i] = PositionFromText(texts.value(i));
    return positions;
}

} // namespace

class SwitchCodeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripOverEveryCode()
    {
        // Every code and every array of positions: they are the same 59049, one to one.
        for (std::int32_t code = LowestCode; code <= HighestCode; ++code) {
            const SwitchPositions positions = PositionsFromCode(code);
            if (CodeFromPositions(positions) != code)
                QFAIL(qPrintable(QStringLiteral("code %1 came back as %2")
                                     .arg(code)
                                     .arg(CodeFromPositions(positions))));
        }
    }

    void workedExamples_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("switches");
        QTest::newRow("0") << 0 << "- - - - - - - - - -";
        QTest::newRow("2") << 2 << "+ - - - - - - - - -";
        QTest::newRow("3") << 3 << "- 0 - - - - - - - -";
        QTest::newRow("12345") << 12345 << "- + - 0 + + 0 + 0 -";
        QTest::newRow("19683") << 19683 << "- - - - - - - - - 0";
        QTest::newRow("29524") << 29524 << "0 0 0 0 0 0 0 0 0 0";
        QTest::newRow("59048") << 59048 << "+ + + + + + + + + +";
    }
    void workedExamples()
    {
        QFETCH(int, code);
        QFETCH(QString, switches);
        QCOMPARE(describe(PositionsFromCode(code)), switches);
        QCOMPARE(CodeFromPositions(parse(switches)), code);
    }

    void positionFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<SwitchPosition>("position");
        QTest::newRow("plus") << "+" << SwitchPosition::Plus;
        QTest::newRow("zero") << "0" << SwitchPosition::Zero;
        QTest::newRow("minus") << "-" << SwitchPosition::Minus;
        QTest::newRow("empty") << "" << SwitchPosition::Minus;
        QTest::newRow("blank before plus") << " +" << SwitchPosition::Minus;
    }
    void positionFromText()
    {
        QFETCH(QString, text);
        QFETCH(SwitchPosition, position);
        QCOMPARE(PositionFromText(text), position);
    }

    void readCodeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "12345" << 12345.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("trailing letters") << "12ab" << 12.0;
        QTest::newRow("negative") << "-5" << -5.0;
        QTest::newRow("explicit plus") << "+7" << 7.0;
        QTest::newRow("fraction without integer part") << ".5" << 0.5;
        QTest::newRow("integer and point") << "3." << 3.0;
        QTest::newRow("capital exponent with sign") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "12e" << 12.0;
        QTest::newRow("exponent sign without digits") << "12e+" << 12.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
    }
    void readCodeText()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(ReadCodeText(text), value);
    }

    void codeFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("highest") << "59048" << 59048;
        QTest::newRow("one above") << "59049" << -1;
        QTest::newRow("negative") << "-5" << -1;
        QTest::newRow("minus zero") << "-0" << 0;
        QTest::newRow("half to even, down") << "12.5" << 12;
        QTest::newRow("half to even, up") << "13.5" << 14;
        QTest::newRow("rounds up to out of range") << "59048.6" << -1;
        QTest::newRow("infinite") << "9e99999" << -1;
    }
    void codeFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(CodeFromText(text), code);
    }

    void readingIgnoresTheLocale()
    {
        const char *saved = std::setlocale(LC_NUMERIC, nullptr);
        const std::string restore = saved ? saved : "C";
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") &&
            !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
            QSKIP("no locale with a decimal comma is installed");
        const double value = ReadCodeText(u"12.5");
        std::setlocale(LC_NUMERIC, restore.c_str());
        QCOMPARE(value, 12.5);
    }
};

QTEST_APPLESS_MAIN(SwitchCodeTest)
#include "tst_switchcode.moc"
