#pragma once

// A PDF read back with poppler-utils: its pages' paper and its lines of text with their boxes
// (pdftotext -tsv), and the fonts it uses (pdffonts). Without the tools it reads as empty.

#include "linefixtures.h"

#include <QRectF>
#include <QStringList>

struct PdfContents
{
    QList<QSizeF> pages; // each page's paper, in points
    QStringList lines;   // each line's words, one blank between them
    QList<QRectF> boxes; // each line's, in points from the paper's top left corner
    QStringList fonts;   // the fonts' names
};

inline PdfContents ReadPdf(const QString &path)
{
    PdfContents pdf;
    // Columns: level (1 page, 4 line, 5 word), page, paragraph, block and line numbers, word number
    // (0 the line's first), left, top, width, height, conf, text.
    for (const QString &row : RunProcess("pdftotext", {"-tsv", path, "-"}).out.split(u'\n')) {
        const QStringList f = row.split(u'\t');
        const QRectF box(f.value(6).toDouble(), f.value(7).toDouble(), f.value(8).toDouble(),
                         f.value(9).toDouble());
        if (f[0] == u"1")
            pdf.pages << box.size();
        else if (f[0] == u"4")
            pdf.boxes << box;
        else if (f[0] == u"5" && f[5] == u"0")
            pdf.lines << f.value(11);
        else if (f[0] == u"5")
            pdf.lines.last() += u' ' + f.value(11);
    }
    // Two lines of headings, then a font a line, its name first.
    for (const QString &font :
         RunProcess("pdffonts", {path}).out.split(u'\n', Qt::SkipEmptyParts).mid(2))
        pdf.fonts << font.section(u' ', 0, 0);
    return pdf;
}
