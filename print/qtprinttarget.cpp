#include "qtprinttarget.h"

#include "cupsqueue.h"
#include "printlog.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <utility>

namespace {

void logPrinter(const QPrinter &printer)
{
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    qCInfo(lcPrint) << "printer" << printer.printerName() << "format" << (pdf ? "PDF" : "native")
                    << "file" << printer.outputFileName() << "resolution" << printer.resolution();
}

} // namespace

QtPrintTarget::QtPrintTarget(QPrinter &printer, QWidget *dialogParent, DialogRunner runDialog)
    : m_printer(&printer), m_dialogParent(dialogParent), m_askUser(true),
      m_runDialog(std::move(runDialog))
{}

QtPrintTarget::QtPrintTarget(QPrinter &printer) : m_printer(&printer) {}

QFont QtPrintTarget::SheetFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool QtPrintTarget::showDialog()
{
    if (!m_askUser) {
        logPrinter(*m_printer);
        return true;
    }

    QPrintDialog dialog(m_printer, m_dialogParent);
    // The sheet is one fixed page, so only printing to a file stays: on Linux the dialog offers
    // "Print to File (PDF)" only with that option, and without printers it is the only choice.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile);
    const int result = m_runDialog ? m_runDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    logPrinter(*m_printer);
    return true;
}

bool QtPrintTarget::setFontSize(int points)
{
    if (points <= 0)
        return false;
    m_font.setPointSize(points);
    return true;
}

bool QtPrintTarget::printLine(const QString &text)
{
    m_lines.append({text, m_font});
    return true;
}

bool QtPrintTarget::endDocument()
{
    const QList<Line> lines = std::exchange(m_lines, {});
    m_printer->setDocName(JobName.toString());
    const bool native = m_printer->outputFormat() == QPrinter::NativeFormat;
    if (native) {
        const QString problem = CupsQueueProblem(m_printer->printerName());
        if (!problem.isEmpty()) {
            qCWarning(lcPrint).noquote() << "the printer cannot print:" << problem;
            return false;
        }
    }

    QPainter painter;
    if (!painter.begin(m_printer)) {
        qCWarning(lcPrint) << "the printer did not start the document";
        return false;
    }

    // On a QPrinter the painter's origin is the top left corner of the printable area.
    qreal top = 0;
    for (const Line &line : lines) {
        const QFontMetricsF metrics(line.font, m_printer);
        painter.setFont(line.font);
        painter.drawText(QPointF(0, top + metrics.ascent()), line.text);
        top += metrics.lineSpacing();
    }

    if (m_printer->printerState() == QPrinter::Error) {
        // Where the platform can abort (Windows), the page then never reaches the printer.
        qCWarning(lcPrint) << "the printer reported an error while the page was painted";
        m_printer->abort();
        return false;
    }
    if (!painter.end()) {
        qCWarning(lcPrint) << "the printer did not end the document";
        return false;
    }
    if (native) {
        const QString problem = CupsJobProblem();
        if (!problem.isEmpty()) {
            qCWarning(lcPrint).noquote() << "the print service refused the sheet:" << problem;
            return false;
        }
    }
    qCInfo(lcPrint) << "code sheet handed to the printer";
    return true;
}

bool QtPrintTarget::abandonDocument()
{
    qCInfo(lcPrint) << "document abandoned," << m_lines.size() << "lines dropped";
    m_lines.clear();
    return true;
}
