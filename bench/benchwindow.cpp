#include "benchwindow.h"

#include "form1.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <ctime>

namespace {

qint64 ProcessCpuNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

BenchWindow::BenchWindow(QObject *parent) : QObject(parent)
{
    m_clock.start();
}

BenchWindow::~BenchWindow() = default;

bool BenchWindow::useOwnConfig(QString *error)
{
    if (!m_config.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    return true;
}

bool BenchWindow::show(QString *error)
{
    m_form = std::make_unique<Form1>();
    m_form->showCentred();
    if (!QTest::qWaitForWindowExposed(m_form.get())) {
        *error = QStringLiteral("the window was not shown");
        return false;
    }
    auto *reset = m_form->findChild<QWidget *>(QStringLiteral("Command7"));
    QTest::mouseClick(reset, Qt::LeftButton);
    QTest::keyClick(reset, Qt::Key_V);
    if (!m_form->findChild<QWidget *>(QStringLiteral("Command8"))->isVisible()) {
        *error = QStringLiteral("the version button did not show");
        return false;
    }
    return true;
}

void BenchWindow::close()
{
    m_form.reset();
}

bool BenchWindow::click(const QString &button, const QString &running,
                        const std::function<bool()> &settled, Click *click)
{
    auto *status = m_form->findChild<QLineEdit *>(QStringLiteral("Text1"));
    const QMetaObject::Connection watch =
        connect(status, &QLineEdit::textChanged, this, [&](const QString &text) {
            if (click->ended || text == running)
                return;
            click->textNs = m_clock.nsecsElapsed();
            click->cpuNs += ProcessCpuNs();
            click->text = text;
            click->ended = true;
            // Looked at once the handler has returned and the port is closed again.
            QTimer::singleShot(0, this, &BenchWindow::stepped);
        });
    click->cpuNs = -ProcessCpuNs();
    click->clickNs = m_clock.nsecsElapsed();
    QTest::mouseClick(m_form->findChild<QAbstractButton *>(button), Qt::LeftButton);
    click->handledNs = m_clock.nsecsElapsed();
    click->handlerCpuNs = click->cpuNs + ProcessCpuNs();
    const bool done =
        waitFor([&] { return click->ended && !m_form->busy() && settled(); }, PatienceMs);
    disconnect(watch);
    return done;
}

bool BenchWindow::waitFor(const std::function<bool()> &done, int timeoutMs)
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
    limit.start(timeoutMs);
    loop.exec();
    return done();
}

void BenchWindow::pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
