// The window as a person meets it: start-up state, looks, focus order, keys on the buttons, the
// hidden version button and the port selector. Exit and the close box are tried with the
// exchanges; held keys, the wheel and focus by click on a real X server.

#include "windowfixture.h"

#include <QScreen>

class Form1Test : public QObject, WindowFixture
{
    Q_OBJECT

    // The smallest rectangle that holds every pixel in which a and b differ.
    static QRect difference(const QImage &a, const QImage &b)
    {
        QRect changed;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y))
                    changed |= QRect(x, y, 1, 1);
            }
        }
        return changed;
    }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void startUpState()
    {
        QCOMPARE(switches(), switchesOf(29524));
        QCOMPARE(switchBox(10)->count(), 3);
        QCOMPARE(portSelector()->text(), "COM1");
        QCOMPARE(portSelector()->count(), 16);
        QCOMPARE(portSelector()->itemText(9), "COM10");
        QCOMPARE(codeBox()->text(), "29524");
        QCOMPARE(counterBox()->text(), "0");
        QCOMPARE(statusBox()->text(), "SW4172-36v03-K5_DIP-switch");
        QVERIFY(functionCheck()->isChecked());
        QVERIFY(!versionButton()->isVisible());
        QVERIFY(readButton()->hasFocus());
        const QPoint offCentre =
            form->frameGeometry().center() - form->screen()->availableGeometry().center();
        QVERIFY(qAbs(offCentre.x()) <= 2 && qAbs(offCentre.y()) <= 2); // centred in whole pixels
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    // The point sizes with fractions, the bold faces and the white on black that the form sets
    // beyond its .ui; a button the keyboard gave the focus framed three pixels inside its edge.
    void looks()
    {
        const QList<QPair<QString, qreal>> fonts = {
            {"Label19", 32.25}, {"Label7", 9.75}, {"Label15", 12}, {"Combo2(4)", 9.75}, {"Text1", 9}};
        for (const auto &[name, points] : fonts) {
            QCOMPARE(control(name)->font().pointSizeF(), points);
            QVERIFY(control(name)->font().bold());
        }
        QCOMPARE(form->font().pointSizeF(), 9.0);
        const QImage title = control("Label19")->grab().toImage();
        bool white = false;
        for (int y = 0; y < title.height() && !white; ++y) {
            for (int x = 0; x < title.width() && !white; ++x)
                white = title.pixelColor(x, y) == Qt::white;
        }
        QVERIFY(white);
        QCOMPARE(control("Shape1")->grab().toImage().pixelColor(0, 0), QColor(Qt::white));

        QTest::keyClick(readButton(), Qt::Key_Tab);
        const QImage focused = printButton()->grab().toImage();
        QTest::keyClick(printButton(), Qt::Key_Tab);
        QCOMPARE(difference(focused, printButton()->grab().toImage()),
                 printButton()->rect().adjusted(3, 3, -3, -3));
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

    void keysClickTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
        QTest::newRow("space") << int(Qt::Key_Space) << Qt::KeyboardModifiers();
    }
    void keysClickTheFocusedButton()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        stepUpButton()->setFocus();
        QTest::keyClick(stepUpButton(), Qt::Key(key), modifiers);
        QTest::keyClick(stepUpButton(), Qt::Key(key), modifiers);
        QCOMPARE(codeBox()->text(), "29526");
        resetButton()->setFocus();
        QTest::keyClick(resetButton(), Qt::Key(key), modifiers);
        QVERIFY(!versionButton()->isVisible()); // no version key
    }

    void hiddenVersionKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("onReset");
        QTest::addColumn<bool>("toggles");
        const Qt::KeyboardModifiers none;
        QTest::newRow("V") << int(Qt::Key_V) << none << true << true;
        QTest::newRow("V with shift") << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true << true;
        QTest::newRow("other letter") << int(Qt::Key_W) << none << true << false;
        QTest::newRow("V on the read button") << int(Qt::Key_V) << none << false << false;
    }
    void hiddenVersionKey()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, onReset);
        QFETCH(bool, toggles);
        QWidget *target = onReset ? resetButton() : readButton();
        if (onReset)
            click(resetButton()); // the click puts the focus on Reset
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCOMPARE(versionButton()->isVisible(), toggles);
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QVERIFY(!versionButton()->isVisible());
    }

    void portSelectorIgnoresTypedKeys()
    {
        portSelector()->setFocus();
        QTest::keyClicks(portSelector(), "COM5");
        QTest::keyClick(portSelector(), Qt::Key_Down);
        QCOMPARE(portSelector()->text(), "COM1");
        pick(portSelector(), 6);
        QCOMPARE(portSelector()->text(), "COM7");
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
