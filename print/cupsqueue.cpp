#include "cupsqueue.h"

#ifdef K5_PRINT_THROUGH_CUPS

#include <QLibrary>

#include <cstdlib>
#include <cups/cups.h>

namespace {

// The CUPS client library, loaded the first time a sheet is printed: with the libraries it
// brings (TLS, Kerberos, Avahi, ...) it would cost every start of the window some milliseconds
// and megabytes. It is the library Qt's CUPS printing loads, so the two share its state.
struct CupsLibrary
{
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsGetOption) getOption = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsLastError) lastError = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;
    bool found = false;

    static const CupsLibrary &get()
    {
        static const CupsLibrary loaded = [] {
            QLibrary library(QStringLiteral("cups"), 2);
            CupsLibrary cups{
                resolved<decltype(&cupsGetNamedDest)>(library, "cupsGetNamedDest"),
                resolved<decltype(&cupsGetOption)>(library, "cupsGetOption"),
                resolved<decltype(&cupsFreeDests)>(library, "cupsFreeDests"),
                resolved<decltype(&cupsLastError)>(library, "cupsLastError"),
                resolved<decltype(&cupsLastErrorString)>(library, "cupsLastErrorString")};
            cups.found = cups.getNamedDest && cups.getOption && cups.freeDests && cups.lastError &&
                         cups.lastErrorString;
            return cups;
        }();
        return loaded;
    }

private:
    template <typename Function> static Function resolved(QLibrary &library, const char *name)
    {
        return reinterpret_cast<Function>(library.resolve(name));
    }
};

} // namespace

QString CupsQueueProblem(const QString &printerName)
{
    const CupsLibrary &cups = CupsLibrary::get();
    if (!cups.found)
        return QStringLiteral("the CUPS client library is missing");
    const QByteArray queue = printerName.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray instance = printerName.section(u'/', 1).toLocal8Bit();
    cups_dest_t *dest = cups.getNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                          instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return QStringLiteral("no such queue (%1)").arg(QString::fromUtf8(cups.lastErrorString()));
    // A stopped queue still takes jobs and holds them: the sheet would come out later, unasked,
    // after the user has been told that printing failed.
    const char *state = cups.getOption("printer-state", dest->num_options, dest->options);
    const bool stopped = state && std::atoi(state) == IPP_PSTATE_STOPPED;
    cups.freeDests(1, dest);
    return stopped ? QStringLiteral("the queue is stopped") : QString();
}

QString CupsJobProblem()
{
    // Qt hands the job over with cupsPrintFile() and drops its result; the status of that last
    // request stays with the CUPS client of the thread.
    const CupsLibrary &cups = CupsLibrary::get();
    if (!cups.found || cups.lastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString();
    return QString::fromUtf8(cups.lastErrorString());
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
