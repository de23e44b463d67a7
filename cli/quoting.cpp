#include "quoting.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

QString EscapedCharacter(QChar c)
{
    // Line feed, tab and carriage return by their names: \n, \t, \r.
    if (const qsizetype named = QStringView(u"\n\t\r").indexOf(c); named >= 0)
        return u"\\"_s + QStringView(u"ntr").at(named);
    const QChar::Category category = c.category();
    // Surrogates stand for characters beyond the basic plane, which are printable text.
    if (category != QChar::Other_Control && category != QChar::Other_Format)
        return c;
    const bool latin1 = c.unicode() <= 0xff;
    return (latin1 ? u"\\x"_s : u"\\u"_s) +
           QString::number(c.unicode(), 16).toUpper().rightJustified(latin1 ? 2 : 4, u'0');
}

QString Escape(QStringView text, qsizetype limit)
{
    QString shown;
    for (const QChar c : text) {
        const QString piece = EscapedCharacter(c);
        if (shown.size() + piece.size() > limit) {
            if (!shown.isEmpty() && shown.back().isHighSurrogate())
                shown.chop(1); // half a character is none
            return shown + u"..."_s;
        }
        shown += piece;
    }
    return shown;
}

} // namespace

QString Escaped(QStringView text)
{
    return Escape(text, std::numeric_limits<qsizetype>::max());
}

QString Quoted(QStringView text)
{
    return Escape(text, QuotedLength);
}
