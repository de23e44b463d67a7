#include "benchwindow.h"

#include "procstatus.h"
#include "simulatorprocess.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <ctime>

bool BenchWindow::open(QString *error)
{
    if (!openWindow()) {
        *error = QStringLiteral("the window was not shown");
        return false;
    }
    WindowFixture::click(resetButton());
    QTest::keyClick(resetButton(), Qt::Key_V);
    if (!versionButton()->isVisible()) {
        *error = QStringLiteral("the version button did not show");
        return false;
    }
    return true;
}

bool BenchWindow::click(QAbstractButton *button, const QString &running,
                        const std::function<bool()> &settled, Click *click)
{
    const QMetaObject::Connection watch =
        connect(statusBox(), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (click->ended || text == running)
                return;
            click->textNs = nsecs();
            click->cpuNs += ProcessCpuNs();
            click->text = text;
            click->ended = true;
            // Looked at once the handler has returned and the port is closed again.
            QTimer::singleShot(0, this, &BenchWindow::stepped);
        });
    click->cpuNs = -ProcessCpuNs();
    click->clickNs = nsecs();
    WindowFixture::click(button);
    click->handledNs = nsecs();
    click->handlerCpuNs = click->cpuNs + ProcessCpuNs();
    const bool done = waitFor([&] { return click->ended && !form->busy() && settled(); });
    disconnect(watch);
    return done;
}

bool BenchWindow::waitFor(const std::function<bool()> &done)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &BenchWindow::stepped, &loop, [&] {
        if (done())
            loop.quit();
    });
    limit.start(PatienceMs);
    loop.exec();
    return done();
}

qint64 ProcessCpuNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

int OpenDescriptors()
{
    // Less the one that reads the folder.
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size()) -
           1;
}

double ResidentMiB()
{
    return ProcStatusKiB("VmRSS") / 1024;
}
