// Printing from the window through the system's print service: Qt's CUPS printing, a private
// scheduler, a queue of the virtual PDF printer with its filters and backend. The print dialog is
// Qt's own, answered as a person would; the PDF that comes out of the queue is read back.

#include "privatecups.h"
#include "qtprinttarget.h"
#include "sheetpdf.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <functional>
#include <memory>

namespace {

const QString Queue = "K5-Test-PDF";
// The queue's default paper: neither Qt's nor a locale's first choice, so a sheet on it got
// there by the queue's default.
const QString QueuePaper = "Legal";
constexpr QSizeF QueuePaperPoints(612, 1008);

} // namespace

class CupsPrintingTest : public QObject, WindowFixture
{
    Q_OBJECT

    std::unique_ptr<PrivateCups> cups;
    std::function<void()> whileDialogOpen; // what happens to the queue before Print is clicked
    bool chosen = false;                   // the dialog listed the queue and it was picked
    QDialogButtonBox::StandardButton answer = QDialogButtonBox::Ok; // the button clicked there
    QPageLayout layout;                    // the printer's page once the dialog was confirmed

    // Picks the queue in the dialog's printer list by typing its name, then clicks the answer.
    int answerDialog(QPrintDialog &dialog)
    {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return QDialog::Rejected;
        for (QComboBox *printers : dialog.findChildren<QComboBox *>()) {
            if (printers->findText(Queue) < 0)
                continue;
            printers->setFocus();
            QTest::keyClicks(printers, Queue);
            chosen = printers->currentText() == Queue;
        }
        if (whileDialogOpen)
            whileDialogOpen();
        QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(answer),
                          Qt::LeftButton);
        layout = dialog.printer()->pageLayout();
        return dialog.result();
    }

    // Clicks Print; the jobs that the click handed to the scheduler.
    QList<PrivateCups::Job> print()
    {
        const qsizetype before = cups->jobs().size();
        click(printButton());
        return cups->jobs().mid(before);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!PdfToolsFound())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the sheets");
        cups = std::make_unique<PrivateCups>();
        if (!cups->skipReason().isEmpty())
            QSKIP(qPrintable("no private print service here: " + cups->skipReason()));
        QVERIFY2(cups->ready(), qPrintable(cups->error()));
    }
    void cleanupTestCase() { cups.reset(); }

    void init()
    {
        QVERIFY(cups->addQueue(Queue, QueuePaper));
        whileDialogOpen = {};
        answer = QDialogButtonBox::Ok;
        chosen = false;
        QVERIFY(openWindow());
        form->setPrintTargetFactory([this](QPrinter &printer) {
            return std::make_unique<QtPrintTarget>(
                printer, form.get(), [this](QPrintDialog &dialog) { return answerDialog(dialog); });
        });
    }
    void cleanup() { closeWindow(); }

    // Each sheet its own job, named after the tool, and its own page on the queue's default
    // paper: the lines as the printer laid them out, not moved or scaled on the way.
    void sheetsOneAfterTheOther()
    {
        const QList<QStringList> sheets{
            {"DIP-switch 1-10", "0 0 0 0 0 0 0 0 0 0", "DIP-switch code: 29524"},
            {"DIP-switch 1-10", "+ + + + + + + + + +", "DIP-switch code: 59048"},
        };
        for (qsizetype i = 0; i < sheets.size(); ++i) {
            if (i == 1)
                click(allPlusLabel());
            statusBox()->setText("last message");
            const QList<PrivateCups::Job> jobs = print();
            QVERIFY(chosen);
            QCOMPARE(statusBox()->text(), QString());
            QCOMPARE(jobs.size(), 1);
            QCOMPARE(jobs[0].title, "K5 DIP-switch code sheet");

            const QString pdf = cups->waitForSheet(jobs[0].id);
            QVERIFY2(!pdf.isEmpty(), "the queue wrote no PDF for the job");
            const PrintedSheet sheet = ReadSheet(pdf);
            QCOMPARE(sheet.paper, QueuePaperPoints);
            VerifySheetLayout(sheet, sheets[i], layout.paintRect(QPageLayout::Point).topLeft());
            if (QTest::currentTestFailed())
                return;
        }
    }

    void faults_data()
    {
        QTest::addColumn<QString>("tool"); // none: the user clicks Cancel
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("whileOpen"); // the fault strikes while the dialog is open
        QTest::newRow("queue stopped") << "cupsdisable" << QStringList{Queue} << false;
        QTest::newRow("queue rejects jobs") << "cupsreject" << QStringList{Queue} << false;
        QTest::newRow("queue removed while the dialog is open")
            << "lpadmin" << QStringList{"-x", Queue} << true;
        QTest::newRow("Cancel") << QString() << QStringList{} << false;
    }

    // "Printer error", and no job: nothing of the sheet waits in a queue to come out later.
    void faults()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(bool, whileOpen);
        bool struck = tool.isEmpty();
        const auto fault = [&] {
            struck = cups->tool(tool, arguments);
        };
        if (tool.isEmpty())
            answer = QDialogButtonBox::Cancel;
        else if (whileOpen)
            whileDialogOpen = fault;
        else
            fault();

        const QList<PrivateCups::Job> jobs = print();
        QVERIFY(struck);
        QVERIFY(chosen);
        QCOMPARE(statusBox()->text(), "Printer error");
        QCOMPARE(jobs.size(), 0);
    }
};

QTEST_MAIN(CupsPrintingTest)
#include "tst_cupsprinting.moc"
