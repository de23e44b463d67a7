#include "cupsqueue.h"

#ifdef K5_PRINT_THROUGH_CUPS

#include <cstdlib>
#include <cups/cups.h>

QString CupsQueueProblem(const QString &printerName)
{
    const QByteArray queue = printerName.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray instance = printerName.section(u'/', 1).toLocal8Bit();
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return QStringLiteral("no such queue (%1)").arg(QString::fromUtf8(cupsLastErrorString()));
    // A stopped queue still takes jobs and holds them: the sheet would come out later, unasked,
    // after the user has been told that printing failed.
    const char *state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const bool stopped = state && std::atoi(state) == IPP_PSTATE_STOPPED;
    cupsFreeDests(1, dest);
    return stopped ? QStringLiteral("the queue is stopped") : QString();
}

QString CupsJobProblem()
{
    // Qt hands the job over with cupsPrintFile() and drops its result; the status of that last
    // request stays with the CUPS client of the thread.
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString();
    return QString::fromUtf8(cupsLastErrorString());
}

#else

// Elsewhere Qt prints through the system's own printing, which reports its failures to QPainter.
QString CupsQueueProblem(const QString &)
{
    return QString();
}

QString CupsJobProblem()
{
    return QString();
}

#endif
