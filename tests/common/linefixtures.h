#pragma once

// What the tests share: bytes written in hex, the event loop run for a while, a program run to its
// end, and a configuration folder of the test's own, where the port links live.

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

// Bound on what should happen at once; generous, so that a busy machine fails no test.
inline constexpr int PatienceMs = 5000;

inline QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Runs the event loop for a while, as the program does: each timer fires when it is due, in turn.
// (QTest::qWait sleeps between its looks at the events, and a timer due in its last sleep does
// not fire.)
inline void RunEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// How a program ended (status -1: it crashed or did not end in time) and what it printed.
struct Ran
{
    int status = -1;
    QString out;
    QString err;
};

inline Ran RunProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool ended = process.waitForFinished(PatienceMs);
    if (!ended)
        process.kill();
    process.waitForFinished();
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A fresh folder as $XDG_CONFIG_HOME of the test and of the programs it starts, for its life.
// Where it cannot be made the test ends at once, before anything could reach the user's own.
class PrivateConfig
{
public:
    PrivateConfig()
    {
        if (m_path.isEmpty())
            qFatal("cannot make a private configuration folder");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_path));
    }
    ~PrivateConfig() { qputenv("XDG_CONFIG_HOME", m_saved); }

    // The folder by its real path.
    QString path() const { return m_path; }
    QString portLink(const QString &port) const { return m_path + "/k5-dipswitch/ports/" + port; }

private:
    QByteArray m_saved = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir m_dir;
    QString m_path = m_dir.isValid() && QDir().mkpath(m_dir.filePath("k5-dipswitch/ports"))
                         ? QDir(m_dir.path()).canonicalPath()
                         : QString();
};
