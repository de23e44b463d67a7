#include "benchreport.h"

#include <algorithm>
#include <cmath>

Spread Spread::of(QList<double> values)
{
    Spread s;
    s.runs = int(values.size());
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const qsizetype half = values.size() / 2;
    s.median = values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

QString Figure(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString Signed(double value, int decimals)
{
    return (value < 0 ? "" : "+") + Figure(value, decimals);
}

void BenchReport::add(const QString &key, const QString &figure, const QString &unit,
                      const Spread &measured, const QString &reference, const QString &result,
                      const QString &target, bool met)
{
    const int decimals = unit == u"%" ? 2 : 1;
    if (m_tables.isEmpty())
        newTable();
    m_tables.back() << figure << Figure(measured.median, decimals) + ' ' + unit
                    << Figure(measured.min, decimals) + ' ' + unit
                    << Figure(measured.max, decimals) + ' ' + unit << reference << result << target
                    << (met ? "yes" : "NO");
    auto rounded = [](double value) {
        return std::round(value * 1000) / 1000;
    };
    m_json.insert(key, QJsonObject{{"figure", figure},
                                   {"unit", unit},
                                   {"median", rounded(measured.median)},
                                   {"min", rounded(measured.min)},
                                   {"max", rounded(measured.max)},
                                   {"runs", measured.runs},
                                   {"reference", reference},
                                   {"result", result},
                                   {"target", target},
                                   {"met", met}});
}

QString BenchReport::tables() const
{
    // Markdown tables, so that they can go into the README as they are.
    const QStringList heads{"Figure",    "Median", "Min",    "Max",
                            "Reference", "Result", "Target", "Met"};
    const qsizetype columns = heads.size();
    QString text;
    for (const QStringList &table : m_tables) {
        if (table.isEmpty())
            continue;
        const QStringList cells = heads + table;
        QList<qsizetype> widths(columns, 0);
        for (qsizetype i = 0; i < cells.size(); ++i)
            widths[i % columns] = std::max(widths[i % columns], cells[i].size());
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const qsizetype column = i % columns;
            const QString cell = column == 0 ? cells[i].leftJustified(widths[column])
                                             : cells[i].rightJustified(widths[column]);
            text += (column == 0 ? "| " : " ") + cell + " |";
            if (column == columns - 1)
                text += '\n';
            if (i == columns - 1) { // the rule under the heads
                for (qsizetype c = 0; c < columns; ++c)
                    text += (c == 0 ? "| " + QString(widths[c], u'-')
                                    : " " + QString(widths[c] - 1, u'-') + ':') +
                            " |";
                text += '\n';
            }
        }
        text += '\n';
    }
    return text;
}

QJsonObject BenchReport::json() const
{
    QJsonObject all = m_json;
    all.insert("summary", summary());
    return all;
}
