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

    // Pastes text over the whole code box, as with the context menu: no key is involved.
    void pasteCode(const QString &text)
    {
        codeBox()->setFocus();
        QApplication::clipboard()->setText(text);
        codeBox()->selectAll();
        codeBox()->paste();
    }
    // The code box shows text, selected or not, and the switches show its code; the list of
    // switch 1 opens at the entry it shows.
    void verifyCode(const QString &text, bool selected, int code)
    {
        QCOMPARE(std::pair(codeBox()->text(), codeBox()->hasSelectedText()),
                 std::pair(text, selected));
        QCOMPARE(switches(), switchesOf(code));
        QCOMPARE(switchBox(1)->itemText(switchBox(1)->currentIndex()), switchBox(1)->text());
    }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }

    void switchBoxKeys_data()
    {
        QTest::addColumn<bool>("keypad");
        QTest::newRow("main keyboard") << false;
        QTest::newRow("numeric keypad") << true;
    }
    void switchBoxKeys()
    {
        QFETCH(bool, keypad);
        // Other keys, and typed, pasted or dropped text, change nothing; the focus stays.
        QLineEdit *edit = switchBox(1)->lineEdit();
        switchBox(1)->setFocus();
        QTest::keyClick(switchBox(1), Qt::Key_A);
        QTest::keyClick(switchBox(1), Qt::Key_Down);
        QTest::keyClicks(edit, "+-0xyz");
        QApplication::clipboard()->setText("+");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(edit, Qt::MiddleButton);
        QVERIFY(switchBox(1)->hasFocus() && !switchBox(1)->view()->isVisible());
        verifyCode("29524", false, 29524);

        // Ten strokes enter 12345, - + - 0 + + 0 + 0 - with switch 1 first.
        const Qt::KeyboardModifiers mod = keypad ? Qt::KeypadModifier : Qt::NoModifier;
        const Qt::Key plus = keypad ? Qt::Key_Plus : Qt::Key_Equal;
        for (const Qt::Key key : {Qt::Key_Minus, plus, Qt::Key_Minus, Qt::Key_0, plus, plus,
                                  Qt::Key_0, plus, Qt::Key_0, Qt::Key_Minus}) {
            QTest::keyPress(QApplication::focusWidget(), key, mod);
            QTest::keyRelease(QApplication::focusWidget(), key, mod); // where the focus went
        }
        verifyCode("12345", false, 12345);
        // After the tenth stroke the focus has wrapped round to switch 1, its text selected.
        QVERIFY(switchBox(1)->hasFocus());
        QCOMPARE(edit->selectedText(), "-");
        // A Tab goes down in switch 10 and comes up in the code box, which keeps its text,
        // selected as a text box does for the next digit.
        switchBox(10)->setFocus();
        QTest::keyPress(switchBox(10), Qt::Key_Tab);
        QCOMPARE(codeBox()->selectedText(), "12345");
        QTest::keyRelease(codeBox(), Qt::Key_Tab);
        verifyCode("12345", true, 12345);
    }

    // Text pasted over the code box, then a key at its end or a click; a code box that shows the
    // default code in place of what it held shows it selected, for the next digit.
    void edits_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QKeyCombination>("key"); // Qt::Key_unknown: none
        QTest::addColumn<QString>("clicked");     // a control's object name
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("pasted code kept") << "00012" << QKeyCombination() << "" << "00012";
        QTest::newRow("pasted, above the highest") << "59049" << QKeyCombination() << "" << "29524";
        const Qt::KeyboardModifier keypad = Qt::KeypadModifier;
        const QList<std::tuple<const char *, QKeyCombination, const char *>> keys = {
            {"enter", Qt::Key_Return, "120"},         {"backspace", Qt::Key_Backspace, "12"},
            {"delete", Qt::Key_Delete, "120"},        {"left", Qt::Key_Left, "120"},
            {"right", Qt::Key_Right, "120"},          {"0", Qt::Key_0, "1200"},
            {"keypad 0", keypad | Qt::Key_0, "1200"}, {"keypad 9", keypad | Qt::Key_9, "1209"},
            {"home", Qt::Key_Home, "29524"},          {"minus", Qt::Key_Minus, "29524"},
            {"keypad asterisk", keypad | Qt::Key_Asterisk, "29524"}};
        for (const auto &[name, key, after] : keys)
            QTest::newRow(name) << "120" << key << "" << after;
        const QList<std::tuple<const char *, const char *, const char *, const char *>> clicks = {
            {"up at 59048 stops", "Command4", "59048", "59048"},
            {"leading zeros go", "Command4", "00012", "13"},
            {"up on an empty box", "Command4", "", "1"}, {"all +", "Label15", "12345", "59048"},
            {"down on an empty box", "Command5", "", "0"}, {"all 0", "Label16", "12345", "29524"},
            {"down by one", "Command5", "12", "11"}, {"all -", "Label17", "12345", "0"},
            {"down at 0 stops", "Command5", "0", "0"}};
        for (const auto &[name, control, before, after] : clicks)
            QTest::newRow(name) << before << QKeyCombination() << control << after;
    }
    void edits()
    {
        QFETCH(QString, pasted);
        QFETCH(QKeyCombination, key);
        QFETCH(QString, clicked);
        QFETCH(QString, textAfter);
        pasteCode(pasted);
        if (!clicked.isEmpty())
            click(control(clicked));
        else if (key.key() != Qt::Key_unknown)
            QTest::keyClick(codeBox(), key.key(), key.keyboardModifiers());
        verifyCode(textAfter, clicked.isEmpty() && textAfter == u"29524", textAfter.toInt());
    }

    // Typed digits are taken when their key comes up; text pasted after a key still counts.
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
        pasteCode("12345");
        verifyCode("12345", false, 12345);
    }

    void functionOffAndOnAgain()
    {
        pasteCode("12345");
        click(functionCheck());
        QVERIFY(!codeBox()->isEnabled() && !switchBox(1)->isEnabled());
        // The panel empties, and step buttons and labels do nothing while the function is off.
        for (const char *name : {"Command4", "Command5", "Label15"})
            click(control(name));
        QCOMPARE(codeBox()->text(), QString());
        QCOMPARE(switches(), QString(9, u' '));
        click(functionCheck());
        verifyCode("29524", false, 29524);
        QVERIFY(codeBox()->isEnabled() && switchBox(1)->isEnabled());
    }

    // The translation of Qt key events into the Windows virtual-key codes the handlers take.
    void virtualKeys()
    {
        const Qt::KeyboardModifiers none, pad = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        // The codes that Windows gives, where the key handlers on this platform would not tell a
        // wrong one apart: the editing keys, the letters, the keypad's own keys, the main
        // keyboard's plus and minus by their shifted characters, a US keyboard's shifted 0 and 9;
        // Home, which no handler tells apart, and no key at all, as an input method may send.
        const QList<std::tuple<int, Qt::KeyboardModifiers, int>> rows = {
            {Qt::Key_Backspace, none, 8}, {Qt::Key_Return, none, 13}, {Qt::Key_Left, none, 37},
            {Qt::Key_Right, none, 39}, {Qt::Key_Delete, none, 46}, {Qt::Key_A, none, 65},
            {Qt::Key_0, pad, 96}, {Qt::Key_9, pad, 105}, {Qt::Key_Plus, pad, 107},
            {Qt::Key_Minus, pad, 109}, {Qt::Key_Asterisk, pad, 106}, {Qt::Key_Enter, pad, 13},
            {Qt::Key_Plus, shift, 187}, {Qt::Key_Underscore, shift, 189}, {Qt::Key_Home, none, 0},
            {Qt::Key_ParenRight, shift, 48}, {Qt::Key_ParenLeft, shift, 57}, {0, none, 0}};
        for (const auto &[key, modifiers, virtualKey] : rows)
            QCOMPARE(std::tuple(key, int(modifiers),
                                VirtualKey::FromEvent({QEvent::KeyPress, key, modifiers})),
                     std::tuple(key, int(modifiers), virtualKey));
    }
};

QTEST_MAIN(SwitchPanelTest)
#include "tst_switchpanel.moc"
