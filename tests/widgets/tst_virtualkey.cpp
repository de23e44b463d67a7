// The translation of Qt key events into Windows virtual-key codes.

#include "virtualkey.h"

#include <QKeyEvent>
#include <QTest>

class VirtualKeyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translation()
    {
        struct Row
        {
            int key;
            Qt::KeyboardModifiers modifiers;
            int virtualKey;
        };
        const Qt::KeyboardModifiers none, keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        const QList<Row> rows = {
            {Qt::Key_0, none, 48},           {Qt::Key_9, none, 57},
            {Qt::Key_0, keypad, 96},         {Qt::Key_9, keypad, 105},
            {Qt::Key_Plus, keypad, 107},     {Qt::Key_Minus, keypad, 109},
            {Qt::Key_Asterisk, keypad, 106}, {Qt::Key_Enter, keypad, 13},
            {Qt::Key_Equal, none, 187},      {Qt::Key_Plus, shift, 187}, // shifted equals
            {Qt::Key_Minus, none, 189},      {Qt::Key_Underscore, shift, 189},
            {Qt::Key_ParenRight, shift, 48}, {Qt::Key_ParenLeft, shift, 57}, // US shifted 0, 9
            {Qt::Key_Backspace, none, 8},    {Qt::Key_Return, none, 13},
            {Qt::Key_Left, none, 37},        {Qt::Key_Right, none, 39},
            {Qt::Key_Delete, none, 46},      {Qt::Key_A, none, 65},
            {Qt::Key_V, shift, 86},          {Qt::Key_Home, none, 0}, // no handler tells it apart
            {0, none, 0}, // no key, as an input method may send
        };
        for (const Row &row : rows) {
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                const QKeyEvent event(type, row.key, row.modifiers);
                if (VirtualKey::FromEvent(event) != row.virtualKey)
                    QFAIL(qPrintable(QStringLiteral("key %1, modifiers %2: %3")
                                         .arg(row.key, 0, 16)
                                         .arg(int(row.modifiers), 0, 16)
                                         .arg(VirtualKey::FromEvent(event))));
            }
        }
    }
};

QTEST_APPLESS_MAIN(VirtualKeyTest)
#include "tst_virtualkey.moc"
