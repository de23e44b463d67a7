// The code sheet: its lines and the printing procedure against a scripted print target, and the
// sheet on paper from a real QPrinter in PDF mode, read back with poppler-utils.

#include "codesheet.h"
#include "qtprinttarget.h"
#include "scriptedprinttarget.h"
#include "sheetpdf.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

class CodeSheetTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The first failing call ends the procedure; a document begun is abandoned, never ended.
    // The switch texts, switch 1 first, and the code text are printed exactly as they stand.
    // Each call failing in turn (0 the dialog, 1 the font, 2 to 8 the lines, 9 the end), and
    // none (-1).
    void steps()
    {
        for (int failingCall = -1; failingCall <= 9; ++failingCall) {
            QStringList calls{"dialog", "font 16", "line ", "line ", "line ",
                              "line DIP-switch 1-10", "line  +    abc  0  -       ++  0  ",
                              "line ", "line DIP-switch code:  012 ", "end"};
            calls = calls.first(failingCall < 0 ? calls.size() : failingCall + 1);
            if (failingCall > 0)
                calls << "abandon";
            // The log names the line that failed, counted from 1.
            if (failingCall >= 2 && failingCall <= 8)
                QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("printing failed at line %1 "
                                                                      "- the document is abandoned")
                                                                  .arg(failingCall - 1)));
            QStringList log;
            ScriptedTarget target(failingCall, &log);
            const PrintOutcome outcome =
                PrintCodeSheet(target, QString(" +||abc|0|- |||++|0|").split(u'|'), " 012 ");
            QCOMPARE(std::tuple(failingCall, outcome == PrintOutcome::Printed, log.join(u'|')),
                     std::tuple(failingCall, failingCall < 0, calls.join(u'|')));
        }
    }

    // On a printer that starts the document: one page, the lines in one face at 16 points, each
    // at the printable area's left edge and directly below the one before, line 1 at its top: so
    // lines 4, 5 and 7 lie three, four and six line spacings below it. On one that cannot start
    // it, nothing of the sheet reaches the file.
    void onPaper_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("starts");
        QTest::newRow("printed") << "sheet.pdf" << true;
        QTest::newRow("printer cannot start") << "missing-folder/sheet.pdf" << false;
    }
    void onPaper()
    {
        QFETCH(QString, file);
        QFETCH(bool, starts);
        const QString path = m_dir.filePath(file);
        constexpr QPointF margin(18, 36); // the printable area's corner; whole pixels at 1200 dpi
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A5));
        printer.setPageMargins(QMarginsF(margin.x(), margin.y(), 10, 10), QPageLayout::Point);
        QtPrintTarget target(printer);
        QCOMPARE(PrintCodeSheet(target, QStringList(10, "0"), "29524"),
                 starts ? PrintOutcome::Printed : PrintOutcome::Failed);
        QCOMPARE(QFile::exists(path), starts);
        if (!starts)
            return;

        const PdfContents pdf = ReadPdf(path);
        QCOMPARE(pdf.pages, QList<QSizeF>{QSizeF(420, 595)});
        QCOMPARE(pdf.fonts.size(), 1);
        QVERIFY2(pdf.fonts[0].contains("LiberationSans") || pdf.fonts[0].contains("Arial"),
                 qPrintable(pdf.fonts[0]));
        QCOMPARE(pdf.lines,
                 (QStringList{"DIP-switch 1-10", "0 0 0 0 0 0 0 0 0 0", "DIP-switch code: 29524"}));
        // Arial and its metric twin Liberation Sans space their lines 1.15 times their size apart.
        const double pitch = pdf.boxes[1].top() - pdf.boxes[0].top();
        QCOMPARE_LT(qAbs(pitch - 16 * 1.15), 0.1);
        const int spacings[] = {3, 4, 6};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE_LT(qAbs(pdf.boxes[i].left() - margin.x()), 0.02);
            QCOMPARE_LT(qAbs(pdf.boxes[i].top() - margin.y() - spacings[i] * pitch), 0.02);
        }
    }
};

QTEST_MAIN(CodeSheetTest)
#include "tst_codesheet.moc"
