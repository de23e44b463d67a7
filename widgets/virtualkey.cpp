#include "virtualkey.h"

#include <QKeyEvent>

namespace VirtualKey {

namespace {

constexpr int DigitCount = 10;

// Keys whose code does not depend on the keypad modifier.
int fromQtKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return LetterA + (key - Qt::Key_A);
    switch (key) {
    case Qt::Key_Backspace:
        return Back;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Return;
    case Qt::Key_Left:
        return Left;
    case Qt::Key_Right:
        return Right;
    case Qt::Key_Delete:
        return Delete;
    // The main keyboard's plus and minus keys, by their unshifted and shifted characters.
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return OemPlus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return OemMinus;
    default:
        break;
    }
    // Shifted digits of a US keyboard still name their digit key.
    constexpr char shiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < DigitCount; ++d) {
        if (key == shiftedDigits[d])
            return Digit0 + d;
    }
    return 0;
}

int fromKeypad(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return Numpad0 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Plus:
        return Add;
    case Qt::Key_Minus:
        return Subtract;
    case Qt::Key_Asterisk:
        return Multiply; // the keypad's own key, not the shifted 8 of the main keyboard
    default:
        return fromQtKey(key); // keypad navigation keys with Num Lock off, keypad Enter
    }
}

} // namespace

int FromEvent(const QKeyEvent &event)
{
#ifdef Q_OS_WIN
    if (event.nativeVirtualKey() != 0)
        return static_cast<int>(event.nativeVirtualKey());
#endif
    const int key = event.key();
    if (event.modifiers().testFlag(Qt::KeypadModifier))
        return fromKeypad(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return Digit0 + (key - Qt::Key_0);
    return fromQtKey(key);
}

bool IsDigit(int virtualKey)
{
    return (virtualKey >= Digit0 && virtualKey < Digit0 + DigitCount) ||
           (virtualKey >= Numpad0 && virtualKey < Numpad0 + DigitCount);
}

} // namespace VirtualKey
