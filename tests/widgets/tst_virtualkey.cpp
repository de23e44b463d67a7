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
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        for (int d : {0, 9}) {
            QTest::addRow("main %d", d) << Qt::Key_0 + d << none << 48 + d;
            QTest::addRow("keypad %d", d) << Qt::Key_0 + d << keypad << 96 + d;
        }
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << keypad << 107;
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << keypad << 109;
        QTest::newRow("keypad asterisk") << int(Qt::Key_Asterisk) << keypad << 106;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 13;
        QTest::newRow("main equals") << int(Qt::Key_Equal) << none << 187;
        QTest::newRow("main plus (shifted equals)") << int(Qt::Key_Plus) << shift << 187;
        QTest::newRow("main minus") << int(Qt::Key_Minus) << none << 189;
        QTest::newRow("main underscore (shifted minus)") << int(Qt::Key_Underscore) << shift << 189;
        QTest::newRow("shifted 0 on a US keyboard") << int(Qt::Key_ParenRight) << shift << 48;
        QTest::newRow("shifted 9 on a US keyboard") << int(Qt::Key_ParenLeft) << shift << 57;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << 8;
        QTest::newRow("return") << int(Qt::Key_Return) << none << 13;
        QTest::newRow("left") << int(Qt::Key_Left) << none << 37;
        QTest::newRow("right") << int(Qt::Key_Right) << none << 39;
        QTest::newRow("delete") << int(Qt::Key_Delete) << none << 46;
        QTest::newRow("letter a") << int(Qt::Key_A) << none << 65;
        QTest::newRow("letter V with shift") << int(Qt::Key_V) << shift << 86;
        QTest::newRow("a key no handler tells apart") << int(Qt::Key_Home) << none << 0;
        QTest::newRow("no key, as an input method may send") << 0 << none << 0;
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
