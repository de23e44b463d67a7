#pragma once

// The private CUPS scheduler that privatecups.sh runs a test under, with queues of the virtual
// PDF printer, and what the test asks of it through the CUPS tools.

#include "linefixtures.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <utility>

namespace PrivateCups {

// Bound on a job's way through the filters and the backend; generous for a busy machine.
constexpr int PatienceMs = 30'000;

// The scheduler's folder; empty where the test does not run under privatecups.sh.
inline const QString Folder = qEnvironmentVariable("K5_CUPS_FOLDER");

// Runs one of the CUPS tools (lpadmin, cupsdisable...), program first.
inline bool Run(const QStringList &command)
{
    const Ran ran = RunProcess(command.first(), command.mid(1));
    if (ran.status != 0)
        qWarning() << command << "failed:" << ran.err;
    return ran.status == 0;
}

// Adds the queue, or sets it up again, enabled and accepting jobs: the virtual PDF printer as
// Debian's printer-driver-cups-pdf sets up its own queue, with the given default paper.
inline bool AddQueue(const QString &name, const QString &paper)
{
    return Run({"lpadmin", "-p", name, "-E", "-v", "cups-pdf:/" + QDir(Folder).dirName(), "-m",
                "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd", "-o", "PageSize=" + paper});
}

// Every job that the scheduler holds or has finished, as lpstat names it ("queue-id").
inline QStringList Jobs()
{
    const QString listed = RunProcess("lpstat", {"-W", "all", "-o"}).out;
    return listed.split(u'\n', Qt::SkipEmptyParts).replaceInStrings(QRegularExpression(" .*"), "");
}

// The title that the scheduler logged for the job once it finished, and the PDF that cups-pdf
// wrote for it; empty where the job did not finish in time.
inline std::pair<QString, QString> WaitUntilFinished(const QString &job)
{
    const QString id = job.section(u'-', -1);
    QString title;
    const bool done = QTest::qWaitFor(
        [&] {
            QFile log(Folder + "/log/page_log");
            const QString logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            title = QRegularExpression("(?m)^" + id + " total (.*)$").match(logged).captured(1);
            return !title.isEmpty();
        },
        PatienceMs);
    const QDir out(Folder + "/out");
    const QStringList pdfs = out.entryList({"*-job_" + id + ".pdf"});
    return {title, done && pdfs.size() == 1 ? out.filePath(pdfs[0]) : QString()};
}

} // namespace PrivateCups
