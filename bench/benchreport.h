#pragma once

// What the benchmark found: a table row per figure (a table per part), the same figures as
// JSON, and the one-line summary that scripts compare runs by.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Median, least and greatest of a figure's runs.
struct Spread
{
    double median = 0;
    double min = 0;
    double max = 0;
    int runs = 0;

    static Spread of(QList<double> values);
};

class BenchReport
{
public:
    // Rows added from here on go to a table of their own.
    void newTable() { m_tables.append(QStringList()); }
    // A figure: key names it in the JSON, figure in the table; measured in unit, held against
    // reference (with its unit), with the result of that and whether it met its target.
    void add(const QString &key, const QString &figure, const QString &unit, const Spread &measured,
             const QString &reference, const QString &result, const QString &target, bool met);
    // Something more for the JSON only.
    void addJson(const QString &key, const QJsonValue &value) { m_json.insert(key, value); }
    void addSummary(const QString &part) { m_summary << part; }

    QString tables() const;
    QJsonObject json() const;
    QString summary() const { return "bench: " + m_summary.join(u' '); }

private:
    QList<QStringList> m_tables; // the cells of each table's rows
    QJsonObject m_json;
    QStringList m_summary;
};

// A figure in the table and the summary: fixed decimals, and for Signed a sign.
QString Figure(double value, int decimals = 1);
QString Signed(double value, int decimals = 1);
