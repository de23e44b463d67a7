#pragma once

// What the window's form holds beyond form1.ui: the row of ten switch boxes, and the looks that
// Designer cannot keep (point sizes with fractions, the palettes). The start-up benchmark builds
// its bare form with the same functions, from Qt's own widget classes alone.

#include <QFont>

#include <array>

class QComboBox;
class QWidget;

namespace Ui {
class Form1;
}

namespace FormLooks {

inline constexpr int SwitchBoxCount = 10;
using SwitchBoxes = std::array<QComboBox *, SwitchBoxCount>;

QFont windowFont(qreal pointSize, bool bold);

// Gives the switch boxes, switch 1 first, their names Combo2(1) to Combo2(10), places and
// places in the focus order, between Command2 and Text2.
void placeSwitchBoxes(Ui::Form1 &ui, const SwitchBoxes &boxes);

// The window's frame, size, fonts and colours; the pictures are the window's own.
void apply(QWidget &window, Ui::Form1 &ui, const SwitchBoxes &switchBoxes);

} // namespace FormLooks
