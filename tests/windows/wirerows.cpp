// Prints the wire-scenario rows for the Windows build's test (test-windows.sh), which runs each
// row's command under Wine beside the Linux build's run: one row a line, as shell assignments
// that the test evaluates:
//   name='...' port=sound simulator=(...) before=(...) command=(...) status=N window='...'
// port is sound, missing or in-use (WireScenario::Port); command may name DEVICE, the device
// behind the port; status is the command line's exit status; window is the window's status text
// after the row's exchange, or empty.

#include "wirescenarios.h"

#include <cstdio>

namespace {

QString Quoted(QString word)
{
    return u'\'' + word.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

QString Words(const QStringList &words)
{
    QStringList quoted;
    for (const QString &word : words)
        quoted << Quoted(word);
    return u'(' + quoted.join(u' ') + u')';
}

const char *PortKind(WireScenario::Port port)
{
    switch (port) {
    case WireScenario::Sound:
        return "sound";
    case WireScenario::Missing:
        return "missing";
    case WireScenario::InUse:
        return "in-use";
    }
    return "";
}

} // namespace

int main()
{
    for (const WireScenario &s : Wire::Scenarios) {
        const QString line = QStringLiteral("name=%1 port=%2 simulator=%3 before=%4 command=%5 "
                                            "status=%6 window=%7")
                                 .arg(Quoted(QString::fromUtf8(s.name)),
                                      QString::fromUtf8(PortKind(s.port)), Words(s.simulator),
                                      Words(s.before), Words(s.command), QString::number(s.status),
                                      Quoted(s.window));
        std::printf("%s\n", line.toUtf8().constData());
    }
    return 0;
}
