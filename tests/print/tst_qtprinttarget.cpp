// The code sheet on a real QPrinter in PDF mode, read back with poppler's pdftotext and pdffonts,
// and the print dialog step answered without showing the dialog.

#include "codesheet.h"
#include "qtprinttarget.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QStringList allAt(const QString &text)
{
    return QStringList(10, text);
}

// A printer that writes a PDF file, with margins unlike any default so that the left edge and
// the top of the printable area are told apart from the paper's.
std::unique_ptr<QPrinter> pdfPrinter(const QString &fileName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageMargins(QMarginsF(72, 90, 36, 36), QPageLayout::Point);
    return printer;
}

// Fails the given call (0 dialog, 1 font size, 2 to 8 the lines, 9 the end) without passing it
// on, and passes every other call on to the real target.
class FailingAt final : public PrintTarget
{
public:
    FailingAt(PrintTarget &inner, int failingCall) : m_inner(inner), m_failingCall(failingCall) {}

    bool showDialog() override { return pass() && m_inner.showDialog(); }
    bool setFontSize(int points) override { return pass() && m_inner.setFontSize(points); }
    bool printLine(const QString &text) override { return pass() && m_inner.printLine(text); }
    bool endDocument() override { return pass() && m_inner.endDocument(); }
    bool abandonDocument() override { return m_inner.abandonDocument(); }

private:
    bool pass() { return m_calls++ != m_failingCall; }

    PrintTarget &m_inner;
    int m_failingCall = -1;
    int m_calls = 0;
};

struct Word
{
    QString text;
    QRectF box; // points, from the top left corner of the paper
};

QList<QList<Word>> wordsByLine(const QString &bboxHtml)
{
    static const QRegularExpression wordPattern(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<Word>> lines;
    for (const auto &match : wordPattern.globalMatch(bboxHtml)) {
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        const Word word{match.captured(5), QRectF(topLeft, bottomRight)};
        if (lines.isEmpty() || qAbs(lines.last().first().box.top() - word.box.top()) > 0.5)
            lines.append(QList<Word>());
        lines.last().append(word);
    }
    return lines;
}

QStringList texts(const QList<Word> &words)
{
    QStringList result;
    for (const Word &word : words)
        result.append(word.text);
    return result;
}

} // namespace

class QtPrintTargetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sheetText_data();
    void sheetText();
    void sheetLayout();
    void abandonedSheetNeverPrinted_data();
    void abandonedSheetNeverPrinted();
    void printerThatCannotStart();
    void dialog_data();
    void dialog();

private:
    QString pdfPath(const QString &name) const
    {
        return m_dir.filePath(name + QLatin1StringView(".pdf"));
    }
    QString run(const QString &program, const QStringList &arguments);
    QString m_pdftotext;
    QString m_pdffonts;
    QTemporaryDir m_dir;
};

void QtPrintTargetTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    m_pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
}

QString QtPrintTargetTest::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

void QtPrintTargetTest::sheetText_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("switchLine");
    QTest::addColumn<QString>("codeLine");

    QTest::newRow("worked example")
        << allAt(QStringLiteral("0")) << QStringLiteral("29524")
        << QStringLiteral("0 0 0 0 0 0 0 0 0 0") << QStringLiteral("DIP-switch code: 29524");
    QTest::newRow("mixed switches, leading zeros")
        << QStringList{QStringLiteral("+"), QStringLiteral("0"), QStringLiteral("-"),
                       QStringLiteral("+"), QStringLiteral("+"), QStringLiteral("-"),
                       QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-"),
                       QStringLiteral("+")}
        << QStringLiteral("00012") << QStringLiteral("+ 0 - + + - 0 0 - +")
        << QStringLiteral("DIP-switch code: 00012");
    QTest::newRow("empty code box")
        << allAt(QStringLiteral("-")) << QString() << QStringLiteral("- - - - - - - - - -")
        << QStringLiteral("DIP-switch code:");
}

// pdftotext -layout writes a run of blanks between words as one space, so the text is compared
// with its spaces simplified here; sheetLayout measures the two spaces of the switch line.
void QtPrintTargetTest::sheetText()
{
    if (m_pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed; the PDF cannot be read back");
    QFETCH(QStringList, switches);
    QFETCH(QString, code);
    QFETCH(QString, switchLine);
    QFETCH(QString, codeLine);

    const QString path = pdfPath(QString::fromLatin1(QTest::currentDataTag()));
    {
        const auto printer = pdfPrinter(path);
        QtPrintTarget target(*printer);
        QCOMPARE(PrintCodeSheet(target, switches, code), PrintOutcome::Printed);
    }

    QStringList lines =
        run(m_pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")}).split(u'\n');
    for (QString &line : lines)
        line = line.simplified();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    const QStringList expected = {QStringLiteral("DIP-switch 1-10"), switchLine, QString(),
                                  codeLine};
    QCOMPARE(lines, expected);
}

void QtPrintTargetTest::sheetLayout()
{
    if (m_pdftotext.isEmpty() || m_pdffonts.isEmpty())
        QSKIP("pdftotext or pdffonts (poppler-utils) is not installed; the PDF cannot be measured");

    const QString path = pdfPath(QStringLiteral("layout"));
    const auto printer = pdfPrinter(path);
    // Taken before printing: the sheet must follow the printer's setup, not change it.
    const QRectF printable = printer->pageLayout().paintRectPoints();
    QCOMPARE(printable.topLeft(), QPointF(72, 90));
    {
        QtPrintTarget target(*printer);
        QCOMPARE(PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524")),
                 PrintOutcome::Printed);
    }

    // One font for the whole sheet.
    QStringList fonts = run(m_pdffonts, {path}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY2(fonts.size() == 1, qPrintable(fonts.join(u'\n')));
    qInfo() << "sheet font:" << fonts.first().simplified();

    const QList<QList<Word>> lines =
        wordsByLine(run(m_pdftotext, {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(texts(lines.at(0)),
             (QStringList{QStringLiteral("DIP-switch"), QStringLiteral("1-10")}));
    QCOMPARE(texts(lines.at(1)), allAt(QStringLiteral("0")));
    QCOMPARE(texts(lines.at(2)), (QStringList{QStringLiteral("DIP-switch"), QStringLiteral("code:"),
                                              QStringLiteral("29524")}));

    // pdftotext gives each word the height from the font's ascent down to its descent, both
    // taken from the font descriptor, in thousandths of the font size.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString raw = QString::fromLatin1(file.readAll());
    const auto ascent = QRegularExpression(QStringLiteral(R"(/Ascent\s+(-?\d+))")).match(raw);
    const auto descent = QRegularExpression(QStringLiteral(R"(/Descent\s+(-?\d+))")).match(raw);
    QVERIFY2(ascent.hasMatch() && descent.hasMatch(), "no font descriptor in the PDF");
    const double emHeight = (ascent.captured(1).toDouble() - descent.captured(1).toDouble()) / 1000;
    QVERIFY(emHeight > 0.5 && emHeight < 2);
    for (const auto &line : lines) {
        for (const Word &word : line) {
            const double points = word.box.height() / emHeight;
            QVERIFY2(qAbs(points - 16) < 0.5,
                     qPrintable(QStringLiteral("%1 at %2 pt").arg(word.text).arg(points)));
        }
    }

    // Every line starts at the left edge of the printable area.
    for (const auto &line : lines)
        QVERIFY2(qAbs(line.first().box.left() - printable.left()) < 0.5,
                 qPrintable(QStringLiteral("%1 starts at %2 pt, printable area at %3 pt")
                                .arg(line.first().text)
                                .arg(line.first().box.left())
                                .arg(printable.left())));

    // Lines 4, 5 and 7 of equal pitch, under three empty lines at the top of the printable area.
    const double top4 = lines.at(0).first().box.top();
    const double top5 = lines.at(1).first().box.top();
    const double top7 = lines.at(2).first().box.top();
    const double pitch = top5 - top4;
    QVERIFY2(pitch >= lines.at(0).first().box.height() - 0.5 && pitch < 24,
             qPrintable(QStringLiteral("line pitch %1 pt").arg(pitch)));
    QVERIFY2(qAbs(top7 - top5 - 2 * pitch) < 0.5,
             qPrintable(QStringLiteral("line 7 %1 pt below line 5").arg(top7 - top5)));
    QVERIFY2(qAbs(top4 - printable.top() - 3 * pitch) < 1,
             qPrintable(QStringLiteral("line 4 %1 pt below the top").arg(top4 - printable.top())));

    // Two spaces, no more and no less, between neighbouring switch texts.
    QFont font = QtPrintTarget::SheetFont();
    font.setPointSize(16);
    const double twoSpaces =
        QFontMetricsF(font, printer.get()).horizontalAdvance(QStringLiteral("  ")) * 72 /
        printer->resolution();
    const QList<Word> &zeros = lines.at(1);
    for (qsizetype i = 1; i < zeros.size(); ++i) {
        const double gap = zeros.at(i).box.left() - zeros.at(i - 1).box.right();
        QVERIFY2(qAbs(gap - twoSpaces) < 0.5,
                 qPrintable(QStringLiteral("gap %1 pt before switch %2, two spaces are %3 pt")
                                .arg(gap)
                                .arg(i + 1)
                                .arg(twoSpaces)));
    }
}

void QtPrintTargetTest::abandonedSheetNeverPrinted_data()
{
    QTest::addColumn<int>("failingCall");
    QTest::newRow("font size") << 1;
    QTest::newRow("line 1") << 2;
    QTest::newRow("line 5") << 6;
    QTest::newRow("line 7") << 8;
    QTest::newRow("end of the document") << 9;
}

// The lines before the failing step must not reach the printer, not even when the target
// goes away afterwards.
void QtPrintTargetTest::abandonedSheetNeverPrinted()
{
    QFETCH(int, failingCall);
    const QString path = pdfPath(QStringLiteral("abandoned-%1").arg(failingCall));
    const auto printer = pdfPrinter(path);
    {
        QtPrintTarget real(*printer);
        FailingAt target(real, failingCall);
        QCOMPARE(PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524")),
                 PrintOutcome::Failed);
    }
    QVERIFY(!QFile::exists(path));

    // The same printer still prints a whole sheet afterwards.
    QtPrintTarget again(*printer);
    QCOMPARE(PrintCodeSheet(again, allAt(QStringLiteral("0")), QStringLiteral("29524")),
             PrintOutcome::Printed);
    QVERIFY(QFile::exists(path));
}

void QtPrintTargetTest::printerThatCannotStart()
{
    const QString path = m_dir.filePath(QStringLiteral("missing-folder/sheet.pdf"));
    const auto printer = pdfPrinter(path);
    QtPrintTarget target(*printer);
    QCOMPARE(PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524")),
             PrintOutcome::Failed);
    QVERIFY(!QFile::exists(path));
}

void QtPrintTargetTest::dialog_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<PrintOutcome>("outcome");
    QTest::newRow("cancel") << int(QDialog::Rejected) << PrintOutcome::Failed;
    QTest::newRow("print") << int(QDialog::Accepted) << PrintOutcome::Printed;
}

// The dialog is answered in place of the user, never shown.
void QtPrintTargetTest::dialog()
{
    QFETCH(int, answer);
    QFETCH(PrintOutcome, outcome);

    const QString path = pdfPath(QStringLiteral("dialog-%1").arg(answer));
    const auto printer = pdfPrinter(path);
    QWidget window;
    int shown = 0;
    QPrinter *dialogPrinter = nullptr;
    QWidget *dialogParent = nullptr;
    QAbstractPrintDialog::PrintDialogOptions options;
    QtPrintTarget target(*printer, &window, [&](QPrintDialog &dialog) {
        ++shown;
        dialogPrinter = dialog.printer();
        dialogParent = dialog.parentWidget();
        options = dialog.options();
        return answer;
    });

    QCOMPARE(PrintCodeSheet(target, allAt(QStringLiteral("0")), QStringLiteral("29524")), outcome);
    QCOMPARE(shown, 1);
    QCOMPARE(dialogPrinter, printer.get());
    QCOMPARE(dialogParent, &window);
    // Linux lists "Print to File (PDF)" only while PrintToFile is on; all else is off.
    QCOMPARE(options, QAbstractPrintDialog::PrintDialogOptions(QAbstractPrintDialog::PrintToFile));
    QCOMPARE(QFile::exists(path), outcome == PrintOutcome::Printed);
}

QTEST_MAIN(QtPrintTargetTest)
#include "tst_qtprinttarget.moc"
