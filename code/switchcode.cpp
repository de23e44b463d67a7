#include "switchcode.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the longest prefix of text that reads as a decimal number:
// [sign] digits [. digits] [e|E [sign] digits]. A prefix without digits reads as 0.
qsizetype numberPrefixLength(QStringView text)
{
    qsizetype i = 0;
    const auto n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < n && isDigit(text[i]))
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i;
    }
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (i < n && isDigit(text[i])) {
            while (i < n && isDigit(text[i]))
                ++i;
            end = i;
        }
    }
    return end;
}

} // namespace

SwitchPosition PositionFromText(QStringView text)
{
    if (text == u"+")
        return SwitchPosition::Plus;
    if (text == u"0")
        return SwitchPosition::Zero;
    return SwitchPosition::Minus;
}

QString TextFromPosition(SwitchPosition position)
{
    switch (position) {
    case SwitchPosition::Plus:
        return QStringLiteral("+");
    case SwitchPosition::Zero:
        return QStringLiteral("0");
    case SwitchPosition::Minus:
        break;
    }
    return QStringLiteral("-");
}

std::int32_t CodeFromPositions(const SwitchPositions &positions)
{
    // Switch 10 is the most significant digit.
    std::int32_t code = 0;
    for (int k = SwitchCount - 1; k >= 0; --k)
        code = code * 3 + static_cast<std::int32_t>(positions[k]);
    return code;
}

SwitchPositions PositionsFromCode(std::int32_t code)
{
    SwitchPositions positions{};
    for (SwitchPosition &position : positions) {
        position = static_cast<SwitchPosition>(code % 3);
        code /= 3;
    }
    return positions;
}

double ReadCodeText(QStringView text)
{
    const auto length = numberPrefixLength(text);
    if (length == 0)
        return 0.0;
    // The prefix is plain ASCII; strtod reads all of it that has digits (overflow gives infinity,
    // underflow 0) and follows the process locale, whose decimal point stands in for the '.'.
    std::string number = text.first(length).toLatin1().toStdString();
    if (const auto dot = number.find('.'); dot != std::string::npos)
        number.replace(dot, 1, std::localeconv()->decimal_point);
    return std::strtod(number.c_str(), nullptr);
}

std::int32_t CodeFromText(QStringView text)
{
    const double n = std::nearbyint(ReadCodeText(text)); // default rounding: half to even
    if (!(n >= LowestCode && n <= HighestCode))
        return -1;
    return static_cast<std::int32_t>(n);
}
