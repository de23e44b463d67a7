#pragma once

// A printed code sheet read back from its PDF with poppler-utils: the paper's size (pdfinfo) and
// the text lines with where each begins and the size of its font (pdftotext's word boxes), and
// the check that they are laid out as a code sheet.

#include <QFile>
#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QTest>

struct SheetLine
{
    QString text; // the words, one blank between them
    QPointF
        start; // left edge of the first word and the baseline, in points from the paper's top left
    double smallestPoints = 0; // the size of the smallest and the largest word's font
    double largestPoints = 0;
};

struct PrintedSheet
{
    QSizeF paper; // in points
    QString font; // the font's name in the PDF
    QList<SheetLine> lines;
};

inline bool PdfToolsFound()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

inline QString RunPdfTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline PrintedSheet ReadSheet(const QString &path)
{
    PrintedSheet sheet;
    static const QRegularExpression pageSize(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)");
    const auto paper = pageSize.match(RunPdfTool("pdfinfo", {path}));
    sheet.paper = QSizeF(paper.captured(1).toDouble(), paper.captured(2).toDouble());

    // pdftotext gives each word a box from the font's ascent down to its descent, both in
    // thousandths of the font size in the font descriptor.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sheet;
    const QString raw = QString::fromLatin1(file.readAll());
    const auto ascent = QRegularExpression(R"(/Ascent\s+(-?[\d.]+))").match(raw);
    sheet.font = QRegularExpression(R"(/BaseFont\s*/(\S+))").match(raw).captured(1);
    const auto descent = QRegularExpression(R"(/Descent\s+(-?[\d.]+))").match(raw);
    const double descentEm = descent.captured(1).toDouble() / 1000;
    const double em = ascent.captured(1).toDouble() / 1000 - descentEm;

    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const auto &match : word.globalMatch(RunPdfTool("pdftotext", {"-bbox", path, "-"}))) {
        const double bottom = match.captured(3).toDouble();
        const double points = (bottom - match.captured(2).toDouble()) / em;
        const double baseline = bottom + descentEm * points;
        if (sheet.lines.isEmpty() || qAbs(sheet.lines.last().start.y() - baseline) > 0.5) {
            sheet.lines.append(
                {match.captured(4), {match.captured(1).toDouble(), baseline}, points, points});
        } else {
            SheetLine &line = sheet.lines.last();
            line.text += u' ' + match.captured(4);
            line.smallestPoints = qMin(line.smallestPoints, points);
            line.largestPoints = qMax(line.largestPoints, points);
        }
    }
    return sheet;
}

// The sheet's lines 4, 5 and 7 (texts, words one blank apart) at 16 points, each at the left
// edge of the printable area whose top left corner is origin, one line below the other: three
// empty lines above them and one between the switch line and the code line. A caller goes on
// only if !QTest::currentTestFailed().
inline void VerifySheetLayout(const PrintedSheet &sheet, const QStringList &texts, QPointF origin)
{
    QStringList lines;
    for (const SheetLine &line : sheet.lines) {
        lines << line.text;
        QVERIFY2(qAbs(line.smallestPoints - 16) < 0.5 && qAbs(line.largestPoints - 16) < 0.5,
                 qPrintable(line.text));
        QVERIFY2(qAbs(line.start.x() - origin.x()) < 0.5,
                 qPrintable(QStringLiteral("%1 starts at %2").arg(line.text).arg(line.start.x())));
    }
    QCOMPARE(lines, texts);
    // The window's face or its metric twin, not whatever the printer system falls back to.
    QVERIFY2(sheet.font.contains("LiberationSans") || sheet.font.contains("Arial"),
             qPrintable(sheet.font));
    const double pitch = sheet.lines[1].start.y() - sheet.lines[0].start.y();
    QVERIFY2(pitch > 16 && pitch < 24, qPrintable(QString::number(pitch)));
    QVERIFY(qAbs(sheet.lines[2].start.y() - sheet.lines[1].start.y() - 2 * pitch) < 0.5);
    // Below three empty lines, the first baseline lies one ascent of the font, most of its size,
    // lower.
    const double ascent = sheet.lines[0].start.y() - origin.y() - 3 * pitch;
    QVERIFY2(ascent > 0.7 * 16 && ascent < 16, qPrintable(QString::number(ascent)));
}
