#pragma once

// What the benchmarks found: one table row per figure, notes on how the figures were taken, the
// same figures as JSON, and the parts of the one-line summary.

#include "spread.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

struct BenchRow
{
    QString figure; // what was measured, as the table names it
    QString unit;   // of the measured values
    Spread measured;
    QString reference; // what it is held against, with its unit
    QString result;    // measured against reference: a ratio or a difference
    QString target;
    bool met = false;
};

class BenchReport
{
public:
    // key names the figure in the JSON; details are further figures for it there.
    void add(const QString &key, const BenchRow &row, const QJsonObject &details = {});
    void addNote(const QString &note) { m_notes << note; }
    void addSummary(const QString &part) { m_summary << part; }

    QString table() const;
    QJsonObject json() const;
    QString summary() const { return m_summary.join(u' '); }
    bool allMet() const;

private:
    QList<BenchRow> m_rows;
    QJsonObject m_json;
    QStringList m_notes;
    QStringList m_summary;
};

// A value in the table and the JSON: fixed decimals.
QString Figure(double value, int decimals = 1);
