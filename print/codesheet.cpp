#include "codesheet.h"

#include "printlog.h"

Q_LOGGING_CATEGORY(lcPrint, "k5.print")

QStringList CodeSheetLines(const QStringList &switchTexts, const QString &codeText)
{
    return QStringList(3) << QStringLiteral("DIP-switch 1-10")
                          << switchTexts.join(QLatin1StringView("  ")) << QString()
                          << QStringLiteral("DIP-switch code: ") + codeText;
}

PrintOutcome PrintCodeSheet(PrintTarget &target, const QStringList &switchTexts,
                            const QString &codeText)
{
    // Before the dialog is confirmed there is no document, so there is nothing to abandon.
    if (!target.showDialog()) {
        qCInfo(lcPrint) << "print dialog cancelled or not shown";
        return PrintOutcome::Failed;
    }

    const auto fail = [&target](const QString &step) {
        qCWarning(lcPrint).noquote()
            << "printing failed at" << step << "- the document is abandoned";
        if (!target.abandonDocument())
            qCWarning(lcPrint) << "the document could not be abandoned";
        return PrintOutcome::Failed;
    };

    if (!target.setFontSize(CodeSheetFontPoints))
        return fail(QStringLiteral("the font size"));

    const QStringList lines = CodeSheetLines(switchTexts, codeText);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!target.printLine(lines.at(i)))
            return fail(QStringLiteral("line %1").arg(i + 1));
    }

    if (!target.endDocument())
        return fail(QStringLiteral("the end of the document"));
    return PrintOutcome::Printed;
}
