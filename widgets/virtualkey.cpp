#include "virtualkey.h"

#include <QKeyEvent>

#include <string_view>
#include <utility>

namespace VirtualKey {

namespace {

constexpr int DigitCount = 10;

// Keys whose code does not depend on the keypad modifier, but for the digits and letters; the
// main keyboard's plus and minus keys by their unshifted and shifted characters.
constexpr std::pair<int, int> NamedKeys[] = {
    {Qt::Key_Backspace, Back},     {Qt::Key_Return, Return}, {Qt::Key_Enter, Return},
    {Qt::Key_Left, Left},          {Qt::Key_Right, Right},   {Qt::Key_Delete, Delete},
    {Qt::Key_Equal, OemPlus},      {Qt::Key_Plus, OemPlus},  {Qt::Key_Minus, OemMinus},
    {Qt::Key_Underscore, OemMinus}};

// The keypad's own keys besides its digits; the asterisk is not the shifted 8 of the main
// keyboard. Its other keys (navigation with Num Lock off, Enter) are the main keyboard's.
constexpr std::pair<int, int> KeypadKeys[] = {
    {Qt::Key_Plus, Add}, {Qt::Key_Minus, Subtract}, {Qt::Key_Asterisk, Multiply}};

} // namespace

int FromEvent(const QKeyEvent &event)
{
#ifdef Q_OS_WIN
    if (event.nativeVirtualKey() != 0)
        return static_cast<int>(event.nativeVirtualKey());
#endif
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? Numpad0 : Digit0) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return LetterA + (key - Qt::Key_A);
    for (const auto &[qtKey, virtualKey] : KeypadKeys) {
        if (keypad && key == qtKey)
            return virtualKey;
    }
    for (const auto &[qtKey, virtualKey] : NamedKeys) {
        if (key == qtKey)
            return virtualKey;
    }
    // Shifted digits of a US keyboard still name their digit key.
    const std::size_t shifted = std::u32string_view(U")!@#$%^&*(").find(char32_t(key));
    return shifted != std::u32string_view::npos ? Digit0 + int(shifted) : 0;
}

bool IsDigit(int virtualKey)
{
    return (virtualKey >= Digit0 && virtualKey < Digit0 + DigitCount) ||
           (virtualKey >= Numpad0 && virtualKey < Numpad0 + DigitCount);
}

} // namespace VirtualKey
