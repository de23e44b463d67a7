// The translation of Qt key events into Windows virtual-key codes.

#include "virtualkey.h"

#include <QKeyEvent>
#include <QTest>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class VirtualKeyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translation_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("virtualKey");

        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
        for (int d = 0; d <= 9; ++d) {
            QTest::addRow("main %d", d) << Qt::Key_0 + d << none << 48 + d;
            QTest::addRow("keypad %d", d) << Qt::Key_0 + d << keypad << 96 + d;
        }
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << keypad << 107;
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << keypad << 109;
        QTest::newRow("keypad asterisk") << int(Qt::Key_Asterisk) << keypad << 106;
        QTest::newRow("keypad slash") << int(Qt::Key_Slash) << keypad << 111;
        QTest::newRow("keypad point") << int(Qt::Key_Period) << keypad << 110;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 13;
        QTest::newRow("keypad home, num lock off") << int(Qt::Key_Home) << keypad << 36;
        QTest::newRow("main equals") << int(Qt::Key_Equal) << none << 187;
        QTest::newRow("main plus (shifted equals)")
            << int(Qt::Key_Plus) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 187;
        QTest::newRow("main minus") << int(Qt::Key_Minus) << none << 189;
        QTest::newRow("main underscore (shifted minus)")
            << int(Qt::Key_Underscore) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 189;
        QTest::newRow("shifted 0 on a US keyboard")
            << int(Qt::Key_ParenRight) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 48;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << 8;
        QTest::newRow("tab") << int(Qt::Key_Tab) << none << 9;
        QTest::newRow("backtab") << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                 << 9;
        QTest::newRow("return") << int(Qt::Key_Return) << none << 13;
        QTest::newRow("shift") << int(Qt::Key_Shift) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                               << 16;
        QTest::newRow("control") << int(Qt::Key_Control) << none << 17;
        QTest::newRow("alt") << int(Qt::Key_Alt) << none << 18;
        QTest::newRow("escape") << int(Qt::Key_Escape) << none << 27;
        QTest::newRow("space") << int(Qt::Key_Space) << none << 32;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << none << 33;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << none << 34;
        QTest::newRow("end") << int(Qt::Key_End) << none << 35;
        QTest::newRow("home") << int(Qt::Key_Home) << none << 36;
        QTest::newRow("left") << int(Qt::Key_Left) << none << 37;
        QTest::newRow("up") << int(Qt::Key_Up) << none << 38;
        QTest::newRow("right") << int(Qt::Key_Right) << none << 39;
        QTest::newRow("down") << int(Qt::Key_Down) << none << 40;
        QTest::newRow("insert") << int(Qt::Key_Insert) << none << 45;
        QTest::newRow("delete") << int(Qt::Key_Delete) << none << 46;
        QTest::newRow("letter a") << int(Qt::Key_A) << none << 65;
        QTest::newRow("letter V with shift")
            << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 86;
        QTest::newRow("letter z with control")
            << int(Qt::Key_Z) << Qt::KeyboardModifiers(Qt::ControlModifier) << 90;
        QTest::newRow("F1") << int(Qt::Key_F1) << none << 112;
        QTest::newRow("F12") << int(Qt::Key_F12) << none << 123;
        QTest::newRow("comma") << int(Qt::Key_Comma) << none << 188;
        QTest::newRow("period") << int(Qt::Key_Period) << none << 190;
        QTest::newRow("unknown key") << int(Qt::Key_MediaPlay) << none << 0;
    }

    void translation()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, virtualKey);
        const QKeyEvent press(QEvent::KeyPress, key, modifiers);
        const QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCOMPARE(VirtualKey::FromEvent(press), virtualKey);
        QCOMPARE(VirtualKey::FromEvent(release), virtualKey);
    }
};

QTEST_APPLESS_MAIN(VirtualKeyTest)
#include "tst_virtualkey.moc"
