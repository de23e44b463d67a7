#pragma once

// The code sheet on a real printer: Qt's print dialog and a QPainter on a QPrinter.
//
// The lines are kept until the document is ended and only then painted, page and all. Qt's PDF
// and CUPS print engines cannot abort a begun document (QPrinter::abort() does nothing there),
// and a painter that goes away while active ends its document, which would hand a partial sheet
// to the printer. Kept lines can simply be dropped.
//
// On a CUPS queue the sheet is not painted unless the queue exists and runs, and it counts as
// printed only once the scheduler has taken the job: Qt reports neither.

#include "printtarget.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class QPrintDialog;
class QPrinter;
class QWidget;

class QtPrintTarget final : public PrintTarget
{
public:
    // Runs the dialog and returns its result code. QDialog::exec() unless a test answers instead.
    using DialogRunner = std::function<int(QPrintDialog &)>;

    // The document's name: the job's name in a print queue, the title of a PDF.
    static constexpr QStringView JobName = u"K5 DIP-switch code sheet";

    // Lets the user pick the printer in the system's print dialog, modal over dialogParent.
    QtPrintTarget(QPrinter &printer, QWidget *dialogParent, DialogRunner runDialog = {});
    // Prints on the printer exactly as the caller set it up (a PDF file, say), with no dialog.
    explicit QtPrintTarget(QPrinter &printer);

    bool showDialog() override;
    bool setFontSize(int points) override;
    bool printLine(const QString &text) override;
    bool endDocument() override;
    bool abandonDocument() override;

    // The sheet's face before any size is set: the window's Arial, or a metric twin of it
    // (Liberation Sans on Linux), or else any sans-serif face.
    static QFont SheetFont();

private:
    struct Line
    {
        QString text;
        QFont font;
    };

    QPrinter *m_printer = nullptr;
    QWidget *m_dialogParent = nullptr;
    bool m_askUser = false;
    DialogRunner m_runDialog;
    QFont m_font = SheetFont();
    QList<Line> m_lines;
};
