#include "bench.h"
#include "benchwindow.h"
#include "portnames.h"
#include "simulatorprocess.h"

#include <QDir>

#include <algorithm>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr int Exchanges = 2000;
constexpr int SampleEvery = 100; // the first sample after that many is the warm-up's end
// Memory may grow this much after the warm-up, for the allocator's slack; a leak of some 1.1 KiB
// an exchange goes beyond it over 1,900 exchanges.
constexpr double RssBoundMiB = 2;

// The ports from COM1 on, each with the fault its simulator plays and its share of the exchanges
// in a thousand: a tenth of them on faulty ports. Most faults end at once; no-echo, no-reply,
// cut:3 and hangup wait out the 0.5 s limit and are kept few. No simulator: a port linked to no
// device, which gives the port message.
struct FaultPort
{
    const char *fault; // empty: a sound transmitter
    int perMille;
};
constexpr FaultPort FaultPorts[] = {
    {"", 900},         {"bad-checksum", 20}, {"wrong-command", 20}, {"trailing-noise", 12},
    {"keep-code", 12}, {"slow:20", 8},       {"no-echo", 5},        {"no-reply", 5},
    {"cut:3", 5},      {"hangup", 5},        {nullptr, 8},
};

// The row of a measure sampled before the first exchange (values[0]), at the warm-up's end
// (values[1]) and after it, named soak_<name>; whether it stayed within bound of the warm-up's end.
bool Growth(BenchReport &report, const QString &name, const QString &figure, const QString &unit,
            const QList<double> &values, double bound)
{
    const int decimals = unit == u"fd" ? 0 : 2;
    const double base = values[1];
    const double highest = *std::max_element(values.begin() + 1, values.end());
    report.add(
        "soak_" + name, "soak: " + figure, unit, values.mid(1),
        QStringLiteral("after %1: %2 %3 (before: %4)")
            .arg(SampleEvery)
            .arg(Figure(base, decimals), unit, Figure(values[0], decimals)),
        QStringLiteral("%1 %2, highest %3")
            .arg(Signed(values.back() - base, decimals), unit, Signed(highest - base, decimals)),
        "<= +" + Figure(bound, decimals / 2) + ' ' + unit, highest - base <= bound);
    report.summary << name + ' ' + Signed(values.back() - base, decimals / 2) +
                          (decimals == 0 ? "" : ' ' + unit);
    return highest - base <= bound;
}

} // namespace

bool MeasureSoak(BenchReport &report, QString *error)
{
    report.tables.emplaceBack();
    // The simulators, by port number less one, none for the port linked to no device; they
    // outlive the window, which closes first.
    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    for (const FaultPort &f : FaultPorts) {
        const int n = int(sims.size()) + 1;
        QStringList arguments{"--no-pacing", "--link", PortName(n)};
        if (f.fault && *f.fault)
            arguments << "--fault" << f.fault;
        sims.push_back(f.fault ? std::make_unique<SimulatorProcess>(arguments) : nullptr);
        if (!(f.fault ? sims.back()->started()
                      : QDir().mkpath(PortsFolder()) &&
                            QFile::link("/nonexistent/k5-soak-tty", PortLinkPath(n)))) {
            *error = "cannot set up " + PortName(n);
            return false;
        }
    }
    BenchWindow window;
    if (!window.open(error))
        return false;
    std::vector<int> order; // port numbers, shuffled
    for (int port = 1; port <= int(std::size(FaultPorts)); ++port)
        order.insert(order.end(), Exchanges * FaultPorts[port - 1].perMille / 1000, port);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));

    QList<double> fds, rss;
    const QDir::Filters all = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    auto sample = [&] {
        fds << QDir("/proc/self/fd").entryList(all).size() - 1.0; // less the one reading them
        rss << FileField("/proc/self/status", "VmRSS") / 1024;
    };
    sample();
    QJsonObject outcomes; // how often each fault brought each text
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int port = order[i];
        const char *fault = FaultPorts[port - 1].fault;
        SimulatorProcess *sim = sims[std::size_t(port - 1)].get();
        window.portSelector()->setText(PortName(port));
        const int devices = sim ? int(sim->devices().size()) : 0;
        BenchWindow::Click click;
        // After a hang-up the next exchange on the port waits for the fresh line.
        if (!window.click(BenchWindow::Exchange(i % 3), &click) ||
            (sim && fault == std::string_view("hangup") && !sim->waitForDevices(devices + 1))) {
            *error = QStringLiteral("exchange %1 on %2 did not end: \"%3\"")
                         .arg(i + 1)
                         .arg(PortName(port), click.text);
            return false;
        }
        const QString outcome =
            QString(fault ? *fault ? fault : "sound" : "no device") + ": " + click.text;
        outcomes[outcome] = outcomes[outcome].toInt() + 1;
        if ((i + 1) % SampleEvery == 0 || i + 1 == order.size())
            sample();
    }
    report.json["soak_outcomes"] = outcomes;
    report.summary << QStringLiteral("soak %1 ok").arg(order.size());
    const bool fdsKept = Growth(report, "fd", "open file descriptors", "fd", fds, 0);
    const bool rssKept = Growth(report, "rss", "resident memory (VmRSS)", "MiB", rss, RssBoundMiB);
    if (!fdsKept || !rssKept)
        *error = "open descriptors or resident memory grew after the warm-up";
    return fdsKept && rssKept;
}
