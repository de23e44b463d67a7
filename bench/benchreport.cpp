#include "benchreport.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

QString Figure(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

namespace {

double Rounded(double value)
{
    return std::round(value * 1000) / 1000;
}

QJsonValue RoundedValue(const QJsonValue &value)
{
    if (value.isDouble())
        return Rounded(value.toDouble());
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        *it = RoundedValue(*it);
    return object;
}

QJsonObject RoundedSpread(const Spread &s)
{
    return {{QStringLiteral("median"), Rounded(s.median)},
            {QStringLiteral("min"), Rounded(s.min)},
            {QStringLiteral("max"), Rounded(s.max)},
            {QStringLiteral("runs"), s.runs}};
}

} // namespace

void BenchReport::add(const QString &key, const BenchRow &row, const QJsonObject &details)
{
    m_rows << row;
    QJsonObject entry = RoundedValue(details).toObject();
    entry.insert(QStringLiteral("figure"), row.figure);
    entry.insert(QStringLiteral("unit"), row.unit);
    entry.insert(QStringLiteral("measured"), RoundedSpread(row.measured));
    entry.insert(QStringLiteral("reference"), row.reference);
    entry.insert(QStringLiteral("result"), row.result);
    entry.insert(QStringLiteral("target"), row.target);
    entry.insert(QStringLiteral("met"), row.met);
    m_json.insert(key, entry);
}

QString BenchReport::table() const
{
    const QStringList heads{QStringLiteral("Figure"),    QStringLiteral("Median"),
                            QStringLiteral("Min"),       QStringLiteral("Max"),
                            QStringLiteral("Reference"), QStringLiteral("Result"),
                            QStringLiteral("Target"),    QStringLiteral("Met")};
    QList<QStringList> cells;
    for (const BenchRow &r : m_rows) {
        const int decimals = r.unit == QLatin1StringView("%") ? 2 : 1;
        const QString unit = QLatin1StringView(" ") + r.unit;
        cells << QStringList{r.figure,
                             Figure(r.measured.median, decimals) + unit,
                             Figure(r.measured.min, decimals) + unit,
                             Figure(r.measured.max, decimals) + unit,
                             r.reference,
                             r.result,
                             r.target,
                             r.met ? QStringLiteral("yes") : QStringLiteral("NO")};
    }
    QList<qsizetype> widths;
    for (const QString &h : heads)
        widths << h.size();
    for (const QStringList &row : cells) {
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    // A Markdown table, so that it can go into the documentation as it is.
    auto line = [&](const QStringList &row) {
        QString text = QStringLiteral("|");
        for (qsizetype i = 0; i < row.size(); ++i)
            text += u' ' +
                    (i == 0 ? row[i].leftJustified(widths[i]) : row[i].rightJustified(widths[i])) +
                    QLatin1StringView(" |");
        return text + u'\n';
    };
    QString text = line(heads);
    QStringList rule;
    for (qsizetype i = 0; i < widths.size(); ++i)
        rule << (i == 0 ? QString(widths[i], u'-') : QString(widths[i] - 1, u'-') + u':');
    text += line(rule);
    for (const QStringList &row : cells)
        text += line(row);
    if (!m_notes.isEmpty()) {
        text += u'\n';
        for (const QString &note : m_notes)
            text += QLatin1StringView("- ") + note + u'\n';
    }
    return text;
}

QJsonObject BenchReport::json() const
{
    QJsonObject all = m_json;
    all.insert(QStringLiteral("notes"), QJsonArray::fromStringList(m_notes));
    all.insert(QStringLiteral("summary"), summary());
    return all;
}

bool BenchReport::allMet() const
{
    return std::all_of(m_rows.begin(), m_rows.end(), [](const BenchRow &r) { return r.met; });
}
