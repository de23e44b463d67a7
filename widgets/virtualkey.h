#pragma once

// Windows virtual-key codes for Qt key events: the codes that the window's key handlers tell
// apart. Every key handler compares these codes, so that the numeric keypad and the main keyboard
// are told apart the same way on every platform, and no handler looks at Shift, Ctrl or Alt.

class QKeyEvent;

namespace VirtualKey {

inline constexpr int Back = 8;
inline constexpr int Return = 13;
inline constexpr int Left = 37;
inline constexpr int Right = 39;
inline constexpr int Delete = 46;
inline constexpr int Digit0 = 48;    // '0' to '9' are 48 to 57
inline constexpr int LetterA = 65;   // 'A' to 'Z' are 65 to 90
inline constexpr int Numpad0 = 96;   // keypad 0 to 9 are 96 to 105
inline constexpr int Multiply = 106; // keypad asterisk, the code after the keypad's digits
inline constexpr int Add = 107;      // keypad plus
inline constexpr int Subtract = 109;
inline constexpr int OemPlus = 187;  // the plus/equals key of the main keyboard
inline constexpr int OemMinus = 189; // the minus key of the main keyboard

// The virtual-key code of the key that raised the event. Keys that no handler tells apart from
// any other (function keys, Home, Shift, ...) may give 0.
int FromEvent(const QKeyEvent &event);

// Whether the key is a digit key of the main keyboard or of the keypad.
bool IsDigit(int virtualKey);

} // namespace VirtualKey
