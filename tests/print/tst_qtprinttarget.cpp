// The code sheet on a real QPrinter in PDF mode, read back with poppler's pdftotext,
// and the print dialog step answered without showing the dialog.

#include "codesheet.h"
#include "qtprinttarget.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
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

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
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
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed to read the PDF back");
        const QString path = m_dir.filePath(u"sheet.pdf"_s);
        const auto printer = pdfPrinter(path);
        {
            QtPrintTarget target(*printer);
            QCOMPARE(PrintCodeSheet(target, zeros, u"00012"_s), PrintOutcome::Printed);
        }

        // pdftotext gives each word a box from the font's ascent down to its descent, both in
        // thousandths of the font size in the font descriptor.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString raw = QString::fromLatin1(file.readAll());
        const auto ascent = QRegularExpression(u"/Ascent\\s+(-?\\d+)"_s).match(raw);
        const auto descent = QRegularExpression(u"/Descent\\s+(-?\\d+)"_s).match(raw);
        const double em = (ascent.captured(1).toDouble() - descent.captured(1).toDouble()) / 1000;

        // Each word as text, left edge, top and height, in points from the paper's top left.
        static const QRegularExpression word(QStringLiteral(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re"));
        QStringList lines;
        QList<QPointF> starts; // where each line's first word begins
        for (const auto &match :
             word.globalMatch(run(u"pdftotext"_s, {u"-bbox"_s, path, u"-"_s}))) {
            const double top = match.captured(2).toDouble();
            QVERIFY2(qAbs((match.captured(3).toDouble() - top) / em - 16) < 0.5,
                     qPrintable(match.captured(4)));
            if (starts.isEmpty() || qAbs(starts.last().y() - top) > 0.5) {
                lines.append(match.captured(4));
                starts.append({match.captured(1).toDouble(), top});
            } else {
                lines.last() += u' ' + match.captured(4);
            }
        }
        QCOMPARE(lines, (QStringList{u"DIP-switch 1-10"_s, u"0 0 0 0 0 0 0 0 0 0"_s,
                                     u"DIP-switch code: 00012"_s}));
        for (const QPointF &start : std::as_const(starts))
            QVERIFY(qAbs(start.x() - Margins.left()) < 0.5);
        const double pitch = starts[1].y() - starts[0].y();
        QVERIFY2(pitch > 16 && pitch < 24, qPrintable(QString::number(pitch)));
        QVERIFY(qAbs(starts[2].y() - starts[1].y() - 2 * pitch) < 0.5);
        QVERIFY(qAbs(starts[0].y() - Margins.top() - 3 * pitch) < 1);
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
