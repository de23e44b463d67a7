#include "simoptions.h"

#include "frame.h"
#include "portselection.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption link(u"link"_s, {}, u"COMn"_s);
    const QCommandLineOption code(u"code"_s, {}, u"N"_s);
    const QCommandLineOption off(u"off"_s);
    const QCommandLineOption versionText(u"version-text"_s, {}, u"TEXT"_s);
    const QCommandLineOption noPacing(u"no-pacing"_s);
    const QCommandLineOption log(u"log"_s);
    const QCommandLineOption fault(u"fault"_s, {}, u"KIND"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({link, code, off, versionText, noPacing, log, fault, help});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = u"unexpected argument '%1'"_s.arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }

    SimOptions options;
    options.help = parser.isSet(help);
    options.pacing = !parser.isSet(noPacing);
    options.log = parser.isSet(log);

    if (parser.isSet(code) && parser.isSet(off)) {
        *error = u"--code and --off exclude each other"_s;
        return std::nullopt;
    }
    if (parser.isSet(code)) {
        const QString text = parser.value(code);
        static const QRegularExpression digits(u"^[0-9]{1,5}$"_s);
        const uint value = text.toUInt();
        if (!digits.match(text).hasMatch() || value > 0xFFFF) {
            *error = u"--code: '%1' is not a number from 0 to 65535"_s.arg(text);
            return std::nullopt;
        }
        options.heldValue = static_cast<std::uint16_t>(value);
    }
    if (parser.isSet(off))
        options.heldValue = Frame::OffMarker;

    if (parser.isSet(versionText)) {
        const QString text = parser.value(versionText);
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; })) {
            *error = u"--version-text: only Latin-1 characters fit on the line"_s;
            return std::nullopt;
        }
        options.versionText = text.toLatin1();
    }

    if (parser.isSet(fault)) {
        const std::optional<Fault> kind = Fault::fromText(parser.value(fault));
        if (!kind) {
            *error = u"--fault: unknown fault '%1' (see --help)"_s.arg(parser.value(fault));
            return std::nullopt;
        }
        options.fault = *kind;
    }

    if (parser.isSet(link)) {
        const QString name = parser.value(link);
        // The names the tool offers: no leading zero, no sign, no blank.
        static const QRegularExpression port(u"^COM([1-9][0-9]*)$"_s);
        const QRegularExpressionMatch match = port.match(name);
        const int number = match.captured(1).toInt();
        if (!match.hasMatch() || number < FirstPortNumber || number > LastPortNumber) {
            *error = u"--link: '%1' is not a port name from COM%2 to COM%3"_s.arg(
                name, QString::number(FirstPortNumber), QString::number(LastPortNumber));
            return std::nullopt;
        }
        options.linkName = name;
    }
    return options;
}

QString SimOptions::usage()
{
    return uR"(Usage: k5-transmitter-sim [options]

Simulates a K5 transmitter on a serial line that echoes, for working and testing
without a transmitter. Opens a pseudo-terminal, prints its device path (for
example /dev/pts/7) as the first line of standard output and serves it until
SIGINT or SIGTERM. Every byte received is echoed; the requests read code, write
code and read version are answered after their echo.

Options:
  --link COMn          Make $XDG_CONFIG_HOME/k5-dipswitch/ports/COMn (default
                       ~/.config/k5-dipswitch/ports/COMn, n from 1 to 16) a
                       symbolic link to the device; removed on exit.
  --code N             Held code at start, 0 to 65535 (default 29524).
  --off                Start with the DIP-switch function off (held value FFFF).
  --version-text TEXT  Version text (default "K5-SIM 1.0"), Latin-1, cut to 32
                       characters.
  --no-pacing          Send at once instead of at 2400 baud (1/240 s a byte).
  --log                Log events on standard error, one line each:
                         rx <hex>   a well-formed request frame received
                         tx <hex>   a reply sent (the bytes after the echo)
                         open       the other side opened the line
                         line N baud  the speed it set, at its first bytes
                         closed     the other side closed the line
                         hangup     the line was hung up (fault hangup)
  --fault KIND         Play a fault on every request that would be answered.
  -h, --help           Show this text.

Fault kinds:
  no-echo        Nothing comes back, neither echo nor reply.
  no-reply       Echo, no reply.
  cut:K          Echo, then only the first K bytes of the reply (K up to 255).
  bad-checksum   The reply's checksum byte plus one.
  wrong-command  The reply's command byte changed (02 and 12 swapped, 00 -> 02).
  hangup         Echo, the first 3 bytes of the reply, then the line hangs up
                 as an unplugged adapter does; a fresh device is then offered
                 (its path printed as a new line, the --link pointed to it).
  slow:MS        Echo, then the correct reply with a pause of MS milliseconds
                 (0 to 2000) before every byte of it.
  trailing-noise Echo, the correct reply, then the stray bytes 55 AA 00.
  keep-code      Every reply correct, writes confirmed, but the code held
                 stays as it was (a transmitter that does not store).
With no-echo and keep-code a write request is not carried out; with
the other faults the written code is held.

Exit status: 0 after SIGINT or SIGTERM, 1 when the line cannot be set up,
2 for a bad option.
)"_s;
}
