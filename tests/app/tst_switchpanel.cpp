// Editing the code as a person does: switch keys, list picks, the code box, the step buttons,
// the all-switch labels and the function check box; both views agree after every event.

#include "virtualkey.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QKeyEvent>

#include <tuple>

class SwitchPanelTest : public QObject, WindowFixture
{
    Q_OBJECT

    // Pastes text over the whole code box, as with the context menu: no key is involved, though
    // unless afterAKey is false one was typed there before.
    void pasteCode(const QString &text, bool afterAKey = true)
    {
        codeBox()->setFocus();
        if (afterAKey)
            QTest::keyClick(codeBox(), Qt::Key_Right);
        QApplication::clipboard()->setText(text);
        codeBox()->selectAll();
        codeBox()->paste();
    }
    // The code box shows text, selected or not, and the switches show its code.
    void verifyCode(const QString &text, bool selected, int code)
    {
        QCOMPARE(codeBox()->text(), text);
        QCOMPARE(codeBox()->hasSelectedText(), selected);
        QCOMPARE(switches(), switchesOf(code));
    }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }

    void tenStrokesEnterACode_data()
    {
        QTest::addColumn<bool>("keypad");
        QTest::newRow("main keyboard") << false;
        QTest::newRow("numeric keypad") << true;
    }
    void tenStrokesEnterACode()
    {
        QFETCH(bool, keypad);
        const Qt::KeyboardModifiers mod = keypad ? Qt::KeypadModifier : Qt::NoModifier;
        const Qt::Key plus = keypad ? Qt::Key_Plus : Qt::Key_Equal;
        // 12345 is - + - 0 + + 0 + 0 -, switch 1 first.
        switchBox(1)->setFocus();
        for (const Qt::Key key : {Qt::Key_Minus, plus, Qt::Key_Minus, Qt::Key_0, plus, plus,
                                  Qt::Key_0, plus, Qt::Key_0, Qt::Key_Minus}) {
            QTest::keyPress(QApplication::focusWidget(), key, mod);
            QTest::keyRelease(QApplication::focusWidget(), key, mod); // where the focus went
        }
        verifyCode("12345", false, 12345);
        // After the tenth stroke the focus has wrapped round to switch 1, its text selected; the
        // box the focus leaves no longer shows its text selected.
        QVERIFY(switchBox(1)->hasFocus());
        QCOMPARE(switchBox(1)->lineEdit()->selectedText(), "-");
        QTest::keyPress(switchBox(1), Qt::Key_Tab); // comes up where the focus went
        QVERIFY(switchBox(2)->hasFocus());
        QTest::keyRelease(switchBox(2), Qt::Key_Tab);
        QVERIFY(!switchBox(1)->lineEdit()->hasSelectedText());
    }

    void otherKeysChangeNothing()
    {
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_Down}) {
            switchBox(3)->setFocus();
            QTest::keyClick(switchBox(3), key);
            QVERIFY(switchBox(3)->hasFocus());
            QCOMPARE(switches(), switchesOf(29524));
            QVERIFY(!switchBox(3)->view()->isVisible());
        }
    }

    void textNeverEntersASwitchBox()
    {
        QLineEdit *edit = switchBox(4)->lineEdit();
        QTest::keyClicks(edit, "+-0xyz");
        QApplication::clipboard()->setText("+");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(edit, Qt::MiddleButton);
        QCOMPARE(switchBox(4)->text(), "0");
    }

    void pastedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<int>("code");
        QTest::newRow("highest code") << "59048" << "59048" << 59048;
        QTest::newRow("one above, replaced") << "59049" << "29524" << 29524;
        QTest::newRow("empty") << "" << "" << 0;
        QTest::newRow("leading zeros kept") << "00012" << "00012" << 12;
        QTest::newRow("half rounds to even") << "13.5" << "13.5" << 14;
    }
    void pastedText()
    {
        QFETCH(QString, text);
        QFETCH(QString, textAfter);
        QFETCH(int, code);
        pasteCode(text);
        verifyCode(textAfter, text != textAfter, code);
    }

    void pasteBeforeAnyKey()
    {
        pasteCode("12345", false);
        QCOMPARE(switches(), switchesOf(12345));
    }

    void sixthDigitBeforeTheFifthComesUp()
    {
        codeBox()->setFocus();
        codeBox()->selectAll();
        QTest::keyClicks(codeBox(), "6666");
        QTest::keyPress(codeBox(), Qt::Key_6);
        QTest::keyPress(codeBox(), Qt::Key_7); // refused: the box holds five characters
        QCOMPARE(codeBox()->text(), "66666");
        QTest::keyRelease(codeBox(), Qt::Key_7);
        QTest::keyRelease(codeBox(), Qt::Key_6);
        verifyCode("29524", true, 29524);
    }

    void codeBoxKeys_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("textAfter"); // after the key at the end of "120"
        const Qt::KeyboardModifier keypad = Qt::KeypadModifier;
        QTest::newRow("enter") << QKeyCombination(Qt::Key_Return) << "120";
        QTest::newRow("backspace") << QKeyCombination(Qt::Key_Backspace) << "12";
        QTest::newRow("delete") << QKeyCombination(Qt::Key_Delete) << "120";
        QTest::newRow("left") << QKeyCombination(Qt::Key_Left) << "120";
        QTest::newRow("right") << QKeyCombination(Qt::Key_Right) << "120";
        QTest::newRow("0") << QKeyCombination(Qt::Key_0) << "1200";
        QTest::newRow("keypad 0") << (keypad | Qt::Key_0) << "1200";
        QTest::newRow("keypad 9") << (keypad | Qt::Key_9) << "1209";
        // Any other key resets the box to the default code, selected for the next digit.
        QTest::newRow("home") << QKeyCombination(Qt::Key_Home) << "29524";
        QTest::newRow("minus") << QKeyCombination(Qt::Key_Minus) << "29524";
        QTest::newRow("keypad asterisk") << (keypad | Qt::Key_Asterisk) << "29524";
    }
    void codeBoxKeys()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, textAfter);
        pasteCode("120");
        codeBox()->setCursorPosition(3);
        QTest::keyClick(codeBox(), key.key(), key.keyboardModifiers());
        verifyCode(textAfter, textAfter == u"29524", textAfter.toInt());
    }

    void tabbingIntoTheCodeBoxKeepsIt()
    {
        pasteCode("120");
        switchBox(10)->setFocus();
        // The Tab goes down in switch 10 and comes up in the code box.
        QTest::keyPress(switchBox(10), Qt::Key_Tab);
        QVERIFY(codeBox()->hasFocus());
        QTest::keyRelease(codeBox(), Qt::Key_Tab);
        QCOMPARE(codeBox()->text(), "120");
    }

    void stepButtons_data()
    {
        QTest::addColumn<QStringList>("texts"); // before and after a click on the button
        QTest::addColumn<bool>("up");
        QTest::newRow("up at 59048 stops") << QStringList{"59048", "59048"} << true;
        QTest::newRow("down at 0 stops") << QStringList{"0", "0"} << false;
        QTest::newRow("up on an empty box") << QStringList{"", "1"} << true;
        QTest::newRow("down on an empty box") << QStringList{"", "0"} << false;
        QTest::newRow("down by one") << QStringList{"12", "11"} << false;
        QTest::newRow("leading zeros go") << QStringList{"00012", "13"} << true;
    }
    void stepButtons()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, up);
        pasteCode(texts[0]);
        click(up ? stepUpButton() : stepDownButton());
        verifyCode(texts[1], false, texts[1].toInt());
    }

    void labelsSetAllSwitches()
    {
        const QList<QPair<QLabel *, int>> labels = {
            {allPlusLabel(), 59048}, {allZeroLabel(), 29524}, {allMinusLabel(), 0}};
        for (int entry = 0; entry < labels.size(); ++entry) {
            pasteCode("12345");
            click(labels[entry].first);
            verifyCode(QString::number(labels[entry].second), false, labels[entry].second);
            QCOMPARE(switchBox(1)->currentIndex(), entry); // the list opens at the entry shown
        }
    }

    void functionOffAndOnAgain()
    {
        const QString empty = QStringList(10, QString()).join(u' ');
        pasteCode("12345");
        click(functionCheck());
        QCOMPARE(switches(), empty);
        QVERIFY(!codeBox()->isEnabled() && !switchBox(1)->isEnabled());
        // Step buttons and labels do nothing while the function is off.
        for (QWidget *w : QList<QWidget *>{stepUpButton(), stepDownButton(), allPlusLabel()})
            click(w);
        QCOMPARE(codeBox()->text(), QString());
        QCOMPARE(switches(), empty);
        click(functionCheck());
        verifyCode("29524", false, 29524);
        QVERIFY(codeBox()->isEnabled() && switchBox(1)->isEnabled());
    }

    // The translation of Qt key events into the Windows virtual-key codes the handlers take.
    void virtualKeys()
    {
        const Qt::KeyboardModifiers none, keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        // The main keyboard's plus and minus by their unshifted and shifted characters, and a US
        // keyboard's shifted 0 and 9; Home, which no handler tells apart, and no key at all, as an
        // input method may send.
        const QList<std::tuple<int, Qt::KeyboardModifiers, int>> rows = {
            {Qt::Key_0, none, 48},           {Qt::Key_9, none, 57},
            {Qt::Key_0, keypad, 96},         {Qt::Key_9, keypad, 105},
            {Qt::Key_Plus, keypad, 107},     {Qt::Key_Minus, keypad, 109},
            {Qt::Key_Asterisk, keypad, 106}, {Qt::Key_Enter, keypad, 13},
            {Qt::Key_Equal, none, 187},      {Qt::Key_Plus, shift, 187},
            {Qt::Key_Minus, none, 189},      {Qt::Key_Underscore, shift, 189},
            {Qt::Key_ParenRight, shift, 48}, {Qt::Key_ParenLeft, shift, 57},
            {Qt::Key_Backspace, none, 8},    {Qt::Key_Return, none, 13},
            {Qt::Key_Left, none, 37},        {Qt::Key_Right, none, 39},
            {Qt::Key_Delete, none, 46},      {Qt::Key_A, none, 65},
            {Qt::Key_V, shift, 86},          {Qt::Key_Home, none, 0},
            {0, none, 0}};
        for (const auto &[key, modifiers, virtualKey] : rows) {
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                const QKeyEvent event(type, key, modifiers);
                if (VirtualKey::FromEvent(event) != virtualKey)
                    QFAIL(qPrintable(QString::asprintf("key %x, modifiers %x: %d", key,
                                                       int(modifiers), VirtualKey::FromEvent(event))));
            }
        }
    }
};

QTEST_MAIN(SwitchPanelTest)
#include "tst_switchpanel.moc"
