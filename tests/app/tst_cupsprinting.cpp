// Printing from the window through the system's print service: Qt's CUPS printing and its print
// dialog, answered as a person would, the private scheduler that privatecups.sh runs the test
// under and a queue of the virtual PDF printer there, asked about through the CUPS tools. What
// only CUPS shows: the job and its title, the queue's default paper, the queue's faults.

#include "linefixtures.h"
#include "qtprinttarget.h"
#include "sheetpdf.h"
#include "windowfixture.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QString Queue = "K5-Test-PDF";
// The scheduler's folder; empty where the test does not run under privatecups.sh.
const QString Folder = qEnvironmentVariable("K5_CUPS_FOLDER");

// Runs one of the CUPS tools (lpadmin, cupsdisable...), program first.
bool RunCups(const QStringList &command)
{
    const Ran ran = RunProcess(command.first(), command.mid(1));
    if (ran.status != 0)
        qWarning() << command << "failed:" << ran.err;
    return ran.status == 0;
}

// Every job that the scheduler holds or has finished, as lpstat names it ("queue-id").
QStringList Jobs()
{
    const QString listed = RunProcess("lpstat", {"-W", "all", "-o"}).out;
    return listed.split(u'\n', Qt::SkipEmptyParts).replaceInStrings(QRegularExpression(" .*"), "");
}

} // namespace

class CupsPrintingTest : public QObject, WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (Folder.isEmpty())
            QSKIP("it prints only on the private scheduler that privatecups.sh runs it under");
        qputenv("PRINTER", Queue.toLocal8Bit());
    }

    void printing_data()
    {
        QTest::addColumn<QStringList>("fault"); // a CUPS tool's command line, run in the dialog
        QTest::addColumn<bool>("cancel");       // the user clicks Cancel in the dialog
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
        // The queue set up again, enabled and accepting jobs, as Debian's printer-driver-cups-pdf
        // sets up its own; its default paper Legal is neither Qt's nor a locale's first choice, so
        // a sheet on it got there by the queue's default.
        QVERIFY(RunCups({"lpadmin", "-p", Queue, "-E", "-v", "cups-pdf:/" + QDir(Folder).dirName(),
                         "-m", "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd", "-o", "PageSize=Legal"}));
        QVERIFY(openWindow());
        bool struck = false; // the fault's tool ran while the dialog was open
        QString chosen;      // the printer that the dialog had chosen, the queue by default
        form->setPrintTargetFactory([&](QPrinter &printer) {
            return std::make_unique<QtPrintTarget>(printer, form.get(), [&](QPrintDialog &dialog) {
                dialog.show();
                if (!QTest::qWaitForWindowExposed(&dialog))
                    return int(QDialog::Rejected);
                struck = fault.isEmpty() || RunCups(fault);
                const auto answer = cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok;
                QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(answer),
                                  Qt::LeftButton);
                chosen = dialog.printer()->printerName();
                return dialog.result();
            });
        });
        const bool fails = cancel || !fault.isEmpty();
        const QStringList before = Jobs();
        click(printButton());
        QStringList jobs = Jobs(); // those that the click handed to the scheduler
        jobs.removeIf([&](const QString &job) { return before.contains(job); });
        QCOMPARE(std::tuple(struck, chosen, statusBox()->text(), jobs.size()),
                 std::tuple(true, Queue, QString(fails ? "Printer error" : ""), fails ? 0 : 1));
        if (fails)
            return;
        // The scheduler logs the job's title once it has finished; the patience is generous for
        // a job's way through the filters and the backend on a busy machine.
        const QString id = jobs[0].section(u'-', -1);
        const auto title = [&] {
            QFile log(Folder + "/log/page_log");
            const QString logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            return QRegularExpression("(?m)^" + id + " total (.*)$").match(logged).captured(1);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!title().isEmpty(), 30'000);
        QCOMPARE(title(), "K5 DIP-switch code sheet");
        const QDir out(Folder + "/out"); // where cups-pdf writes the job's PDF
        const QStringList pdfs = out.entryList({"*-job_" + id + ".pdf"});
        QCOMPARE(pdfs.size(), 1);
        QCOMPARE(ReadPdf(out.filePath(pdfs[0])).pages, QList<QSizeF>{QSizeF(612, 1008)}); // Legal
    }
};

QTEST_MAIN(CupsPrintingTest)
#include "tst_cupsprinting.moc"
