// Editing the code as a person does: switch keys, list picks, the code box, the step buttons,
// the all-switch labels and the function check box; both views must agree after every event.

#include "dropdownbox.h"
#include "form1.h"
#include "switchcode.h"
#include "switchpanel.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QWheelEvent>

class SwitchPanelTest : public QObject, WindowFixture
{
    Q_OBJECT

    QCheckBox *function() const { return functionCheck(); }
    DropDownBox *box(int i) const { return switchBox(i); }

    // Pastes text over the whole code box, as with the context menu: no key is involved.
    void setCode(const QString &text)
    {
        QApplication::clipboard()->setText(text);
        codeBox()->selectAll();
        codeBox()->paste();
    }
    void selectAllOfCodeBox()
    {
        codeBox()->setFocus();
        codeBox()->selectAll();
    }
    // Whether the two views encode the same code, or both are empty while the function is off.
    QString viewsDisagree() const
    {
        if (!function()->isChecked()) {
            for (int i = 1; i <= 10; ++i) {
                if (!box(i)->text().isEmpty() || box(i)->isEnabled())
                    return QStringLiteral("switch %1 not empty and disabled").arg(i);
            }
            return codeBox()->text().isEmpty() ? QString() : QStringLiteral("code box not empty");
        }
        const int code = CodeFromText(codeBox()->text());
        if (code < 0)
            return QStringLiteral("code box holds %1").arg(codeBox()->text());
        if (switches() != switchesOf(code))
            return QStringLiteral("code box %1, switches %2").arg(codeBox()->text(), switches());
        return {};
    }
    // Opens the box's list and clicks its entry with the mouse.
    static void pick(DropDownBox *b, int entry)
    {
        b->showPopup();
        QTRY_VERIFY(b->view()->isVisible());
        const QModelIndex index = b->view()->model()->index(entry, 0);
        QTest::mouseClick(b->view()->viewport(), Qt::LeftButton, {},
                          b->view()->visualRect(index).center());
        QTRY_VERIFY(!b->view()->isVisible());
    }
    void clickLabel(const char *name) { QTest::mouseClick(control<QLabel>(name), Qt::LeftButton); }

private Q_SLOTS:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    // --- the two window routines -----------------------------------------------------------

    void codeBoxToSwitches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("highest code") << "59048"
                                      << "59048" << 59048 << false;
        QTest::newRow("one above") << "59049"
                                   << "29524" << 29524 << true;
        QTest::newRow("empty") << ""
                               << "" << 0 << false;
        QTest::newRow("leading zeros kept") << "00012"
                                            << "00012" << 12 << false;
        QTest::newRow("negative") << "-5"
                                  << "29524" << 29524 << true;
        QTest::newRow("five nines") << "99999"
                                    << "29524" << 29524 << true;
        QTest::newRow("beyond 32 bits") << "9e99"
                                        << "29524" << 29524 << true;
        QTest::newRow("half rounds to even below") << "12.5"
                                                   << "12.5" << 12 << false;
        QTest::newRow("half rounds to even above") << "13.5"
                                                   << "13.5" << 14 << false;
        QTest::newRow("letters read as 0") << "abc"
                                           << "abc" << 0 << false;
    }
    void codeBoxToSwitches()
    {
        QFETCH(QString, text);
        QFETCH(QString, textAfter);
        QFETCH(int, code);
        QFETCH(bool, replaced);
        setCode(text);
        QCOMPARE(codeBox()->text(), textAfter);
        QCOMPARE(switches(), switchesOf(code));
        if (replaced) {
            QCOMPARE(codeBox()->selectionStart(), 0);
            QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
        } else {
            QVERIFY(!codeBox()->hasSelectedText());
            QCOMPARE(codeBox()->cursorPosition(), int(text.size()));
        }
    }

    // --- switch keys --------------------------------------------------------------------------

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
        // 12345 is - + - 0 + + 0 + 0 -, switch 1 first.
        const QList<Qt::Key> keys = {Qt::Key_Minus, keypad ? Qt::Key_Plus : Qt::Key_Equal,
                                     Qt::Key_Minus, Qt::Key_0,
                                     Qt::Key_Plus,  Qt::Key_Plus,
                                     Qt::Key_0,     Qt::Key_Plus,
                                     Qt::Key_0,     Qt::Key_Minus};
        box(1)->setFocus();
        for (int i = 0; i < 10; ++i) {
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus, keys[i], mod);
            QVERIFY(viewsDisagree().isEmpty());
        }
        QCOMPARE(codeBox()->text(), QStringLiteral("12345"));
        QCOMPARE(switches(), switchesOf(12345));
        // After the tenth stroke the focus has wrapped round to switch 1, its text selected.
        QVERIFY(box(1)->hasFocus());
        QCOMPARE(box(1)->lineEdit()->selectedText(), QStringLiteral("-"));
    }

    void switchKey_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("next");
        const Qt::KeyboardModifiers none, keypad = Qt::KeypadModifier;
        QTest::newRow("main plus in box 10 wraps to box 1")
            << 10 << int(Qt::Key_Equal) << none << "+" << 1;
        QTest::newRow("keypad minus in box 5") << 5 << int(Qt::Key_Minus) << keypad << "-" << 6;
        QTest::newRow("keypad 0 in box 1") << 1 << int(Qt::Key_0) << keypad << "0" << 2;
        QTest::newRow("keypad plus in box 9") << 9 << int(Qt::Key_Plus) << keypad << "+" << 10;
    }
    void switchKey()
    {
        QFETCH(int, box);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        QFETCH(int, next);
        pick(switchBox(1), 2); // "-", so that every row changes the code
        this->box(box)->setFocus();
        QTest::keyClick(this->box(box), Qt::Key(key), modifiers);
        QCOMPARE(this->box(box)->text(), text);
        QVERIFY(this->box(next)->hasFocus());
        QCOMPARE(this->box(next)->lineEdit()->selectionStart(), 0);
        QCOMPARE(this->box(next)->lineEdit()->selectedText().size(), 1);
        QVERIFY(viewsDisagree().isEmpty());
    }

    void otherKeysChangeNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("letter a") << int(Qt::Key_A) << Qt::KeyboardModifiers();
        QTest::newRow("digit 1") << int(Qt::Key_1) << Qt::KeyboardModifiers();
        QTest::newRow("down arrow") << int(Qt::Key_Down) << Qt::KeyboardModifiers();
        QTest::newRow("up arrow") << int(Qt::Key_Up) << Qt::KeyboardModifiers();
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << Qt::KeyboardModifiers();
        QTest::newRow("alt down opens no list")
            << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::AltModifier);
    }
    void otherKeysChangeNothing()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        box(3)->setFocus();
        QTest::keyPress(box(3), Qt::Key(key), modifiers);
        QVERIFY(box(3)->isLocked());
        QVERIFY(box(3)->hasFocus());
        QTest::keyRelease(box(3), Qt::Key(key), modifiers);
        QVERIFY(!box(3)->isLocked());
        QCOMPARE(switches(), switchesOf(29524));
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QVERIFY(!box(3)->view()->isVisible());
    }

    void textNeverEntersASwitchBox()
    {
        box(4)->setFocus();
        QTest::keyPress(box(4), Qt::Key_B);
        for (int n = 0; n < 5; ++n) // a held key: further presses before the one release
            QTest::sendKeyEvent(QTest::KeyAction::Press, box(4), Qt::Key_B, 'b', {});
        QTest::keyRelease(box(4), Qt::Key_B);
        QTest::keyClicks(box(4)->lineEdit(), QStringLiteral("+-0xyz"));
        QCOMPARE(box(4)->text(), QStringLiteral("0"));
        QApplication::clipboard()->setText(QStringLiteral("+"));
        box(4)->lineEdit()->selectAll();
        QTest::keyClick(box(4)->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box(4)->text(), QStringLiteral("0"));
        QTest::mouseClick(box(4)->lineEdit(), Qt::MiddleButton);
        QCOMPARE(box(4)->text(), QStringLiteral("0"));
        QVERIFY(!box(4)->lineEdit()->acceptDrops());
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
    }

    void pickFromTheList()
    {
        DropDownBox *b = box(7);
        pick(b, 0);
        QCOMPARE(b->text(), QStringLiteral("+"));
        QCOMPARE(codeBox()->text(), QString::number(29524 + 729));
    }

    void wheel_data()
    {
        QTest::addColumn<bool>("portSelector");
        QTest::addColumn<bool>("focused");
        QTest::newRow("switch box with the focus") << false << true;
        QTest::newRow("switch box under the pointer only") << false << false;
        QTest::newRow("port selector under the pointer only") << true << false;
    }
    void wheel()
    {
        QFETCH(bool, portSelector);
        QFETCH(bool, focused);
        DropDownBox *b = portSelector ? this->portSelector() : box(2);
        const QString before = b->text();
        if (focused)
            b->setFocus();
        const QPoint centre = b->rect().center();
        QWheelEvent wheel(centre, b->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(b, &wheel);
        QCOMPARE(b->text() != before, focused); // only a box with the focus takes the wheel ...
        QVERIFY2(viewsDisagree().isEmpty(), qPrintable(viewsDisagree())); // ... as a pick
    }

    // --- the code box -------------------------------------------------------------------------

    void heldDigitComesUpOnce()
    {
        // Each repeat of the held key comes as a release and a press, as X11 and Wayland give it.
        selectAllOfCodeBox();
        QTest::keyPress(codeBox(), Qt::Key_6);
        for (int n = 0; n < 8; ++n) {
            for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent repeat(type, Qt::Key_6, Qt::NoModifier, QStringLiteral("6"), true);
                QApplication::sendEvent(codeBox(), &repeat);
            }
        }
        QCOMPARE(codeBox()->text(), QStringLiteral("66666")); // the box is full ...
        QTest::keyRelease(codeBox(), Qt::Key_6);
        QCOMPARE(codeBox()->text(), QStringLiteral("29524")); // ... and 66666 is out of range
        QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
    }

    void sixthDigitBeforeTheFifthComesUp()
    {
        selectAllOfCodeBox();
        QTest::keyClicks(codeBox(), QStringLiteral("6666"));
        QTest::keyPress(codeBox(), Qt::Key_6);
        QTest::keyPress(codeBox(), Qt::Key_7); // refused: the box holds five characters
        QCOMPARE(codeBox()->text(), QStringLiteral("66666"));
        QTest::keyRelease(codeBox(), Qt::Key_7);
        QTest::keyRelease(codeBox(), Qt::Key_6);
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
    }

    void typingIntoASelectedCodeBox()
    {
        selectAllOfCodeBox();
        const QList<Qt::Key> digits = {Qt::Key_5, Qt::Key_9, Qt::Key_0, Qt::Key_4, Qt::Key_9};
        const QStringList after = {"5", "59", "590", "5904"};
        for (int n = 0; n < 4; ++n) {
            QTest::keyClick(codeBox(), digits[n]);
            QCOMPARE(codeBox()->text(), after[n]);
            QCOMPARE(switches(), switchesOf(after[n].toInt()));
        }
        QTest::keyClick(codeBox(), digits[4]); // 59049 is out of range
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
    }

    void backspaceToEmpty()
    {
        codeBox()->setFocus();
        codeBox()->end(false);
        for (int n = 0; n < 5; ++n)
            QTest::keyClick(codeBox(), Qt::Key_Backspace);
        QCOMPARE(codeBox()->text(), QString());
        QCOMPARE(switches(), switchesOf(0));
    }

    void editingKeysKeepTheText_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("left") << int(Qt::Key_Left);
        QTest::newRow("right") << int(Qt::Key_Right);
    }
    void editingKeysKeepTheText()
    {
        QFETCH(int, key);
        setCode(QStringLiteral("120"));
        codeBox()->setFocus();
        codeBox()->setCursorPosition(3);
        QTest::keyClick(codeBox(), Qt::Key(key));
        QCOMPARE(codeBox()->text(), QStringLiteral("120"));
        QCOMPARE(switches(), switchesOf(120));
    }

    void otherKeysResetTheCodeBox_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("home") << int(Qt::Key_Home) << Qt::KeyboardModifiers();
        QTest::newRow("end") << int(Qt::Key_End) << Qt::KeyboardModifiers();
        QTest::newRow("shift") << int(Qt::Key_Shift) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("up") << int(Qt::Key_Up) << Qt::KeyboardModifiers();
        QTest::newRow("letter") << int(Qt::Key_Q) << Qt::KeyboardModifiers();
        QTest::newRow("minus") << int(Qt::Key_Minus) << Qt::KeyboardModifiers();
        QTest::newRow("keypad plus")
            << int(Qt::Key_Plus) << Qt::KeyboardModifiers(Qt::KeypadModifier);
        QTest::newRow("F5") << int(Qt::Key_F5) << Qt::KeyboardModifiers();
    }
    void otherKeysResetTheCodeBox()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        setCode(QStringLiteral("120"));
        codeBox()->setFocus();
        QTest::keyClick(codeBox(), Qt::Key(key), modifiers);
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(codeBox()->selectedText(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
    }

    void tabbingIntoTheCodeBoxKeepsIt()
    {
        setCode(QStringLiteral("120"));
        box(10)->setFocus();
        // The Tab goes down in switch 10 and comes up in the code box.
        QTest::keyPress(box(10), Qt::Key_Tab);
        QVERIFY(codeBox()->hasFocus());
        QTest::keyRelease(codeBox(), Qt::Key_Tab);
        QCOMPARE(codeBox()->text(), QStringLiteral("120"));
    }

    void pastedTextIsFollowed()
    {
        setCode(QStringLiteral("12"));
        QCOMPARE(codeBox()->text(), QStringLiteral("12"));
        QCOMPARE(switches(), switchesOf(12));
    }

    // --- step buttons -------------------------------------------------------------------------

    void stepButtons_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("code");
        QTest::newRow("up from 59047") << "59047" << true << "59048" << 59048;
        QTest::newRow("up at 59048 stops") << "59048" << true << "59048" << 59048;
        QTest::newRow("down at 0 stops") << "0" << false << "0" << 0;
        QTest::newRow("down from 1") << "1" << false << "0" << 0;
        QTest::newRow("up on an empty box") << "" << true << "1" << 1;
        QTest::newRow("down on an empty box") << "" << false << "0" << 0;
        QTest::newRow("leading zeros go") << "00012" << true << "13" << 13;
        QTest::newRow("down from the middle") << "29524" << false << "29523" << 29523;
    }
    void stepButtons()
    {
        QFETCH(QString, before);
        QFETCH(bool, up);
        QFETCH(QString, after);
        QFETCH(int, code);
        setCode(before);
        QTest::mouseClick(up ? stepUpButton() : stepDownButton(), Qt::LeftButton);
        QCOMPARE(codeBox()->text(), after);
        QCOMPARE(switches(), switchesOf(code));
    }

    // --- labels and the function ----------------------------------------------------------------

    void labelsSetAllSwitches_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("+") << "Label15"
                           << "59048"
                           << "+";
        QTest::newRow("0") << "Label16"
                           << "29524"
                           << "0";
        QTest::newRow("-") << "Label17"
                           << "0"
                           << "-";
    }
    void labelsSetAllSwitches()
    {
        QFETCH(QString, label);
        QFETCH(QString, code);
        QFETCH(QString, text);
        setCode(QStringLiteral("12345"));
        clickLabel(qPrintable(label));
        QCOMPARE(codeBox()->text(), code);
        QCOMPARE(switches(), QStringList(10, text).join(u' '));
    }

    void functionOffAndOnAgain()
    {
        setCode(QStringLiteral("12345"));
        QTest::mouseClick(function(), Qt::LeftButton);
        QVERIFY(!function()->isChecked());
        QVERIFY(viewsDisagree().isEmpty());
        QCOMPARE(switches(), QStringList(10, QString()).join(u' '));
        QVERIFY(!codeBox()->isEnabled());

        // Step buttons and labels do nothing while the function is off.
        QTest::mouseClick(stepUpButton(), Qt::LeftButton);
        QTest::mouseClick(stepDownButton(), Qt::LeftButton);
        clickLabel("Label15");
        clickLabel("Label17");
        QCOMPARE(codeBox()->text(), QString());
        QCOMPARE(switches(), QStringList(10, QString()).join(u' '));

        QTest::mouseClick(function(), Qt::LeftButton);
        QVERIFY(function()->isChecked());
        QCOMPARE(codeBox()->text(), QStringLiteral("29524"));
        QCOMPARE(switches(), switchesOf(29524));
        QVERIFY(codeBox()->isEnabled());
        QVERIFY(box(1)->isEnabled());
    }

    // --- property: any sequence of editing events keeps the views in step ---------------------

    void randomEditingKeepsTheViewsInStep()
    {
        auto *rng = QRandomGenerator::global();
        const quint32 seed = rng->generate();
        QRandomGenerator random(seed);
        const QList<Qt::Key> switchKeys = {Qt::Key_0, Qt::Key_Equal, Qt::Key_Minus, Qt::Key_Plus,
                                           Qt::Key_A, Qt::Key_Down,  Qt::Key_1,     Qt::Key_Space};
        const QList<Qt::Key> codeKeys = {Qt::Key_0,      Qt::Key_1,    Qt::Key_2,
                                         Qt::Key_5,      Qt::Key_9,    Qt::Key_Backspace,
                                         Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right,
                                         Qt::Key_Return, Qt::Key_Home, Qt::Key_X};
        QString history;
        for (int step = 0; step < 3000; ++step) {
            const int what = random.bounded(8);
            const bool keypad = random.bounded(2);
            const Qt::KeyboardModifiers mod = keypad ? Qt::KeypadModifier : Qt::NoModifier;
            switch (what) {
            case 0:
            case 1: {
                const int i = random.bounded(1, 11);
                const Qt::Key key = switchKeys[random.bounded(switchKeys.size())];
                history += QStringLiteral("key %1 in box %2; ").arg(int(key)).arg(i);
                box(i)->setFocus();
                QTest::keyClick(box(i), key, mod);
                break;
            }
            case 2:
            case 3: {
                const Qt::Key key = codeKeys[random.bounded(codeKeys.size())];
                history += QStringLiteral("key %1 in code box; ").arg(int(key));
                codeBox()->setFocus();
                if (codeBox()->isEnabled())
                    codeBox()->setCursorPosition(random.bounded(6));
                QTest::keyClick(codeBox(), key, mod);
                break;
            }
            case 4:
                history += QStringLiteral("step; ");
                QTest::mouseClick(random.bounded(2) ? stepUpButton() : stepDownButton(),
                                  Qt::LeftButton);
                break;
            case 5: {
                const char *labels[] = {"Label15", "Label16", "Label17"};
                history += QStringLiteral("label; ");
                clickLabel(labels[random.bounded(3)]);
                break;
            }
            case 6:
                if (random.bounded(10) == 0) {
                    history += QStringLiteral("check box; ");
                    QTest::mouseClick(function(), Qt::LeftButton);
                }
                break;
            default: {
                const int i = random.bounded(1, 11);
                if (!box(i)->isEnabled())
                    break;
                history += QStringLiteral("pick in box %1; ").arg(i);
                pick(box(i), random.bounded(3));
                break;
            }
            }
            const QString fault = viewsDisagree();
            if (!fault.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3 after %4")
                                     .arg(seed)
                                     .arg(step)
                                     .arg(fault, history.right(400))));
            if (history.size() > 2000)
                history = history.right(400);
        }
    }
};

QTEST_MAIN(SwitchPanelTest)
#include "tst_switchpanel.moc"
