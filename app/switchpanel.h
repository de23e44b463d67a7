#pragma once

// The switch panel: the ten switch boxes, which it makes, and the form's code box, step buttons,
// the three labels that set all switches and the function check box. It alone reads and writes
// them; the exchanges and printing ask it for what they need.
//
// The code has no store of its own: the switch boxes and the code box are its two views, and
// every handler here that changes one view ends by bringing the other up to date with
// switchesToCode() or codeToSwitches(). Texts written here raise no handler; only a change of the
// function check box does.

#include "switchcode.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <optional>

class CodeBox;
class DropDownBox;
class QCheckBox;

namespace Ui {
class Form1;
}

class SwitchPanel : public QObject
{
    Q_OBJECT

public:
    using SwitchBoxes = std::array<DropDownBox *, SwitchCount>; // [0] is switch 1

    // Makes the switch boxes on the form's window, empty.
    explicit SwitchPanel(Ui::Form1 &ui, QObject *parent = nullptr);
    // Fills the boxes' lists and sets every switch to "0", with its code. Call once the window's
    // looks are set: a box measures each entry again at every change of its font.
    void fill();

    const SwitchBoxes &switchBoxes() const { return m_switchBoxes; }
    bool functionOn() const;

    // Settles the code box on the switches' code, as a write does before it sends, and returns
    // that code; nullopt while the function is off.
    std::optional<std::int32_t> settleCode();
    // What a read found: the function on and the switches set from code, or the function off.
    // A value above the highest code ends as the default code.
    void showCode(std::int32_t code);
    void showOff();

    // For the code sheet: the switches' texts, switch 1 first, and the code box's text.
    QStringList switchTexts() const;
    QString codeText() const;

    std::int32_t switchesToCode();
    // Sets the ten switch boxes from the code box; a number out of range first turns the code
    // box into the default code, wholly selected.
    void codeToSwitches();

private:
    void functionToggled();
    void step(int delta);
    void switchKeyDown(std::size_t i, int virtualKey); // i: 0 for switch 1
    void setAllSwitches(SwitchPosition position);
    void codeKeyUp(int virtualKey);
    void showDefaultCode();

    SwitchBoxes m_switchBoxes{};
    CodeBox &m_codeBox;
    QCheckBox &m_functionCheck;
};
