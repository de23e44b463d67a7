#pragma once

// The benchmark's parts and the report they fill. Each part measures its figures, adds their rows
// and its part of the summary, and returns false, with the reason in error, when a measurement
// failed. The README's "Performance" section tells how each figure is taken.

#include <QFile>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// A table row per figure (a table per part), the same figures as JSON, and the one-line summary
// that scripts compare runs by.
struct BenchReport
{
    QList<QList<QStringList>> tables{{}}; // each table's rows of cells; a part starts its own
    QJsonObject json;
    QStringList summary;

    // A figure: key names it in the JSON, figure in the table; its runs measured in unit (shown by
    // their median, least and greatest), held against reference (with its unit), with the result
    // of that and whether it met its target.
    void add(const QString &key, const QString &figure, const QString &unit, QList<double> runs,
             const QString &reference, const QString &result, const QString &target, bool met);
};

// A figure in the table and the summary: fixed decimals, and for Signed a sign.
inline QString Figure(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}
inline QString Signed(double value, int decimals = 1)
{
    return (value < 0 ? "" : "+") + Figure(value, decimals);
}

double Median(QList<double> values);
// The time that bytes take on the line.
double LineMs(qsizetype bytes);
// What a read and a write put on the line: the request (its echo comes back as it goes) and the
// reply.
qsizetype ReadBytes();
qsizetype WriteBytes();

// The first number after "field:" on a line of the file at path; -1 when there is none.
inline double FileField(const QString &path, const QByteArray &field)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

// Read, write and version clicked in the window, runs of each, against the simulator paced at
// the line's speed; then the reply time limit, against a transmitter that does not answer.
bool MeasureExchanges(BenchReport &report, int runs, QString *error);
// The tool's window and the bare form started in turns, runs times each, at 100% and 200%.
bool MeasureStartup(BenchReport &report, int runs, QString *error);
// 2,000 exchanges in one window, a tenth of them on ports whose simulator plays a fault, while
// the process's open descriptors and resident memory are watched; false also when either grew.
bool MeasureSoak(BenchReport &report, QString *error);
// 100 transmitters read, written and verified with the command line against the unpaced
// simulator, and 10 against the simulator at the line's speed.
bool MeasureCliBatch(BenchReport &report, QString *error);
