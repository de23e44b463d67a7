#include "simoptions.h"

#include "frame.h"
#include "linesettings.h"
#include "portnames.h"

#include <QCommandLineParser>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QCommandLineOption
    LinkOption(u"link"_s,
               u"Make $XDG_CONFIG_HOME/k5-dipswitch/ports/COMn (default "
               u"~/.config/k5-dipswitch/ports/COMn, n from 1 to 16) a symbolic link to the device, "
               u"so that the tool finds it as port COMn; removed on exit."_s,
               u"COMn"_s);
const QCommandLineOption
    CodeOption(u"code"_s, u"The code held at the start, 0 to 65535 (default 29524)."_s, u"N"_s);
const QCommandLineOption OffOption(u"off"_s,
                                   u"Start with the DIP-switch function off (held value FFFF)."_s);
const QCommandLineOption VersionTextOption(
    u"version-text"_s,
    u"The version text (default \"K5-SIM 1.0\"), Latin-1, cut to 32 characters."_s, u"TEXT"_s);
const QCommandLineOption NoPacingOption(u"no-pacing"_s,
                                        u"Send at once instead of at %1 baud (1/%2 s a byte)."_s
                                            .arg(LineSettings::Baud)
                                            .arg(std::chrono::seconds{1} / LineSettings::ByteTime));
const QCommandLineOption
    LogOption(u"log"_s, u"Log events on standard error, one line each (see Log lines)."_s);
const QCommandLineOption
    FaultOption(u"fault"_s,
                u"Play a fault (see Fault kinds) on every request that would be answered."_s,
                u"KIND"_s);
const QCommandLineOption FaultCountOption(
    u"fault-count"_s,
    u"Play the fault on the first N requests only (1 to 9999), then answer soundly."_s, u"N"_s);
const QCommandLineOption HelpOption(QStringList{u"h"_s, u"help"_s}, u"Show this help."_s);
const QCommandLineOption VersionOption(QStringList{u"v"_s, u"version"_s},
                                       u"Show the program's version."_s);
const QList<QCommandLineOption> AllOptions{
    LinkOption, CodeOption,  OffOption,        VersionTextOption, NoPacingOption,
    LogOption,  FaultOption, FaultCountOption, HelpOption,        VersionOption};

bool isWhole(const QString &text, const QString &pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

// The --help text.
QString usage()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Simulates a K5 transmitter on a serial line that echoes, for working and\n"
        u"testing without a transmitter. Opens a pseudo-terminal, prints its device path\n"
        u"(for example /dev/pts/7) as the first line of standard output and serves it\n"
        u"until SIGINT, SIGTERM or SIGHUP. Every byte received is echoed; the requests\n"
        u"read code, write code and read version are answered after their echo, all\n"
        u"paced as on a line at %1 baud."_s.arg(LineSettings::Baud));
    parser.addOptions(AllOptions);
    // The parser's usage line names the program by the path it was started with.
    return u"Usage: k5-transmitter-sim [options]\n"_s + parser.helpText().section(u'\n', 1) + uR"(
Fault kinds:
  no-echo         Nothing comes back, neither echo nor reply; a write is not
                  carried out.
  no-reply        Echo, no reply.
  bad-checksum    The reply's checksum byte plus one.
  wrong-command   The reply's command byte changed (02 -> 12, 12 and 00 -> 02),
                  its checksum fitting.
  cut:K           Echo, then only the first K bytes of the reply (K up to 255).
  slow:MS         Echo, then the reply with a pause of MS milliseconds (0 to
                  2000) before every byte of it.
  trailing-noise  Echo, the reply, then the stray bytes 55 AA 00.
  leading-noise   The stray bytes 55 AA 00, then the echo and the reply.
  short-echo      The echo without the request's first byte, then the reply.
  late:MS         Echo and reply MS milliseconds (0 to 2000) late, as through a
                  slow bridge.
  chatter         When its line comes up, the transmitter sends CR LF "K5 boot"
                  CR LF unasked; it waits on the line for the first open.
  hangup          Echo, the first 3 bytes of the reply, then the line hangs up
                  as an unplugged adapter does: a fresh device is offered, its
                  path printed as a new line and the --link pointed to it.
  keep-code       Every reply correct and writes confirmed, but the code held
                  stays as it was (a transmitter that does not store).
With the noise faults, short-echo, late:MS and chatter the line keeps what comes
while the other side has it closed, and what that side left unread, for its
next open, as a pseudo-terminal, a network bridge or an adapter's receive FIFO
does; otherwise a close drops both, as a port's driver does.

Log lines:
  open            The other side opened the line.
  line N baud     The speed it set, at its first bytes.
  rx HEX          A well-formed request frame received.
  tx HEX          A reply sent in full (the bytes after the echo).
  closed          The other side closed the line.
  hangup          The line hung up (fault hangup).

Exit status:
  0   After SIGINT, SIGTERM or SIGHUP.
  1   The line could not be set up.
  2   A bad option.
)"_s;
}

} // namespace

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments, QString *error)
{
    const auto fail = [error](const QString &why) {
        *error = why;
        return std::nullopt;
    };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(AllOptions);
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(u"unexpected argument '%1'"_s.arg(parser.positionalArguments().constFirst()));

    SimOptions options;
    if (parser.isSet(HelpOption))
        options.infoText = usage();
    else if (parser.isSet(VersionOption))
        options.infoText = u"k5-transmitter-sim "_s + QLatin1StringView(K5_VERSION) + u'\n';
    options.pacing = !parser.isSet(NoPacingOption);
    options.log = parser.isSet(LogOption);

    if (parser.isSet(CodeOption) && parser.isSet(OffOption))
        return fail(u"--code and --off exclude each other"_s);
    if (parser.isSet(CodeOption)) {
        const QString text = parser.value(CodeOption);
        if (!isWhole(text, u"[0-9]{1,5}"_s) || text.toUInt() > 0xFFFF)
            return fail(u"--code: '%1' is not a number from 0 to 65535"_s.arg(text));
        options.heldValue = static_cast<std::uint16_t>(text.toUInt());
    }
    if (parser.isSet(OffOption))
        options.heldValue = Frame::OffMarker;

    if (parser.isSet(VersionTextOption)) {
        const QString text = parser.value(VersionTextOption);
        options.versionText = text.toLatin1(); // what is not Latin-1 becomes '?'
        if (QString::fromLatin1(options.versionText) != text)
            return fail(u"--version-text: only Latin-1 characters fit on the line"_s);
    }

    if (parser.isSet(FaultOption)) {
        const std::optional<Fault> fault = Fault::fromText(parser.value(FaultOption));
        if (!fault)
            return fail(
                u"--fault: unknown fault '%1' (see --help)"_s.arg(parser.value(FaultOption)));
        options.fault = *fault;
    }
    if (parser.isSet(FaultCountOption)) {
        const QString text = parser.value(FaultCountOption);
        if (!parser.isSet(FaultOption) || !isWhole(text, u"[1-9][0-9]{0,3}"_s))
            return fail(
                u"--fault-count: '%1' is not a number from 1 to 9999 after a --fault"_s.arg(text));
        options.fault.requests = text.toInt();
    }

    if (parser.isSet(LinkOption)) {
        // The names the tool offers, exactly.
        const QString name = parser.value(LinkOption);
        options.linkPort = PortNumberFromText(name);
        if (PortName(options.linkPort) != name)
            return fail(u"--link: '%1' is not a port name from %2 to %3"_s.arg(
                name, PortName(FirstPortNumber), PortName(LastPortNumber)));
    }
    return options;
}
