#pragma once

// The switch panel: the ten switch boxes, the code box and the controls that edit them.
//
// The code has no store of its own: the switch boxes and the code box are its two views, and every
// handler here that changes one view ends by bringing the other up to date with TRINARY_TO_DEC or
// DEC_TO_TRINARY. Texts written here from code raise no handler; only a change of Check1 does.

#include "switchcode.h"

#include <QObject>
#include <QSet>

#include <array>

class DropDownBox;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;

struct SwitchPanelControls
{
    std::array<DropDownBox *, SwitchCount> Combo2{}; // Combo2[0] is switch 1
    QLineEdit *Text2 = nullptr;
    QCheckBox *Check1 = nullptr;
    QAbstractButton *Command4 = nullptr; // step up
    QAbstractButton *Command5 = nullptr; // step down
    QLabel *Label15 = nullptr;           // "+": all switches to "+"
    QLabel *Label16 = nullptr;           // "0"
    QLabel *Label17 = nullptr;           // "-"
};

class SwitchPanel : public QObject
{
    Q_OBJECT

public:
    explicit SwitchPanel(const SwitchPanelControls &controls, QObject *parent = nullptr);

    // Switch box i, 1 to 10.
    DropDownBox *Combo2(int i) const { return m_c.Combo2[i - 1]; }

    // Writes the code of the ten switch boxes into the code box.
    void TRINARY_TO_DEC();
    // Sets the ten switch boxes from the code box; a number out of range first turns the code
    // box into the default code, wholly selected.
    void DEC_TO_TRINARY();

    bool functionOn() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Check1_Click();
    void step(int delta);
    void Combo2_KeyDown(int i, int virtualKey);
    void setAllSwitches(SwitchPosition position);
    void Text2_KeyUp(int virtualKey);
    void resetCodeBox();
    void setSwitches(const SwitchPositions &positions);

    SwitchPanelControls m_c;
    QSet<int> m_keysDownInText2; // Qt key codes gone down in the code box and not yet up
};
