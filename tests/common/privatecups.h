#pragma once

// A private CUPS scheduler for a test (privatecups.sh), with the virtual PDF printer as its queue:
// this process and the tools it runs reach it through CUPS_SERVER, and the PDF of every job that
// the queue prints lands in a folder of the test's. The scheduler stops and its folder goes away
// when the object does, or when the test process dies.

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cups/cups.h>

class PrivateCups
{
public:
    // Bound on a job's way through the filters and the backend; generous for a busy machine.
    static constexpr int PatienceMs = 30'000;

    struct Job
    {
        int id = 0;
        QString title;
        ipp_jstate_t state = IPP_JSTATE_PENDING;
    };

    PrivateCups()
    {
        m_script.start("bash", {K5_PRIVATE_CUPS_SCRIPT});
        // Its report, up to "ready" or the reason why it cannot run.
        while (m_script.canReadLine() || m_script.waitForReadyRead(PatienceMs)) {
            const QString line = QString::fromUtf8(m_script.readLine()).trimmed();
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0)
                m_values.insert(line.left(equals), line.mid(equals + 1));
            m_ready = line == u"ready";
            if (m_ready || m_values.contains("skip") || m_values.contains("error"))
                break;
        }
        if (!ready())
            return;
        // For the tools started from here, and for this thread's CUPS client in case it has
        // already read the machine's setting.
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        cupsSetServer(socket().toLocal8Bit().constData());
    }
    ~PrivateCups()
    {
        m_script.closeWriteChannel();
        if (!m_script.waitForFinished(PatienceMs))
            m_script.kill();
    }
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    bool ready() const { return m_ready; }
    // Why the machine cannot run the scheduler (packages missing, not root); empty when it can.
    QString skipReason() const { return m_values.value("skip"); }
    // Why the scheduler failed although the machine should run it.
    QString error() const { return m_values.value("error", "the scheduler script ended early"); }
    QString socket() const { return m_values.value("socket"); }

    // Adds the queue, or sets it up again, enabled and accepting jobs: the virtual PDF printer as
    // Debian's printer-driver-cups-pdf sets up its own queue, with the given default paper.
    bool addQueue(const QString &name, const QString &paper)
    {
        return tool("lpadmin", {"-p", name, "-E", "-v", m_values.value("device"), "-m",
                                "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd", "-o",
                                "pdftops-renderer-default=pdftocairo", "-o",
                                "printer-is-shared=false", "-o", "PageSize=" + paper});
    }

    // Runs one of the CUPS administration tools (lpadmin, cupsdisable, cupsreject...) on it.
    bool tool(const QString &program, const QStringList &arguments) const
    {
        QProcess process;
        process.start(program, arguments);
        const bool done = process.waitForFinished(PatienceMs) && process.exitCode() == 0;
        if (!done)
            qWarning() << program << arguments << "failed:" << process.readAllStandardError();
        return done;
    }

    // Every job the scheduler knows of, queued or finished, oldest first.
    QList<Job> jobs() const
    {
        cups_job_t *found = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &found, nullptr, 0, CUPS_WHICHJOBS_ALL);
        QList<Job> jobs;
        for (int i = 0; i < count; ++i)
            jobs.append({found[i].id, QString::fromUtf8(found[i].title), found[i].state});
        cupsFreeJobs(count, found);
        std::sort(jobs.begin(), jobs.end(), [](const Job &a, const Job &b) { return a.id < b.id; });
        return jobs;
    }

    // The PDF that cups-pdf wrote for a job, once the job is done; empty if it never came.
    QString waitForSheet(int jobId) const
    {
        const QString name = QStringLiteral("*-job_%1.pdf").arg(jobId);
        const QDir output(m_values.value("output"));
        const bool done = QTest::qWaitFor(
            [&] {
                const QList<Job> all = jobs();
                const auto job = std::find_if(all.begin(), all.end(),
                                              [&](const Job &j) { return j.id == jobId; });
                return job != all.end() && job->state >= IPP_JSTATE_STOPPED;
            },
            PatienceMs);
        const QStringList files = output.entryList({name}, QDir::Files);
        return done && files.size() == 1 ? output.filePath(files.first()) : QString();
    }

private:
    QProcess m_script;
    QMap<QString, QString> m_values;
    bool m_ready = false;
};
