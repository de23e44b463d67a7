#include "windowoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int UsageStatus = 64;       // sysexits' EX_USAGE
constexpr int UnavailableStatus = 69; // sysexits' EX_UNAVAILABLE

void PrintLine(std::FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text + u'\n'), stream);
}

void AddQtOptions(QCommandLineParser &parser)
{
    const QStringList valued =
        u"platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon "
        u"qwindowtitle display geometry style stylesheet session qmljsdebugger"_s.split(u' ');
    for (const QString &name : valued + u"reverse widgetcount nograb dograb"_s.split(u' ')) {
        QCommandLineOption option(name, QString(), valued.contains(name) ? u"value"_s : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QtMessageHandler g_qtHandler = nullptr;
QStringList g_heldBack;

void GuardMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        PrintLine(stderr, QCoreApplication::applicationName() +
                              u": no display to show the window on: start it in a desktop "
                              u"session (DISPLAY or WAYLAND_DISPLAY set), or with "
                              u"QT_QPA_PLATFORM=offscreen for a test"_s);
        std::fflush(stderr);
        ::_exit(UnavailableStatus);
    }
    if (QByteArrayView(context.category).startsWith("qt.qpa"))
        g_heldBack << message;
    else
        g_qtHandler(type, context, message);
}

} // namespace

std::optional<int> AnswerOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Reads, edits, writes and prints the DIP-switch code of a K5 transmitter over a serial "
        u"line.\nQt's own options (-platform NAME, -style NAME, -reverse, ...) are taken as Qt "
        u"takes them."_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    AddQtOptions(parser);
    const QString program = QCoreApplication::applicationName();
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString error =
            parser.positionalArguments().isEmpty()
                ? parser.errorText()
                : u"unexpected argument '%1'"_s.arg(parser.positionalArguments().constFirst());
        PrintLine(stderr, program + u": "_s + error + u" (see --help)"_s);
        return UsageStatus;
    }
    if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        // The parser's usage line names the program by the path it was started with.
        std::fputs(qPrintable(u"Usage: %1 [options]\n"_s.arg(program) +
                              parser.helpText().section(u'\n', 1)),
                   stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        PrintLine(stdout, program + u' ' + QCoreApplication::applicationVersion());
        return 0;
    }
    return std::nullopt;
}

DisplayGuard::DisplayGuard()
{
    g_qtHandler = qInstallMessageHandler(GuardMessages);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(g_qtHandler);
    for (const QString &message : std::as_const(g_heldBack))
        PrintLine(stderr, message);
    g_heldBack.clear();
}
