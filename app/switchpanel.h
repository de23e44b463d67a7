#pragma once

// The switch panel: the ten switch boxes, the code box, the step buttons, the three labels that
// set all switches and the function check box. It alone reads and writes them; the exchanges and
// printing ask it for what they need.
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

class ClickableLabel;
class CodeBox;
class DropDownBox;
class QAbstractButton;
class QCheckBox;

struct SwitchPanelControls
{
    std::array<DropDownBox *, SwitchCount> switchBoxes{}; // [0] is switch 1
    CodeBox *codeBox = nullptr;
    QCheckBox *functionCheck = nullptr;
    QAbstractButton *stepUpButton = nullptr;
    QAbstractButton *stepDownButton = nullptr;
    ClickableLabel *allPlusLabel = nullptr;
    ClickableLabel *allZeroLabel = nullptr;
    ClickableLabel *allMinusLabel = nullptr;
};

class SwitchPanel : public QObject
{
    Q_OBJECT

public:
    // Fills the switch boxes' lists and sets every switch to "0", with the matching code.
    explicit SwitchPanel(const SwitchPanelControls &controls, QObject *parent = nullptr);

    bool functionOn() const;

    // Brings the code box up to date with the switches, and gives the code that a write stores:
    // the switches' code, or nullopt while the function is off.
    std::optional<std::int32_t> codeToWrite();
    // Shows a code read from a transmitter, or nullopt for a transmitter whose function is off.
    // A code above the highest one ends as the default code.
    void showRead(std::optional<std::int32_t> code);

    // For the code sheet: the switches' texts, switch 1 first, and the code box's text.
    QStringList switchTexts() const;
    QString codeText() const;

    // Writes the code of the ten switch boxes into the code box, and returns it.
    std::int32_t switchesToCode();
    // Sets the ten switch boxes from the code box; a number out of range first turns the code
    // box into the default code, wholly selected.
    void codeToSwitches();

private:
    DropDownBox *switchBox(int i) const; // 1 to 10
    void functionToggled();
    void step(int delta);
    void switchKeyDown(int i, int virtualKey);
    void setAllSwitches(SwitchPosition position);
    void codeKeyUp(int virtualKey);
    void showDefaultCode();

    SwitchPanelControls m_c;
};
