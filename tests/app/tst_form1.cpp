// The window as a person meets it: start-up state, looks, focus order, keys on the buttons, the
// hidden version button and what of the window reaches a printed sheet. Exit, the close box, the
// port list and printing while busy are tried with the exchanges; held keys, the wheel and focus
// by click on a real X server; the sheet on paper in tests/print, the print dialog and the queues
// with CUPS.

#include "linefixtures.h"
#include "scriptedprinttarget.h"
#include "windowfixture.h"

#include <QScreen>

#include <algorithm>

class Form1Test : public QObject, WindowFixture
{
    Q_OBJECT

    QStringList printed; // the calls that the window's print targets were given
    int failingCall = -1;

private Q_SLOTS:
    void init()
    {
        QVERIFY(openWindow());
        form->setPrintTargetFactory(
            [this](QPrinter &) { return std::make_unique<ScriptedTarget>(failingCall, &printed); });
    }

    // The first state, beyond the panel's and the port selector's (tried with their edits), the
    // first focus and the hidden version button (with the focus order and the version key). The
    // point sizes with fractions, the bold faces and the white on black that the form sets beyond
    // its .ui; a button the keyboard gave the focus framed three pixels inside its edge.
    void startUp()
    {
        QCOMPARE(statusBox()->text(), "SW4172-36v03-K5_DIP-switch");
        QCOMPARE(counterBox()->text(), "0"); // the exchanges' windows start with Reset clicked
        QVERIFY(functionCheck()->isChecked());
        const QPoint offCentre =
            form->frameGeometry().center() - form->screen()->availableGeometry().center();
        QVERIFY(qAbs(offCentre.x()) <= 2 && qAbs(offCentre.y()) <= 2); // centred in whole pixels
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

        QList<qreal> points = {form->font().pointSizeF()}; // then those of the bold controls
        for (const char *name : {"Label19", "Label7", "Label15", "Combo2(4)", "Text1"}) {
            QVERIFY2(control(name)->font().bold(), name);
            points << control(name)->font().pointSizeF();
        }
        QCOMPARE(points, QList<qreal>({9, 32.25, 9.75, 12, 9.75, 9}));
        const QImage title =
            control("Label19")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(title.constBits());
        QVERIFY(std::count(pixels, pixels + title.sizeInBytes() / 4, qRgb(255, 255, 255)) > 0);
        QCOMPARE(control("Shape1")->grab().toImage().pixelColor(0, 0), QColor(Qt::white));

        QTest::keyClick(readButton(), Qt::Key_Tab);
        const QImage focused = printButton()->grab().toImage();
        QTest::keyClick(printButton(), Qt::Key_Tab);
        const QImage unfocused = printButton()->grab().toImage();
        QRect changed; // the smallest rectangle that holds every pixel in which they differ
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x)
                changed |=
                    focused.pixel(x, y) != unfocused.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
        QCOMPARE(changed, printButton()->rect().adjusted(3, 3, -3, -3));
    }

    void focusOrderAndNames()
    {
        versionButton()->setVisible(true); // the hidden button is last in the order
        const QStringList expected = {
            "Command1",  "Command3",   "Command6",  "Command2",  "Combo2(1)", "Combo2(2)",
            "Combo2(3)", "Combo2(4)",  "Combo2(5)", "Combo2(6)", "Combo2(7)", "Combo2(8)",
            "Combo2(9)", "Combo2(10)", "Text2",     "Check1",    "Text1",     "Combo1",
            "Command4",  "Command5",   "Text3",     "Command7",  "Command8"};
        for (const QString &name : expected) {
            QWidget *focus = QApplication::focusWidget();
            while (focus && focus->objectName().isEmpty()) // a drop-down box's edit field
                focus = focus->parentWidget();
            QCOMPARE(focus->objectName(), name);
            QVERIFY2(!focus->accessibleName().isEmpty(), qPrintable(name));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }

    // Two strokes of a key on a focused button: Enter and Space click the step-up button once
    // each; V on Reset shows the hidden version button, and a second V hides it again.
    void keysOnAButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<bool>("shows"); // the version button, after the first stroke
        QTest::newRow("enter") << "Command4" << QKeyCombination(Qt::Key_Return) << false;
        QTest::newRow("keypad enter")
            << "Command4" << (Qt::KeypadModifier | Qt::Key_Enter) << false;
        QTest::newRow("space") << "Command4" << QKeyCombination(Qt::Key_Space) << false;
        QTest::newRow("V on Reset") << "Command7" << QKeyCombination(Qt::Key_V) << true;
        QTest::newRow("W on Reset") << "Command7" << QKeyCombination(Qt::Key_W) << false;
        QTest::newRow("V on Read") << "Command1" << QKeyCombination(Qt::Key_V) << false;
    }
    void keysOnAButton()
    {
        QFETCH(QString, button);
        QFETCH(QKeyCombination, key);
        QFETCH(bool, shows);
        control(button)->setFocus();
        QTest::keyClick(control(button), key.key(), key.keyboardModifiers());
        QCOMPARE(versionButton()->isVisible(), shows);
        QTest::keyClick(control(button), key.key(), key.keyboardModifiers());
        QCOMPARE(std::pair(versionButton()->isVisible(), codeBox()->text()),
                 std::pair(false, QString(button == "Command4" ? "29526" : "29524")));
    }

    // The program's own options, answered before any window is made, and a start without a
    // display. Each row: the command line ("-" alone: no display), the exit status, how standard
    // output begins and standard error.
    void commandLine()
    {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        const QString version = "k5-dipswitch " K5_VERSION "\n";
        for (const auto &[line, status, out, err] :
             QList<std::tuple<QString, int, QString, QString>>{
                 {"--version", 0, version, ""},
                 {"-platform offscreen --version", 0, version, ""},
                 {"--help", 0, "Usage: k5-dipswitch [options]\n", ""},
                 {"--bogus", 64, "", "k5-dipswitch: Unknown option 'bogus'. (see --help)\n"},
                 {"-", 69, "",
                  "k5-dipswitch: no display to show the window on: start it in a desktop session "
                  "(DISPLAY or WAYLAND_DISPLAY set), or with QT_QPA_PLATFORM=offscreen for a "
                  "test\n"}}) {
            const Ran ran = RunProcess(K5_APP_PATH, line == "-" ? QStringList() : line.split(u' '));
            QCOMPARE(std::tuple(line, ran.status, ran.out.left(out.size()), ran.err),
                     std::tuple(line, status, out, err));
        }
    }

    // The boxes' texts reach the sheet, the code box's as the picks left it, and the status
    // empties; a cancelled dialog is a printer error; with the function off nothing is printed
    // and the status stays.
    void printing()
    {
        pick(switchBox(1), 0);  // "+"
        pick(switchBox(10), 2); // "-"
        click(printButton());
        QVERIFY(printed.contains("line +  0  0  0  0  0  0  0  0  -"));
        QVERIFY(printed.contains("line DIP-switch code: 9842"));
        QCOMPARE(statusBox()->text(), QString());
        failingCall = 0;
        click(printButton());
        QCOMPARE(statusBox()->text(), "Printer error");
        printed.clear();
        click(functionCheck());
        click(printButton());
        QCOMPARE(printed, QStringList());
        QCOMPARE(statusBox()->text(), "Printer error");
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
