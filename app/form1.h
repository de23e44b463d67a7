#pragma once

// The tool's one window: its controls, start-up, ending the program, the counter reset, the
// hidden version button and the port selector's keyboard lock. The code editing, the exchanges
// with the transmitter and printing live in their own classes; the window wires them up.

#include <QWidget>

#include <array>
#include <memory>

class DropDownBox;
class SwitchPanel;

namespace Ui {
class Form1;
}

class Form1 : public QWidget
{
    Q_OBJECT

public:
    // The letter key that shows and hides the version button while Reset has the focus.
    static constexpr int VersionKey = 'V';
    static constexpr auto VersionIdentifier = u"SW4172-36v03-K5_DIP-switch";

    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Switch box i, 1 to 10.
    DropDownBox *Combo2(int i) const { return m_combo2[i - 1]; }
    SwitchPanel &panel() const { return *m_panel; }

    // Shows the window centred on its screen, with the focus on Command1.
    void showCentred();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSwitchBoxes();
    void applyLooks();
    void startUp();
    void endProgram();
    void Command7_KeyUp(int virtualKey);

    std::unique_ptr<Ui::Form1> ui;
    std::array<DropDownBox *, 10> m_combo2{};
    std::unique_ptr<SwitchPanel> m_panel;
};
