#include "clioptions.h"

#include "clireport.h"
#include "portnames.h"
#include "quoting.h"
#include "switchcode.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct CommandInfo
{
    Command command = Command::Help;
    QStringView name;
    QStringView arguments; // as the help shows them
    qsizetype argumentCount = 0;
};

constexpr std::array<CommandInfo, 6> Commands = {{
    {Command::Read, u"read", u"", 0},
    {Command::Write, u"write", u"CODE|SWITCHES|off", 1},
    {Command::Version, u"version", u"", 0},
    {Command::Ports, u"ports", u"", 0},
    {Command::Map, u"map", u"COMn DEVICE", 2},
    {Command::Unmap, u"unmap", u"COMn", 1},
}};

const QCommandLineOption PortOption(QStringList{u"p"_s, u"port"_s},
                                    u"The port of read, write and version: COM1 to COM16 "
                                    u"(default COM1, as in the window), or a device path."_s,
                                    u"COMn|DEVICE"_s);
const QCommandLineOption VerifyOption(u"verify"_s,
                                      u"write: read the code back; fail when it differs."_s);
const QCommandLineOption JsonOption(u"json"_s,
                                    u"Print one JSON object on standard output instead of text."_s);
const QCommandLineOption HelpOption(QStringList{u"h"_s, u"help"_s}, u"Show this help."_s);
const QCommandLineOption VersionOption(QStringList{u"v"_s, u"version"_s},
                                       u"Show the program's version (the command version reads "
                                       u"the transmitter's)."_s);

// n for exactly "COM1".."COM16", else 0: the window would take any other text for COM1.
int PortNumber(const QString &name)
{
    const int n = PortNumberFromText(name);
    return PortName(n) == name ? n : 0;
}

QString UnknownPort(const QString &name)
{
    return u"unknown port '%1': name one of %2 to %3"_s.arg(Quoted(name), PortName(FirstPortNumber),
                                                            PortName(LastPortNumber));
}

// Where the command stands: the first argument that is neither an option nor the port's value;
// -1 when there is none.
qsizetype CommandIndex(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--")
            return i + 1 < arguments.size() ? i + 1 : -1;
        if (argument == u"-p" || argument == u"--port")
            ++i;
        else if (argument.size() < 2 || !argument.startsWith(u'-'))
            return i;
    }
    return -1;
}

// A word that begins with "-" and then a digit or a switch character: "-1", "-+-0++0+0-", or
// switches with a wrong character among them. After the command that is the code the user meant,
// which the parser would take for options; "--verify" and "--" are not.
bool LooksLikeCode(QStringView word)
{
    if (word.size() < 2 || !word.startsWith(u'-'))
        return false;
    const QChar second = word.at(1);
    if (second == u'-')
        return word.size() > 2 && !word.at(2).isLetter();
    return second.isDigit() || second == u'+';
}

// Such words go behind "--", where only positional arguments stand, in their order, so that the
// code's own check judges them.
QStringList WithCodesLast(QStringList arguments)
{
    const qsizetype command = CommandIndex(arguments);
    if (command < 0 || arguments.contains(u"--"_s))
        return arguments;
    QStringList moved;
    for (qsizetype i = arguments.size() - 1; i > command; --i) {
        if (LooksLikeCode(arguments.at(i)))
            moved.prepend(arguments.takeAt(i));
    }
    if (!moved.isEmpty())
        arguments << u"--"_s << moved;
    return arguments;
}

// The parser's own words, with what the user typed quoted as the program quotes arguments.
QString ParserError(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    return unknown.size() == 1 ? u"Unknown option '%1'."_s.arg(Quoted(unknown.constFirst()))
                               : u"Unknown options: %1."_s.arg(Quoted(unknown.join(u", "_s)));
}

// A code has at most five digits; more are out of range whatever they say.
constexpr qsizetype MaxCodeDigits = 5;

bool AllOf(QStringView text, QStringView characters)
{
    return std::all_of(text.begin(), text.end(), [&](QChar c) { return characters.contains(c); });
}

// Into *code, what write stores for text: a number from LowestCode to HighestCode, exactly
// SwitchCount characters of +, 0 and - (switch 1 first; so ten zeros are switches, not the number
// 0), or nullopt for "off". Else returns what is wrong and what would be right.
QString ReadCodeArgument(QStringView text, std::optional<std::int32_t> *code)
{
    const QString range = u"a number from %1 to %2"_s.arg(LowestCode).arg(HighestCode);
    const bool switches = !text.isEmpty() && AllOf(text, u"+0-");
    const bool digits = !text.isEmpty() && AllOf(text, u"0123456789");
    if (text == OffArgument) {
        *code = std::nullopt;
    } else if (switches && text.size() == SwitchCount) {
        SwitchPositions positions{};
        std::transform(text.begin(), text.end(), positions.begin(),
                       [](const QChar &c) { return PositionFromText(QStringView(&c, 1)); });
        *code = CodeFromPositions(positions);
    } else if (digits && text.size() <= MaxCodeDigits && text.toInt() <= HighestCode) {
        *code = text.toInt();
    } else if (digits) {
        return u"%1 is out of range: a code is %2"_s.arg(Quoted(text), range);
    } else if (switches) {
        return u"'%1' has %2 switch characters: give all %3, switch 1 first"_s.arg(Quoted(text))
            .arg(text.size())
            .arg(SwitchCount);
    } else if (text.size() == SwitchCount) {
        return u"'%1' is no switch setting: switches are +, 0 or -, switch 1 first"_s.arg(
            Quoted(text));
    } else {
        return u"'%1' is not a code: give %2, ten switch characters (+, 0, -; switch 1 first) "
               u"or off"_s.arg(Quoted(text), range);
    }
    return {};
}

} // namespace

bool CliOptions::parse(const QStringList &arguments, QString *error)
{
    const auto fail = [error](const QString &what) {
        *error = what;
        return false;
    };
    QCommandLineParser parser;
    parser.addOptions({PortOption, VerifyOption, JsonOption, HelpOption, VersionOption});
    const bool parsed = parser.parse(WithCodesLast(arguments));
    json = parser.isSet(JsonOption);
    // Named as far as it can be, for the JSON object of an error found before the command.
    commandName = arguments.value(CommandIndex(arguments));
    if (!parsed)
        return fail(ParserError(parser) + u" (see --help)"_s);
    if (parser.isSet(HelpOption) || parser.isSet(VersionOption)) {
        command = parser.isSet(HelpOption) ? Command::Help : Command::ShowVersion;
        commandName = parser.isSet(HelpOption) ? u"--help"_s : u"--version"_s;
        return true;
    }
    if (parser.values(PortOption).size() > 1)
        return fail(u"--port given more than once: give one port"_s);
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return fail(
            u"no command: give one of read, write, version, ports, map, unmap (see --help)"_s);
    commandName = positional.takeFirst();
    const auto *info = std::find_if(Commands.begin(), Commands.end(),
                                    [&](const CommandInfo &c) { return c.name == commandName; });
    if (info == Commands.end())
        return fail(u"unknown command '%1' (see --help)"_s.arg(Quoted(commandName)));
    command = info->command;
    if (positional.size() != info->argumentCount) {
        return fail(info->argumentCount == 0
                        ? u"%1 takes no arguments"_s.arg(commandName)
                        : u"usage: k5-dipswitch-cli %1 %2"_s.arg(commandName, info->arguments));
    }
    const bool onLine =
        command == Command::Read || command == Command::Write || command == Command::Version;
    if (parser.isSet(PortOption) && !onLine)
        return fail(u"%1 takes no --port"_s.arg(commandName));
    if (parser.isSet(VerifyOption) && command != Command::Write)
        return fail(u"--verify goes with write only"_s);
    verify = parser.isSet(VerifyOption);

    if (parser.isSet(PortOption)) {
        const QString port = parser.value(PortOption);
        if (port.contains(u'/') || port.startsWith(u"\\\\"_s))
            line.device = port;
        else
            line.port = PortNumber(port);
        if (line.port == 0)
            return fail(UnknownPort(port) + u", or a device such as /dev/ttyUSB0"_s);
    }
    if (command == Command::Map || command == Command::Unmap) {
        mapPortNumber = PortNumber(positional.constFirst());
        if (mapPortNumber == 0)
            return fail(UnknownPort(positional.constFirst()));
        mapDevice = positional.value(1);
    }
    if (command == Command::Write) {
        *error = ReadCodeArgument(positional.constFirst(), &code);
        return error->isEmpty();
    }
    return true;
}

QString CliOptions::helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Reads and writes the DIP-switch code of a K5 transmitter on a serial line, as the\n"
        u"window k5-dipswitch does, and makes the ports COM1 to COM16 stand for serial devices."_s);
    parser.addOptions({PortOption, VerifyOption, JsonOption, HelpOption, VersionOption});
    // The parser's usage line names the program by the path it was started with.
    const QString usage = u"Usage: k5-dipswitch-cli [options] command [arguments]"_s;
    return usage + u'\n' + parser.helpText().section(u'\n', 1) + uR"(
Commands:
  read                      Print the code and the switches, switch 1 first, as
                            + 0 - (12345 -+-0++0+0-), or off when the
                            transmitter's DIP-switch function is off.
  write CODE|SWITCHES|off   Write a code, given as a number from 0 to 59048 or
                            as ten switch characters (+, 0, -; switch 1 first),
                            or the marker that switches the function off.
                            Succeeds only when the transmitter confirms; with
                            --verify only when reading back gives the same.
  version                   Print the transmitter's version text.
  ports                     List COM1 to COM16 with the device each stands for
                            and whether it is there, and the serial devices
                            that no port names yet.
  map COMn DEVICE           Make COMn stand for DEVICE, under its stable name
                            in /dev/serial/by-id where it has one.
  unmap COMn                Make COMn stand for its built-in port again.

Port COMn is the device that $XDG_CONFIG_HOME/k5-dipswitch/ports/COMn (default
~/.config/k5-dipswitch/ports/COMn) links to, else /dev/ttyS<n-1>: the window's
ports. The exchanges are the window's, byte for byte, with its time limits, and
the port is opened exclusively, so the window and this program never share it.

Exit status:
  0   Done.
  1   The transmitter did not answer or answered wrongly, or a verified write
      read back something else.
  2   The port could not be opened.
  64  Bad usage; nothing was sent.
  73  A port link could not be made or removed.
  74  Standard output or standard error could not be written: the answer was
      lost.
)"_s;
}
