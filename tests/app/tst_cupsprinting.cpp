// Printing from the window through the system's print service: Qt's CUPS printing and its print
// dialog, answered as a person would, a private scheduler and a queue of the virtual PDF printer.
// What only CUPS shows: the job and its title, the queue's default paper, the queue's faults.

#include "privatecups.h"
#include "qtprinttarget.h"
#include "sheetpdf.h"
#include "windowfixture.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

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

    QStringList fault;   // a CUPS tool's command line, run while the dialog is open
    bool struck = false; // it ran
    QDialogButtonBox::StandardButton answer = QDialogButtonBox::Ok; // the button clicked there
    QString chosen; // the printer that the dialog had chosen, the queue by default

private Q_SLOTS:
    void initTestCase()
    {
        if (PrivateCups::Folder.isEmpty())
            QSKIP("it prints only on the private scheduler that privatecups.sh runs it under");
        qputenv("PRINTER", Queue.toLocal8Bit());
    }

    void init()
    {
        QVERIFY(PrivateCups::AddQueue(Queue, QueuePaper));
        QVERIFY(openWindow());
        // The dialog answered as a person would, with the fault struck while it is open.
        form->setPrintTargetFactory([this](QPrinter &printer) {
            return std::make_unique<QtPrintTarget>(printer, form.get(), [this](QPrintDialog &dlg) {
                dlg.show();
                if (!QTest::qWaitForWindowExposed(&dlg))
                    return int(QDialog::Rejected);
                struck = fault.isEmpty() || PrivateCups::Run(fault);
                QAbstractButton *button = dlg.findChild<QDialogButtonBox *>()->button(answer);
                QTest::mouseClick(button, Qt::LeftButton);
                chosen = dlg.printer()->printerName();
                return dlg.result();
            });
        });
    }

    void printing_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<bool>("cancel"); // the user clicks Cancel in the dialog
        QTest::newRow("sheet on the queue") << QStringList() << false;
        QTest::newRow("queue stopped") << QStringList{"cupsdisable", Queue} << false;
        QTest::newRow("queue rejects jobs") << QStringList{"cupsreject", Queue} << false;
        QTest::newRow("queue removed") << QStringList{"lpadmin", "-x", Queue} << false;
        QTest::newRow("Cancel") << QStringList() << true;
    }

    // A sheet is one job, named after the tool, and one page on the queue's default paper. A
    // fault or Cancel shows "Printer error" and leaves no job: nothing of the sheet waits in a
    // queue to come out later.
    void printing()
    {
        QFETCH(QStringList, fault);
        QFETCH(bool, cancel);
        this->fault = fault;
        answer = cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok;
        const bool fails = cancel || !fault.isEmpty();
        const QStringList before = PrivateCups::Jobs();
        click(printButton());
        QStringList jobs = PrivateCups::Jobs(); // those that the click handed to the scheduler
        jobs.removeIf([&](const QString &job) { return before.contains(job); });
        QVERIFY(struck);
        QCOMPARE(chosen, Queue);
        QCOMPARE(statusBox()->text(), fails ? "Printer error" : "");
        QCOMPARE(jobs.size(), fails ? 0 : 1);
        if (fails)
            return;
        const auto [title, pdf] = PrivateCups::WaitUntilFinished(jobs[0]);
        QCOMPARE(title, "K5 DIP-switch code sheet");
        QVERIFY2(!pdf.isEmpty(), "the queue wrote no PDF for the job");
        QCOMPARE(ReadPdf(pdf).pages, QList<QSizeF>{QueuePaperPoints});
    }
};

QTEST_MAIN(CupsPrintingTest)
#include "tst_cupsprinting.moc"
