#include "benchmain.h"

#include "benchreport.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

BenchMain::BenchMain(const char *program) : m_program(program) {}

void BenchMain::parse(const QCoreApplication &app, const QList<QCommandLineOption> &own)
{
    m_options.addHelpOption();
    m_options.addOptions(own + QList<QCommandLineOption>{m_json, m_summary});
    m_options.process(app);
}

int BenchMain::fail(const QString &what, int exitCode) const
{
    std::fprintf(stderr, "%s: %s\n", m_program, qPrintable(what));
    return exitCode;
}

int BenchMain::publish(const BenchReport &report) const
{
    std::fputs(report.table().toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    if (m_options.isSet(m_json) &&
        !WriteFile(m_options.value(m_json), QJsonDocument(report.json()).toJson()))
        return fail(QStringLiteral("cannot write ") + m_options.value(m_json));
    if (m_options.isSet(m_summary) &&
        !WriteFile(m_options.value(m_summary), report.summary().toUtf8() + '\n'))
        return fail(QStringLiteral("cannot write ") + m_options.value(m_summary));
    return 0;
}
