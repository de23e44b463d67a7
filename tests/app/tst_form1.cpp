// The window as a person meets it: start-up state, layout, Reset, the hidden version button and
// the port selector's keyboard lock. Exit and the close box are tried with the exchanges.

#include "dropdownbox.h"
#include "form1.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class Form1Test : public QObject, WindowFixture
{
    Q_OBJECT

    QLineEdit *text(const char *name) const { return control<QLineEdit>(name); }
    QAbstractButton *button(const char *name) const { return control<QAbstractButton>(name); }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void startUpState()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("K5 DIP-switch"));
        for (int i = 1; i <= 10; ++i) {
            DropDownBox *box = switchBox(i);
            QCOMPARE(box->text(), QStringLiteral("0"));
            QCOMPARE(box->count(), 3);
            QCOMPARE(box->itemText(0), QStringLiteral("+"));
            QCOMPARE(box->itemText(1), QStringLiteral("0"));
            QCOMPARE(box->itemText(2), QStringLiteral("-"));
            QVERIFY(box->isEnabled());
        }
        auto *ports = portSelector();
        QCOMPARE(ports->text(), QStringLiteral("COM1"));
        QCOMPARE(ports->count(), 16);
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(ports->itemText(n - 1), QStringLiteral("COM%1").arg(n));
        QCOMPARE(ports->findText(QStringLiteral("COM10")),
                 ports->findText(QStringLiteral("COM9")) + 1);
        QCOMPARE(text("Text2")->text(), QStringLiteral("29524"));
        QCOMPARE(text("Text3")->text(), QStringLiteral("0"));
        QCOMPARE(text("Text1")->text(), QStringLiteral("SW4172-36v03-K5_DIP-switch"));
        QVERIFY(text("Text1")->isReadOnly());
        QVERIFY(text("Text3")->isReadOnly());
        QCOMPARE(text("Text2")->maxLength(), 5);
        QVERIFY(functionCheck()->isChecked());
        QVERIFY(!button("Command8")->isVisible());
        QVERIFY(button("Command1")->hasFocus());
    }

    void layout_data()
    {
        // Twips of the layout table, 15 to a pixel.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Label19") << "Label19" << QRect(100, 1100, 7000, 640);
        QTest::newRow("Shape1") << "Shape1" << QRect(480, 3120, 6210, 1000);
        QTest::newRow("Label3") << "Label3" << QRect(600, 3225, 495, 255);
        QTest::newRow("Label12") << "Label12" << QRect(6000, 3225, 495, 255);
        QTest::newRow("Combo2(1)") << "Combo2(1)" << QRect(600, 3480, 560, 360);
        QTest::newRow("Combo2(10)") << "Combo2(10)" << QRect(6000, 3480, 560, 360);
        QTest::newRow("Text2") << "Text2" << QRect(600, 4680, 1215, 330);
        QTest::newRow("Command4") << "Command4" << QRect(1920, 4680, 495, 330);
        QTest::newRow("Command7") << "Command7" << QRect(5160, 4680, 975, 330);
        QTest::newRow("Check1") << "Check1" << QRect(600, 5380, 210, 230);
        QTest::newRow("Command8") << "Command8" << QRect(5520, 5320, 1095, 375);
        QTest::newRow("Text1") << "Text1" << QRect(600, 6240, 4455, 330);
        QTest::newRow("Combo1") << "Combo1" << QRect(5520, 6240, 1095, 345);
        QTest::newRow("Command2") << "Command2" << QRect(5520, 6700, 1095, 375);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        auto *w = form->findChild<QWidget *>(name);
        QVERIFY(w);
        const auto px = [](int t) {
            return (t + 7) / 15;
        };
        QCOMPARE(w->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    }

    void fixedSizeWithoutMaximise()
    {
        QCOMPARE(form->size(), QSize(481, 500));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        QTest::newRow("title") << "Label19" << 32.25 << true;
        QTest::newRow("number label") << "Label7" << 9.75 << true;
        QTest::newRow("all-plus label") << "Label15" << 12.0 << true;
        QTest::newRow("switch box") << "Combo2(4)" << 9.75 << true;
        QTest::newRow("code box") << "Text2" << 9.0 << true;
        QTest::newRow("status box") << "Text1" << 9.0 << true;
        QTest::newRow("window") << "Form1" << 9.0 << false;
    }
    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        QWidget *w = name == u"Form1" ? form.get() : form->findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(w->font().bold(), bold);
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
    }

    void focusOrder()
    {
        button("Command8")->setVisible(true); // the hidden button is last in the order
        const QStringList expected = {
            "Command1",  "Command3",   "Command6",  "Command2",  "Combo2(1)", "Combo2(2)",
            "Combo2(3)", "Combo2(4)",  "Combo2(5)", "Combo2(6)", "Combo2(7)", "Combo2(8)",
            "Combo2(9)", "Combo2(10)", "Text2",     "Check1",    "Text1",     "Combo1",
            "Command4",  "Command5",   "Text3",     "Command7",  "Command8",  "Command1"};
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // Drop-down boxes pass the focus on to their edit field.
            while (focus && focus->objectName().isEmpty())
                focus = focus->parentWidget();
            seen << (focus ? focus->objectName() : QString());
        }
        QCOMPARE(seen, expected);
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("Text1") << "Text1"
                               << "Status";
        QTest::newRow("Text2") << "Text2"
                               << "DIP-switch code";
        QTest::newRow("Text3") << "Text3"
                               << "Programmed counter";
        QTest::newRow("Combo1") << "Combo1"
                                << "COM port";
        QTest::newRow("Combo2(1)") << "Combo2(1)"
                                   << "DIP-switch 1";
        QTest::newRow("Combo2(10)") << "Combo2(10)"
                                    << "DIP-switch 10";
        QTest::newRow("Check1") << "Check1"
                                << "DIP-switch functionality on/off";
        QTest::newRow("Command1") << "Command1"
                                  << "Read";
        QTest::newRow("Command3") << "Command3"
                                  << "Print";
        QTest::newRow("Command6") << "Command6"
                                  << "Write";
        QTest::newRow("Command2") << "Command2"
                                  << "Exit";
        QTest::newRow("Command4") << "Command4"
                                  << "Step up";
        QTest::newRow("Command5") << "Command5"
                                  << "Step down";
        QTest::newRow("Command7") << "Command7"
                                  << "Reset";
        QTest::newRow("Command8") << "Command8"
                                  << "Version";
        QTest::newRow("Label15") << "Label15"
                                 << "Set all switches to +";
        QTest::newRow("Label16") << "Label16"
                                 << "Set all switches to 0";
        QTest::newRow("Label17") << "Label17"
                                 << "Set all switches to -";
    }
    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessible);
        auto *w = form->findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->accessibleName(), accessible);
    }

    void everyFocusableControlHasAName()
    {
        for (QWidget *w : form->findChildren<QWidget *>()) {
            if (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty())
                continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }

    void resetSetsCounterToZero()
    {
        text("Text3")->setText(QStringLiteral("17"));
        QTest::mouseClick(button("Command7"), Qt::LeftButton);
        QCOMPARE(text("Text3")->text(), QStringLiteral("0"));
        QVERIFY(button("Command7")->hasFocus());
    }

    void enterClicksTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("keypad enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
        QTest::newRow("space") << int(Qt::Key_Space) << Qt::KeyboardModifiers();
    }
    void enterClicksTheFocusedButton()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        stepUpButton()->setFocus();
        QTest::keyClick(stepUpButton(), Qt::Key(key), modifiers);
        QCOMPARE(codeBox()->text(), QStringLiteral("29525"));
        QVERIFY(!versionButton()->isVisible()); // and the key is no version key on Reset either
        resetButton()->setFocus();
        QTest::keyClick(resetButton(), Qt::Key(key), modifiers);
        QVERIFY(!versionButton()->isVisible());
    }

    void hiddenVersionKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("V") << int(Qt::Key_V) << Qt::KeyboardModifiers() << true;
        QTest::newRow("V with shift")
            << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("V with control")
            << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("other letter") << int(Qt::Key_W) << Qt::KeyboardModifiers() << false;
        QTest::newRow("digit") << int(Qt::Key_5) << Qt::KeyboardModifiers() << false;
        QTest::newRow("keypad 6") << int(Qt::Key_6) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << false;
    }
    void hiddenVersionKey()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, toggles);
        QAbstractButton *reset = button("Command7");
        QTest::mouseClick(reset, Qt::LeftButton); // the click puts the focus on Reset
        QVERIFY(reset->hasFocus());
        QTest::keyClick(reset, Qt::Key(key), modifiers);
        QCOMPARE(button("Command8")->isVisible(), toggles);
        QTest::keyClick(reset, Qt::Key(key), modifiers);
        QVERIFY(!button("Command8")->isVisible());
    }

    void heldVersionKeyTogglesOnce()
    {
        QAbstractButton *reset = button("Command7");
        QTest::mouseClick(reset, Qt::LeftButton);
        QTest::keyPress(reset, Qt::Key_V);
        for (int n = 0; n < 3; ++n) { // how X11 reports a held key: release and press, repeated
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::NoModifier, "v", true);
            QApplication::sendEvent(reset, &release);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::NoModifier, "v", true);
            QApplication::sendEvent(reset, &press);
        }
        QTest::keyRelease(reset, Qt::Key_V);
        QVERIFY(button("Command8")->isVisible());
    }

    void versionKeyElsewhereDoesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Read button") << "Command1";
        QTest::newRow("counter") << "Text3";
        QTest::newRow("status box") << "Text1";
    }
    void versionKeyElsewhereDoesNothing()
    {
        QFETCH(QString, name);
        auto *w = form->findChild<QWidget *>(name);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_V);
        QVERIFY(!button("Command8")->isVisible());
    }

    void portSelectorIgnoresTypedKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << int(Qt::Key_X);
        QTest::newRow("digit") << int(Qt::Key_7);
        QTest::newRow("down arrow") << int(Qt::Key_Down);
        QTest::newRow("up arrow") << int(Qt::Key_Up);
        QTest::newRow("page down") << int(Qt::Key_PageDown);
        QTest::newRow("end") << int(Qt::Key_End);
        QTest::newRow("backspace") << int(Qt::Key_Backspace);
        QTest::newRow("delete") << int(Qt::Key_Delete);
    }
    void portSelectorIgnoresTypedKeys()
    {
        QFETCH(int, key);
        auto *ports = portSelector();
        ports->setFocus();
        QTest::keyPress(ports, Qt::Key(key));
        QVERIFY(ports->isLocked());
        QTest::keyRelease(ports, Qt::Key(key));
        QVERIFY(!ports->isLocked());
        QTest::keyClicks(ports, QStringLiteral("COM5"));
        QCOMPARE(ports->text(), QStringLiteral("COM1"));
        QCOMPARE(ports->currentIndex(), 0);
    }

    void portSelectorPickWithTheMouse()
    {
        auto *ports = portSelector();
        ports->setFocus();
        QTest::keyPress(ports, Qt::Key_A);
        QVERIFY(ports->isLocked());
        // Tab leaves the box before the key is released there: losing the focus unlocks it.
        QTest::keyClick(ports, Qt::Key_Tab);
        QVERIFY(!ports->hasFocus());
        QVERIFY(!ports->isLocked());

        ports->showPopup();
        auto *view = ports->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex com7 = view->model()->index(6, 0);
        view->scrollTo(com7);
        const QPoint at = view->visualRect(com7).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(ports->text(), QStringLiteral("COM7"));
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
