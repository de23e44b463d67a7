// Editing the code as a person does: switch keys, list picks, the code box, the step
// buttons, the all-switch labels and the function check box; both views agree after every event.

#include "dropdownbox.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QTest>

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
    void focusCodeBox(int cursor = -1)
    {
        codeBox()->setFocus();
        if (cursor < 0)
            codeBox()->selectAll();
        else
            codeBox()->setCursorPosition(cursor);
    }
    void verifyDefaultCodeSelected()
    {
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
    }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    // --- switches -----------------------------------------------------------------------------

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
        const QList<Qt::Key> keys = {Qt::Key_Minus, plus, Qt::Key_Minus, Qt::Key_0,    plus, plus,
                                     Qt::Key_0,     plus, Qt::Key_0,     Qt::Key_Minus};
        switchBox(1)->setFocus();
        for (const Qt::Key key : keys)
            QTest::keyClick(QApplication::focusWidget(), key, mod);
        QCOMPARE(codeBox()->text(), QStringLiteral("12345"));
        QCOMPARE(switches(), switchesOf(12345));
        // After the tenth stroke the focus has wrapped round to switch 1, its text selected.
        QVERIFY(switchBox(1)->hasFocus());
        QCOMPARE(switchBox(1)->lineEdit()->selectedText(), QStringLiteral("-"));
        // The box the focus leaves no longer shows its text selected.
        QTest::keyClick(switchBox(1), Qt::Key_Tab);
        QVERIFY(switchBox(2)->hasFocus());
        QVERIFY(!switchBox(1)->lineEdit()->hasSelectedText());
    }

    void otherKeysChangeNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("letter a") << int(Qt::Key_A);
        QTest::newRow("down arrow") << int(Qt::Key_Down);
    }
    void otherKeysChangeNothing()
    {
        QFETCH(int, key);
        switchBox(3)->setFocus();
        QTest::keyClick(switchBox(3), Qt::Key(key));
        QVERIFY(switchBox(3)->hasFocus());
        QCOMPARE(switches(), switchesOf(29524));
        QVERIFY(!switchBox(3)->view()->isVisible());
    }

    void textNeverEntersASwitchBox()
    {
        DropDownBox *box = switchBox(4);
        QTest::keyClicks(box->lineEdit(), QStringLiteral("+-0xyz"));
        QApplication::clipboard()->setText(QStringLiteral("+"));
        box->lineEdit()->selectAll();
        QTest::keyClick(box->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(box->lineEdit(), Qt::MiddleButton);
        QCOMPARE(box->text(), QStringLiteral("0"));
        QVERIFY(!box->lineEdit()->acceptDrops());
    }

    void pickFromTheList()
    {
        pick(switchBox(7), 0);
        QCOMPARE(switchBox(7)->text(), QStringLiteral("+"));
        QCOMPARE(codeBox()->text(), QString::number(29524 + 729));
    }

    // --- the code box -------------------------------------------------------------------------

    void pastedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<int>("code");
        QTest::newRow("highest code") << "59048"
                                      << "59048" << 59048;
        QTest::newRow("one above, replaced") << "59049"
                                             << "29524" << 29524;
        QTest::newRow("empty") << ""
                               << "" << 0;
        QTest::newRow("leading zeros kept") << "00012"
                                            << "00012" << 12;
        QTest::newRow("half rounds to even") << "13.5"
                                             << "13.5" << 14;
    }
    void pastedText()
    {
        QFETCH(QString, text);
        QFETCH(QString, textAfter);
        QFETCH(int, code);
        pasteCode(text);
        QCOMPARE(codeBox()->text(), textAfter);
        QCOMPARE(switches(), switchesOf(code));
        QCOMPARE(codeBox()->hasSelectedText(), text != textAfter);
    }

    void pasteBeforeAnyKey()
    {
        pasteCode(QStringLiteral("12345"), false);
        QCOMPARE(switches(), switchesOf(12345));
    }

    void sixthDigitBeforeTheFifthComesUp()
    {
        focusCodeBox();
        QTest::keyClicks(codeBox(), QStringLiteral("6666"));
        QTest::keyPress(codeBox(), Qt::Key_6);
        QTest::keyPress(codeBox(), Qt::Key_7); // refused: the box holds five characters
        QCOMPARE(codeBox()->text(), QStringLiteral("66666"));
        QTest::keyRelease(codeBox(), Qt::Key_7);
        QTest::keyRelease(codeBox(), Qt::Key_6);
        verifyDefaultCodeSelected();
    }

    void codeBoxKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("textAfter"); // after the key at the end of "120"
        const Qt::KeyboardModifiers none, keypad = Qt::KeypadModifier;
        QTest::newRow("enter") << int(Qt::Key_Return) << none << "120";
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "12";
        QTest::newRow("delete") << int(Qt::Key_Delete) << none << "120";
        QTest::newRow("left") << int(Qt::Key_Left) << none << "120";
        QTest::newRow("right") << int(Qt::Key_Right) << none << "120";
        QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << "1200";
        QTest::newRow("keypad 9") << int(Qt::Key_9) << keypad << "1209";
        // Any other key resets the box to the default code, selected for the next digit.
        QTest::newRow("home") << int(Qt::Key_Home) << none << "29524";
        QTest::newRow("minus") << int(Qt::Key_Minus) << none << "29524";
        QTest::newRow("keypad asterisk") << int(Qt::Key_Asterisk) << keypad << "29524";
    }
    void codeBoxKeys()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, textAfter);
        pasteCode(QStringLiteral("120"));
        focusCodeBox(3);
        QTest::keyClick(codeBox(), Qt::Key(key), modifiers);
        QCOMPARE(codeBox()->text(), textAfter);
        QCOMPARE(switches(), switchesOf(textAfter.toInt()));
        QCOMPARE(codeBox()->hasSelectedText(), textAfter == u"29524");
    }

    void tabbingIntoTheCodeBoxKeepsIt()
    {
        pasteCode(QStringLiteral("120"));
        switchBox(10)->setFocus();
        // The Tab goes down in switch 10 and comes up in the code box.
        QTest::keyPress(switchBox(10), Qt::Key_Tab);
        QVERIFY(codeBox()->hasFocus());
        QTest::keyRelease(codeBox(), Qt::Key_Tab);
        QCOMPARE(codeBox()->text(), QStringLiteral("120"));
    }

    // --- step buttons, labels and the function ------------------------------------------------

    void stepButtons_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("after");
        QTest::newRow("up at 59048 stops") << "59048" << true << "59048";
        QTest::newRow("down at 0 stops") << "0" << false << "0";
        QTest::newRow("up on an empty box") << "" << true << "1";
        QTest::newRow("down on an empty box") << "" << false << "0";
        QTest::newRow("down by one") << "12" << false << "11";
        QTest::newRow("leading zeros go") << "00012" << true << "13";
    }
    void stepButtons()
    {
        QFETCH(QString, before);
        QFETCH(bool, up);
        QFETCH(QString, after);
        pasteCode(before);
        click(up ? stepUpButton() : stepDownButton());
        QCOMPARE(codeBox()->text(), after);
        QCOMPARE(switches(), switchesOf(after.toInt()));
    }

    void labelsSetAllSwitches()
    {
        const QList<QPair<QLabel *, int>> labels = {
            {allPlusLabel(), 59048}, {allZeroLabel(), 29524}, {allMinusLabel(), 0}};
        for (int entry = 0; entry < labels.size(); ++entry) {
            const auto &[label, code] = labels[entry];
            pasteCode(QStringLiteral("12345"));
            click(label);
            QCOMPARE(codeBox()->text(), QString::number(code));
            QCOMPARE(switches(), switchesOf(code));
            QCOMPARE(switchBox(1)->currentIndex(), entry); // the list opens at the entry shown
        }
    }

    void functionOffAndOnAgain()
    {
        const QString empty = QStringList(10, QString()).join(u' ');
        pasteCode(QStringLiteral("12345"));
        click(functionCheck());
        QCOMPARE(switches(), empty);
        QVERIFY(!codeBox()->isEnabled() && !switchBox(1)->isEnabled());
        // Step buttons and labels do nothing while the function is off.
        for (QWidget *w :
             {static_cast<QWidget *>(stepUpButton()), static_cast<QWidget *>(stepDownButton()),
              static_cast<QWidget *>(allPlusLabel())})
            click(w);
        QCOMPARE(codeBox()->text(), QString());
        QCOMPARE(switches(), empty);

        click(functionCheck());
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
        QVERIFY(codeBox()->isEnabled() && switchBox(1)->isEnabled());
    }
};

QTEST_MAIN(SwitchPanelTest)
#include "tst_switchpanel.moc"
