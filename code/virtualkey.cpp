#include "virtualkey.h"

#include <QKeyEvent>

namespace VirtualKey {

namespace {

// Keys whose code does not depend on the keypad modifier.
int fromQtKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return LetterA + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return F1 + (key - Qt::Key_F1);

    switch (key) {
    case Qt::Key_Backspace:
        return Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Return;
    case Qt::Key_Shift:
        return Shift;
    case Qt::Key_Control:
    case Qt::Key_Meta:
        return Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return Menu;
    case Qt::Key_Escape:
        return Escape;
    case Qt::Key_Space:
        return Space;
    case Qt::Key_PageUp:
        return Prior;
    case Qt::Key_PageDown:
        return Next;
    case Qt::Key_End:
        return End;
    case Qt::Key_Home:
        return Home;
    case Qt::Key_Left:
        return Left;
    case Qt::Key_Up:
        return Up;
    case Qt::Key_Right:
        return Right;
    case Qt::Key_Down:
        return Down;
    case Qt::Key_Insert:
        return Insert;
    case Qt::Key_Delete:
        return Delete;
    // The main keyboard's punctuation keys, by their unshifted and shifted characters.
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return OemPlus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return OemMinus;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        break;
    }
    // Shifted digits of a US keyboard still name their digit key.
    constexpr char shiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d) {
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
    case Qt::Key_Asterisk:
        return Multiply;
    case Qt::Key_Plus:
        return Add;
    case Qt::Key_Minus:
        return Subtract;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return Decimal;
    case Qt::Key_Slash:
        return Divide;
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

} // namespace VirtualKey
