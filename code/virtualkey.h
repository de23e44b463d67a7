#pragma once

// Windows virtual-key codes for Qt key events. Every key handler of the window compares these
// codes, so that the numeric keypad and the main keyboard are told apart the same way on every
// platform, and no handler looks at Shift, Ctrl or Alt.

class QKeyEvent;

namespace VirtualKey {

inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18; // Alt
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33; // Page Up
inline constexpr int Next = 34;  // Page Down
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Digit0 = 48;  // '0' to '9' are 48 to 57
inline constexpr int LetterA = 65; // 'A' to 'Z' are 65 to 90
inline constexpr int Numpad0 = 96; // keypad 0 to 9 are 96 to 105
inline constexpr int Multiply = 106;
inline constexpr int Add = 107;
inline constexpr int Subtract = 109;
inline constexpr int Decimal = 110;
inline constexpr int Divide = 111;
inline constexpr int F1 = 112;       // F1 to F24 are 112 to 135
inline constexpr int OemPlus = 187;  // the plus/equals key of the main keyboard
inline constexpr int OemMinus = 189; // the minus key of the main keyboard

// The virtual-key code of the key that raised the event, or 0 for a key without one.
int FromEvent(const QKeyEvent &event);

} // namespace VirtualKey
