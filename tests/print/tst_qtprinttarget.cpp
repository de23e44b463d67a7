// The code sheet on a real QPrinter in PDF mode, read back with poppler-utils,
// and the print dialog step answered without showing the dialog.

#include "codesheet.h"
#include "qtprinttarget.h"
#include "sheetpdf.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QStringList zeros(10, u"0"_s);
// In points; the printable area's top left corner lies at (left, top).
constexpr QMarginsF Margins(72, 90, 36, 36);

// A printer that writes a PDF file, with margins unlike any default so that the left edge and
// the top of the printable area are told apart from the paper's.
std::unique_ptr<QPrinter> pdfPrinter(const QString &fileName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageMargins(Margins, QPageLayout::Point);
    return printer;
}

} // namespace

class QtPrintTargetTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The seven lines in order at 16 points, each at the left edge of the printable area and one
    // line below the one before: three empty ones at the top, then lines 4, 5 and 7 with text.
    void sheet()
    {
        if (!PdfToolsFound())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the PDF back");
        const QString path = m_dir.filePath(u"sheet.pdf"_s);
        const auto printer = pdfPrinter(path);
        {
            QtPrintTarget target(*printer);
            QCOMPARE(PrintCodeSheet(target, zeros, u"00012"_s), PrintOutcome::Printed);
        }
        VerifySheetLayout(
            ReadSheet(path),
            {u"DIP-switch 1-10"_s, u"0 0 0 0 0 0 0 0 0 0"_s, u"DIP-switch code: 00012"_s},
            {Margins.left(), Margins.top()});
    }

    void abandonedSheetLeavesNoFile_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("abandon"); // or the target just goes away
        QTest::newRow("abandoned after 7 lines") << 7 << true;
        QTest::newRow("target gone after 4 lines") << 4 << false;
    }

    // The lines kept must never reach the printer.
    void abandonedSheetLeavesNoFile()
    {
        QFETCH(int, lines);
        QFETCH(bool, abandon);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const auto printer = pdfPrinter(path);
        {
            QtPrintTarget target(*printer);
            QVERIFY(target.showDialog() && target.setFontSize(16));
            for (int i = 0; i < lines; ++i)
                QVERIFY(target.printLine(u"DIP-switch 1-10"_s));
            QVERIFY(!abandon || target.abandonDocument());
        }
        QVERIFY(!QFile::exists(path));
    }

    void printerThatCannotStart()
    {
        const QString path = m_dir.filePath(u"missing-folder/sheet.pdf"_s);
        const auto printer = pdfPrinter(path);
        QtPrintTarget target(*printer);
        QCOMPARE(PrintCodeSheet(target, zeros, u"29524"_s), PrintOutcome::Failed);
        QVERIFY(!QFile::exists(path));
    }

    void dialog_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << int(QDialog::Rejected);
        QTest::newRow("print") << int(QDialog::Accepted);
    }

    // The dialog is answered in place of the user, never shown.
    void dialog()
    {
        QFETCH(int, answer);
        const QString path = m_dir.filePath(u"dialog-%1.pdf"_s.arg(answer));
        const auto printer = pdfPrinter(path);
        QWidget window;
        int shown = 0;
        bool asSetUp = false;
        QtPrintTarget target(*printer, &window, [&](QPrintDialog &dialog) {
            ++shown;
            // Modal over the window, for this printer. Linux lists "Print to File (PDF)" only
            // while PrintToFile is on; all else is off.
            using Dialog = QAbstractPrintDialog;
            asSetUp = dialog.printer() == printer.get() && dialog.parentWidget() == &window &&
                      dialog.options() == Dialog::PrintDialogOptions(Dialog::PrintToFile);
            return answer;
        });

        const bool printed = answer == QDialog::Accepted;
        QCOMPARE(PrintCodeSheet(target, zeros, u"29524"_s),
                 printed ? PrintOutcome::Printed : PrintOutcome::Failed);
        QCOMPARE(shown, 1);
        QVERIFY(asSetUp);
        QCOMPARE(QFile::exists(path), printed);
    }
};

QTEST_MAIN(QtPrintTargetTest)
#include "tst_qtprinttarget.moc"
