#include "soak.h"

#include "dropdownbox.h"
#include "form1.h"
#include "statustexts.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <random>
#include <unistd.h>

namespace {

// Bound on a simulator starting, as on an exchange.
constexpr int PatienceMs = BenchWindow::PatienceMs;
constexpr int WarmUpExchanges = 100;
constexpr int SampleEvery = 100;
constexpr double RunTargetS = 60;
// The shares below are for this many exchanges; other counts scale them.
constexpr int PlannedExchanges = 2000;

// The ports with a fault, each with its share of the exchanges: a tenth in all. Most faults end
// at once with a bad reply; cut:3, no-reply and hangup run into the 0.5 s limit and are kept
// few. COM16 is a link to no device: the port message, and a failed open, every time.
struct FaultPort
{
    int number;
    const char *fault;
    int share;
};
constexpr FaultPort FaultPorts[] = {
    {2, "bad-checksum", 25}, {3, "wrong-command", 25},  {4, "wrong-group", 25}, {5, "overlong", 25},
    {6, "noise", 25},        {7, "trailing-noise", 25}, {8, "cut:3", 15},       {9, "no-reply", 10},
    {10, "hangup", 10},      {16, nullptr, 15},
};
constexpr int SoundPort = 1;

// In turn, exchange by exchange.
enum class ExchangeKind { Read, Write, Version };

// The switch labels that set all ten switches at once, and the code each gives.
struct SwitchLabel
{
    const char *name;
    int code;
};
constexpr SwitchLabel SwitchLabels[] = {{"Label15", 59048}, {"Label16", 29524}, {"Label17", 0}};

// The process's open descriptors, each as "n -> what it refers to".
QStringList OpenDescriptors()
{
    QStringList open;
    DIR *dir = ::opendir("/proc/self/fd");
    if (!dir)
        return open;
    const int own = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QString::fromLatin1(entry->d_name);
        if (name.startsWith(u'.') || name.toInt() == own)
            continue;
        char target[256] = {};
        const ssize_t size = ::readlinkat(own, entry->d_name, target, sizeof target - 1);
        open << name + QStringLiteral(" -> ") +
                    QString::fromLocal8Bit(target, std::max<ssize_t>(size, 0));
    }
    ::closedir(dir);
    return open;
}

double ResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // Read at once and parsed here: the file is a few hundred bytes.
    const QByteArray text = status.readAll();
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024; // kB
    }
    return -1;
}

QString Signed(double value, int decimals)
{
    return (value < 0 ? QString() : QStringLiteral("+")) + Figure(value, decimals);
}

} // namespace

QString Soak::Port::name() const
{
    return QStringLiteral("COM%1").arg(number);
}

Soak::Soak(int exchanges, unsigned seed, QObject *parent)
    : QObject(parent), m_exchanges(exchanges), m_seed(seed)
{}

Soak::~Soak()
{
    tearDown();
}

bool Soak::run(BenchReport &report, QString *error)
{
    if (!setUp(error)) {
        tearDown();
        return false;
    }
    const std::vector<int> order = plan();
    sample(0);
    const qint64 startNs = m_window.nsecs();
    for (int i = 0; i < m_exchanges; ++i) {
        if (!exchange(i, m_ports[size_t(order[size_t(i)])], error)) {
            tearDown();
            return false;
        }
        if ((i + 1) % SampleEvery == 0)
            sample(i + 1);
    }
    const qint64 runNs = m_window.nsecs() - startNs;
    if (m_samples.back().exchanges != m_exchanges)
        sample(m_exchanges);
    for (const Port &port : m_ports) {
        if (port.process && port.process->state() != QProcess::Running) {
            *error = QStringLiteral("the simulator of %1 ended during the run").arg(port.name());
            tearDown();
            return false;
        }
    }
    tearDown();
    reportFigures(report, runNs);

    // Against the state after the warm-up: the first exchanges set up what the window keeps for
    // good (among others, the first repaint of the background picture behind changed switch
    // boxes starts two of Qt's pooled image threads, each with a descriptor of its own).
    const Sample &base = warmedUp();
    for (const Sample &s : std::as_const(m_samples)) {
        if (s.exchanges <= base.exchanges)
            continue;
        if (s.fds > base.fds) {
            *error = QStringLiteral("open descriptors went from %1 after %2 exchanges to %3 after "
                                    "%4; new: %5")
                         .arg(base.fds)
                         .arg(base.exchanges)
                         .arg(s.fds)
                         .arg(s.exchanges)
                         .arg(m_descriptorsGrown.join(QStringLiteral(", ")));
            return false;
        }
        if (s.rssMiB - base.rssMiB > RssBoundMiB) {
            *error = QStringLiteral("resident memory grew %1 MiB from %2 to %3 exchanges")
                         .arg(Figure(s.rssMiB - base.rssMiB, 2))
                         .arg(base.exchanges)
                         .arg(s.exchanges);
            return false;
        }
    }
    return true;
}

bool Soak::setUp(QString *error)
{
    if (!m_window.useOwnConfig(error))
        return false;

    int faulty = 0;
    m_ports.reserve(std::size(FaultPorts) + 1); // the processes' handlers hold on to them
    m_ports.push_back({});
    m_ports.back().number = SoundPort;
    for (const FaultPort &f : FaultPorts) {
        Port port;
        port.number = f.number;
        port.missing = !f.fault;
        port.fault = f.fault ? QLatin1StringView(f.fault) : QStringLiteral("missing");
        port.share = int(std::lround(double(f.share) * m_exchanges / PlannedExchanges));
        faulty += port.share;
        m_ports.push_back(std::move(port));
    }
    m_ports.front().share = m_exchanges - faulty;
    if (m_ports.front().share < 0) {
        *error = QStringLiteral("too few exchanges");
        return false;
    }

    const QString ports = m_window.configPath(QStringLiteral("k5-dipswitch/ports"));
    for (Port &port : m_ports) {
        if (port.missing) {
            if (!QDir().mkpath(ports) || !QFile::link(QStringLiteral("/nonexistent/k5-soak-tty"),
                                                      ports + u'/' + port.name())) {
                *error = QStringLiteral("cannot make the link of %1").arg(port.name());
                return false;
            }
            continue;
        }
        if (!startSimulator(port, error))
            return false;
    }
    for (Port &port : m_ports) {
        if (!port.missing && !m_window.waitFor([&] { return port.devices > 0; }, PatienceMs)) {
            *error = QStringLiteral("the simulator of %1 did not start: %2")
                         .arg(port.name(), port.unexpected.join(u' '));
            return false;
        }
    }

    return m_window.show(error);
}

bool Soak::startSimulator(Port &port, QString *error)
{
    // Codes and version texts of their own, so that a reply from the wrong port shows.
    port.held = 1111 * port.number;
    port.versionText = QStringLiteral("SIM ") + port.name();
    QStringList arguments{QStringLiteral("--no-pacing"),    QStringLiteral("--log"),
                          QStringLiteral("--link"),         port.name(),
                          QStringLiteral("--code"),         QString::number(port.held),
                          QStringLiteral("--version-text"), port.versionText};
    if (!port.fault.isEmpty())
        arguments << QStringLiteral("--fault") << port.fault;
    port.process = std::make_unique<QProcess>();
    // The log is counted as it comes and not kept: kept, it would grow with the run and be
    // taken for a leak of the window.
    Port *p = &port;
    connect(port.process.get(), &QProcess::readyReadStandardOutput, this,
            [this, p] { takeOutput(*p); });
    connect(port.process.get(), &QProcess::readyReadStandardError, this,
            [this, p] { takeOutput(*p); });
    port.process->start(QStringLiteral(K5_SIM_PATH), arguments);
    if (!port.process->waitForStarted(PatienceMs)) {
        *error = QStringLiteral("cannot start the simulator: ") + port.process->errorString();
        return false;
    }
    return true;
}

void Soak::takeOutput(Port &port)
{
    port.pendingOut += port.process->readAllStandardOutput();
    const qsizetype outEnd = port.pendingOut.lastIndexOf('\n') + 1;
    port.devices += int(port.pendingOut.first(outEnd).count('\n'));
    port.pendingOut.remove(0, outEnd);

    port.pendingErr += port.process->readAllStandardError();
    qsizetype end;
    while ((end = port.pendingErr.indexOf('\n')) >= 0) {
        const QByteArrayView line = QByteArrayView(port.pendingErr).first(end);
        if (line == "closed" || line == "hangup")
            ++port.ends;
        else if (line != "open" && !line.startsWith("rx ") && !line.startsWith("tx ") &&
                 port.unexpected.size() < 10)
            port.unexpected << QString::fromLocal8Bit(line);
        port.pendingErr.remove(0, end + 1);
    }
    m_window.wake();
}

void Soak::tearDown()
{
    m_window.close();
    for (Port &port : m_ports) {
        if (!port.process)
            continue;
        port.process->disconnect(this);
        port.process->terminate();
    }
    for (Port &port : m_ports) {
        if (port.process && !port.process->waitForFinished(PatienceMs))
            port.process->kill();
        port.process.reset();
    }
}

std::vector<int> Soak::plan() const
{
    std::vector<int> order;
    order.reserve(size_t(m_exchanges));
    for (size_t i = 0; i < m_ports.size(); ++i)
        order.insert(order.end(), size_t(m_ports[i].share), int(i));
    std::mt19937 random(m_seed);
    std::shuffle(order.begin(), order.end(), random);
    return order;
}

bool Soak::exchange(int index, Port &port, QString *error)
{
    Form1 *form = m_window.form();
    auto *codeBox = form->findChild<QLineEdit *>(QStringLiteral("Text2"));
    auto *counter = form->findChild<QLineEdit *>(QStringLiteral("Text3"));
    form->findChild<DropDownBox *>(QStringLiteral("Combo1"))->setText(port.name());

    const auto kind = ExchangeKind(index % 3);
    const char *button = kind == ExchangeKind::Read    ? "Command1"
                         : kind == ExchangeKind::Write ? "Command6"
                                                       : "Command8";
    const QString &running = kind == ExchangeKind::Read    ? StatusText::ReadRunning
                             : kind == ExchangeKind::Write ? StatusText::WriteRunning
                                                           : StatusText::VersionRunning;
    int code = -1;
    if (kind == ExchangeKind::Write) {
        // A code of its own for each write, set as a person sets it, so that a read shows
        // which write the transmitter kept.
        const SwitchLabel &label = SwitchLabels[size_t(m_writes++) % std::size(SwitchLabels)];
        QTest::mouseClick(form->findChild<QLabel *>(QLatin1StringView(label.name)), Qt::LeftButton);
        code = label.code;
        if (codeBox->text() != QString::number(code)) {
            *error = QStringLiteral("%1 did not set the code %2 (code box \"%3\")")
                         .arg(QLatin1StringView(label.name))
                         .arg(code)
                         .arg(codeBox->text());
            return false;
        }
    }
    const QString codeBefore = codeBox->text();
    const int endsBefore = port.ends;
    const int devicesBefore = port.devices;
    const bool hangsUp = port.fault == u"hangup";

    BenchWindow::Click click;
    // The next exchange on this line waits until its simulator has seen the port closed (or has
    // hung up and offers the fresh line), as a person's next click would come after it.
    const bool done = m_window.click(
        QLatin1StringView(button), running,
        [&] {
            return (port.missing || port.ends > endsBefore) &&
                   (!hangsUp || port.devices > devicesBefore);
        },
        &click);
    const QString &final = click.text;

    const QString what =
        QStringLiteral("exchange %1, %2 on %3 (%4)")
            .arg(index + 1)
            .arg(QLatin1StringView(kind == ExchangeKind::Read    ? "read"
                                   : kind == ExchangeKind::Write ? "write"
                                                                 : "version"),
                 port.name(), port.fault.isEmpty() ? QStringLiteral("sound") : port.fault);
    if (!done) {
        *error = QStringLiteral("%1 did not end: status \"%2\", busy %3; simulator: %4")
                     .arg(what, form->findChild<QLineEdit *>(QStringLiteral("Text1"))->text())
                     .arg(int(form->busy()))
                     .arg(port.unexpected.join(u' '));
        return false;
    }

    QString expected;
    if (port.missing)
        expected = StatusText::PortUnavailable(port.number);
    else if (!port.succeeds())
        expected = kind == ExchangeKind::Read    ? StatusText::ReadError
                   : kind == ExchangeKind::Write ? StatusText::WriteError
                                                 : StatusText::VersionError;
    else
        expected = kind == ExchangeKind::Read    ? StatusText::ReadOk
                   : kind == ExchangeKind::Write ? StatusText::WriteOk
                                                 : port.versionText;
    const double ms = double(click.textNs - click.clickNs) / 1e6;
    if (final == StatusText::PortUnavailable(port.number)) {
        ++port.portMessages;
        m_portMs << ms;
    } else if (final == StatusText::ReadError || final == StatusText::WriteError ||
               final == StatusText::VersionError) {
        ++port.errors;
        m_errorMs << ms;
    } else {
        ++port.ok;
        m_okMs << ms;
    }
    if (final != expected) {
        *error = QStringLiteral("%1 ended with \"%2\", expected \"%3\"").arg(what, final, expected);
        return false;
    }

    // What the window shows besides the status.
    QString shown;
    if (kind == ExchangeKind::Read && final == StatusText::ReadOk) {
        if (codeBox->text() != QString::number(port.held) ||
            !form->findChild<QCheckBox *>(QStringLiteral("Check1"))->isChecked())
            shown =
                QStringLiteral("code box \"%1\", expected %2").arg(codeBox->text()).arg(port.held);
    } else if (codeBox->text() != codeBefore) {
        shown = QStringLiteral("code box \"%1\", was \"%2\"").arg(codeBox->text(), codeBefore);
    }
    if (kind == ExchangeKind::Write) {
        m_confirmedWrites += final == StatusText::WriteOk ? 1 : 0;
        // Every fault played here lets the request through, so the transmitter keeps the
        // code whether or not the reply confirms it.
        if (!port.missing)
            port.held = code;
    }
    if (shown.isEmpty() && counter->text() != QString::number(m_confirmedWrites))
        shown = QStringLiteral("counter \"%1\", expected %2")
                    .arg(counter->text())
                    .arg(m_confirmedWrites);
    if (!shown.isEmpty()) {
        *error = what + QStringLiteral(": ") + shown;
        return false;
    }
    return true;
}

void Soak::sample(int exchanges)
{
    const QStringList descriptors = OpenDescriptors();
    if (exchanges == std::min(WarmUpExchanges, m_exchanges))
        m_descriptorsWarm = descriptors;
    else if (exchanges > WarmUpExchanges && m_descriptorsGrown.isEmpty() &&
             descriptors.size() > m_descriptorsWarm.size())
        for (const QString &d : descriptors)
            if (!m_descriptorsWarm.contains(d))
                m_descriptorsGrown << d;
    m_samples << Sample{exchanges, int(descriptors.size()), ResidentMiB()};
}

const Soak::Sample &Soak::warmedUp() const
{
    for (const Sample &s : m_samples) {
        if (s.exchanges >= std::min(WarmUpExchanges, m_exchanges))
            return s;
    }
    return m_samples.back();
}

void Soak::reportFigures(BenchReport &report, qint64 runNs) const
{
    const double runS = double(runNs) / 1e9;
    QList<double> all = m_okMs + m_errorMs + m_portMs;
    int faulty = 0;
    for (const Port &port : m_ports)
        faulty += port.number == SoundPort ? 0 : port.share;
    report.add(QStringLiteral("soak_exchanges"),
               {QStringLiteral("soak: exchange, click to final text"), QStringLiteral("ms"),
                Spread::of(all),
                QStringLiteral("%1 exchanges, %2 on faulty ports").arg(m_exchanges).arg(faulty),
                QStringLiteral("run %1 s").arg(Figure(runS)),
                QStringLiteral("run <= %1 s").arg(Figure(RunTargetS, 0)), runS <= RunTargetS},
               {{QStringLiteral("exchanges"), m_exchanges},
                {QStringLiteral("faulty"), faulty},
                {QStringLiteral("run_s"), runS},
                {QStringLiteral("ok_median_ms"), Spread::of(m_okMs).median},
                {QStringLiteral("error_median_ms"), Spread::of(m_errorMs).median},
                {QStringLiteral("port_message_median_ms"), Spread::of(m_portMs).median},
                {QStringLiteral("confirmed_writes"), m_confirmedWrites}});

    const Sample &before = m_samples.front();
    const Sample &base = warmedUp();
    const Sample &after = m_samples.back();
    QList<double> fds, rss;
    QJsonArray fdSamples, rssSamples;
    int highestFds = base.fds;
    double highestRss = base.rssMiB;
    for (const Sample &s : m_samples) {
        fdSamples.append(QJsonArray{s.exchanges, s.fds});
        rssSamples.append(QJsonArray{s.exchanges, std::round(s.rssMiB * 1000) / 1000});
        if (s.exchanges < base.exchanges)
            continue;
        fds << s.fds;
        rss << s.rssMiB;
        highestFds = std::max(highestFds, s.fds);
        highestRss = std::max(highestRss, s.rssMiB);
    }
    const int fdGrowth = after.fds - base.fds;
    report.add(QStringLiteral("soak_fds"),
               {QStringLiteral("soak: open file descriptors"), QStringLiteral("fd"),
                Spread::of(fds),
                QStringLiteral("after %1: %2 (before: %3)")
                    .arg(base.exchanges)
                    .arg(base.fds)
                    .arg(before.fds),
                QStringLiteral("%1, highest %2").arg(Signed(fdGrowth, 0)).arg(highestFds),
                QStringLiteral("+0"), highestFds <= base.fds},
               {{QStringLiteral("warm_up_exchanges"), base.exchanges},
                {QStringLiteral("before"), before.fds},
                {QStringLiteral("after_warm_up"), base.fds},
                {QStringLiteral("after"), after.fds},
                {QStringLiteral("highest"), highestFds},
                {QStringLiteral("growth"), fdGrowth},
                {QStringLiteral("samples"), fdSamples}});

    const double rssGrowth = after.rssMiB - base.rssMiB;
    const double rssPeak = highestRss - base.rssMiB;
    report.add(QStringLiteral("soak_rss"),
               {QStringLiteral("soak: resident memory (VmRSS)"), QStringLiteral("MiB"),
                Spread::of(rss),
                QStringLiteral("after %1: %2 MiB").arg(base.exchanges).arg(Figure(base.rssMiB, 2)),
                QStringLiteral("%1 MiB, peak %2").arg(Signed(rssGrowth, 2), Signed(rssPeak, 2)),
                QStringLiteral("<= +%1 MiB").arg(Figure(RssBoundMiB)), rssPeak <= RssBoundMiB},
               {{QStringLiteral("warm_up_exchanges"), base.exchanges},
                {QStringLiteral("before_mib"), before.rssMiB},
                {QStringLiteral("after_warm_up_mib"), base.rssMiB},
                {QStringLiteral("after_mib"), after.rssMiB},
                {QStringLiteral("growth_mib"), rssGrowth},
                {QStringLiteral("peak_growth_mib"), rssPeak},
                {QStringLiteral("samples"), rssSamples}});

    QStringList outcomes;
    for (const Port &port : m_ports) {
        outcomes << QStringLiteral("%1 %2: %3 (OK %4, error %5, port message %6)")
                        .arg(port.name(),
                             port.fault.isEmpty() ? QStringLiteral("sound") : port.fault)
                        .arg(port.share)
                        .arg(port.ok)
                        .arg(port.errors)
                        .arg(port.portMessages);
    }
    report.addNote(
        QStringLiteral(
            "Soak: %1 exchanges in one window, read, write and version in turn, each clicked with "
            "QTest after Combo1 was set to its port; the ports in a shuffled order (seed %2). "
            "Simulators unpaced (--no-pacing), one a port, each with a code and a version text "
            "of its own; writes set all switches by a label click, in turn 59048, 29524 and 0. "
            "Checked for every exchange: the status text exactly (OK text, error text, the "
            "simulator's version text, or the port message), the code box after reads (the code "
            "the port's simulator holds, the last one written to it) and otherwise unchanged, "
            "the counter (confirmed writes only). The next click waits until the simulator has "
            "seen the port closed.")
            .arg(m_exchanges)
            .arg(m_seed));
    report.addNote(QStringLiteral("Soak outcomes per port: ") +
                   outcomes.join(QStringLiteral("; ")) + u'.');
    report.addNote(
        QStringLiteral("Soak times, medians: OK %1 ms, error %2 ms (the time-outs of cut:3, "
                       "no-reply and hangup take their 0.5 s), port message %3 ms.")
            .arg(Figure(Spread::of(m_okMs).median, 2), Figure(Spread::of(m_errorMs).median, 2),
                 Figure(Spread::of(m_portMs).median, 2)));
    report.addNote(
        QStringLiteral(
            "Soak growth, from the state after a warm-up of %1 exchanges (the first exchanges set "
            "up what the window keeps: the first repaint of the background picture behind "
            "changed switch boxes starts two of Qt's pooled image threads, one descriptor each): "
            "open descriptors (/proc/self/fd) and resident memory (VmRSS of /proc/self/status), "
            "counted before the first exchange (%2 descriptors, %3 MiB), every %4 exchanges and "
            "after the last, each time with the window idle and the port closed.")
            .arg(base.exchanges)
            .arg(before.fds)
            .arg(Figure(before.rssMiB, 2))
            .arg(SampleEvery));
    report.addSummary(QStringLiteral("soak %1 ok fd %2 rss %3 MiB")
                          .arg(m_exchanges)
                          .arg(Signed(fdGrowth, 0), Signed(rssGrowth, 1)));
}
