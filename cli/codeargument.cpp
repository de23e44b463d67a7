#include "codeargument.h"

#include "quoting.h"
#include "switchcode.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A code has at most five digits; more are out of range whatever they say.
constexpr qsizetype MaxCodeDigits = 5;

bool AllOf(QStringView text, QStringView characters)
{
    return std::all_of(text.begin(), text.end(), [&](QChar c) { return characters.contains(c); });
}

bool IsSwitchCharacters(QStringView text)
{
    return AllOf(text, u"+0-");
}

} // namespace

bool CodeArgument(QStringView text, std::optional<std::int32_t> *code, QString *error)
{
    const QString range = u"a number from %1 to %2"_s.arg(LowestCode).arg(HighestCode);
    if (text == OffArgument) {
        *code = std::nullopt;
        return true;
    }
    if (text.size() == SwitchCount && IsSwitchCharacters(text)) {
        SwitchPositions positions{};
        for (int i = 0; i < SwitchCount; ++i)
            positions[std::size_t(i)] = PositionFromText(text.sliced(i, 1));
        *code = CodeFromPositions(positions);
        return true;
    }
    if (!text.isEmpty() && AllOf(text, u"0123456789")) {
        const int number = text.size() <= MaxCodeDigits ? text.toInt() : HighestCode + 1;
        if (number <= HighestCode) {
            *code = number;
            return true;
        }
        *error = u"%1 is out of range: a code is %2"_s.arg(Quoted(text), range);
        return false;
    }
    if (IsSwitchCharacters(text) && !text.isEmpty()) {
        *error = u"'%1' has %2 switch characters: give all %3, switch 1 first"_s.arg(Quoted(text))
                     .arg(text.size())
                     .arg(SwitchCount);
        return false;
    }
    if (text.size() == SwitchCount) {
        *error = u"'%1' is no switch setting: switches are +, 0 or -, switch 1 first"_s.arg(
            Quoted(text));
        return false;
    }
    *error = u"'%1' is not a code: give %2, ten switch characters (+, 0, -; switch 1 first) "
             u"or off"_s.arg(Quoted(text), range);
    return false;
}

QString SwitchString(std::int32_t code)
{
    QString text;
    for (const SwitchPosition position : PositionsFromCode(code))
        text += TextFromPosition(position);
    return text;
}
