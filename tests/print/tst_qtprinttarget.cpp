// The code sheet on a real QPrinter in PDF mode: nothing of a sheet that fails reaches the file.

#include "codesheet.h"
#include "qtprinttarget.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QStringList zeros(10, u"0"_s);

// A printer that writes a PDF file.
std::unique_ptr<QPrinter> pdfPrinter(const QString &fileName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    return printer;
}

} // namespace

class QtPrintTargetTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
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
};

QTEST_MAIN(QtPrintTargetTest)
#include "tst_qtprinttarget.moc"
