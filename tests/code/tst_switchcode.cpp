// The switch code: conversions both ways and the reading of the code box's text.

#include "switchcode.h"

#include <QTest>

#include <clocale>
#include <tuple>

class SwitchCodeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every code comes back from its switches; the worked examples, switch 1 first, both ways.
    void conversions()
    {
        for (std::int32_t code = LowestCode; code <= HighestCode; ++code)
            if (CodeFromPositions(PositionsFromCode(code)) != code)
                QFAIL(qPrintable(QString::number(code)));
        for (const auto &[code, switches] : {
                 std::pair(0, u"----------"), {2, u"+---------"}, {3, u"-0--------"},
                 {12345, u"-+-0++0+0-"}, {19683, u"---------0"}, {29524, u"0000000000"},
                 {59048, u"++++++++++"}}) {
            QString texts;
            SwitchPositions parsed{};
            for (int i = 0; i < SwitchCount; ++i) {
                texts += TextFromPosition(PositionsFromCode(code).at(i));
                parsed.at(i) = PositionFromText(QStringView(switches).mid(i, 1));
            }
            QCOMPARE(texts, switches);
            QCOMPARE(CodeFromPositions(parsed), code);
        }
        // Any other text is a minus, as the boxes' own "-".
        for (const char16_t *text : {u"", u" +", u"00"})
            QCOMPARE(PositionFromText(text), SwitchPosition::Minus);
    }

    // The code box's text: the number it starts with, and the code that makes, rounded half to
    // even, -1 out of range.
    void codeText()
    {
        using Read = std::tuple<QString, double, int>; // the text, ReadCodeText's, CodeFromText's
        for (const auto &[text, value, code] : QList<Read>{
                 {"12345", 12345, 12345}, {"", 0, 0}, {"12ab", 12, 12}, {"-5", -5, -1},
                 {"+7", 7, 7}, {".5", 0.5, 0}, {"3.", 3, 3}, {"25E-1", 2.5, 2}, {"12e", 12, 12},
                 {"12e+", 12, 12}, {"-", 0, 0}, {"1.2.3", 1.2, 1}, {"-0", 0, 0}, {"12.5", 12.5, 12},
                 {"13.5", 13.5, 14}, {"59048", 59048, 59048}, {"59049", 59049, -1},
                 {"59048.6", 59048.6, -1}, {"9e99999", qInf(), -1}, {"1e+1", 10, 10},
                 {"2e3", 2000, 2000}})
            QCOMPARE(Read(text, ReadCodeText(text), CodeFromText(text)), Read(text, value, code));
    }

    void decimalCommaLocale()
    {
        const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("de_DE.UTF-8 is not installed (scripts/install-deps.sh makes it)");
        const double value = ReadCodeText(u"12.5");
        std::setlocale(LC_NUMERIC, saved.c_str());
        QCOMPARE(value, 12.5);
    }
};

QTEST_APPLESS_MAIN(SwitchCodeTest)
#include "tst_switchcode.moc"
