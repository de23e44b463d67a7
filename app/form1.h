#pragma once

// The tool's one window: its controls, start-up, ending the program, the counter reset, the
// hidden version button and the port selector's keyboard lock. The code editing, the exchanges
// with the transmitter and printing live in their own classes; the window wires them up.

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class DropDownBox;
class LinkHandlers;
class PrintTarget;
class QPrinter;
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
    // 1 while an exchange with the transmitter runs.
    qint16 LinkBusy() const;

    // Where the code sheet goes: by default the system's print dialog and the printer chosen
    // there. Tests put a scripted target here.
    using PrintTargetFactory = std::function<std::unique_ptr<PrintTarget>(QPrinter &)>;
    void setPrintTargetFactory(PrintTargetFactory factory) { m_printTarget = std::move(factory); }

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
    void Command3_Click();

    std::unique_ptr<Ui::Form1> ui;
    std::array<DropDownBox *, 10> m_combo2{};
    std::unique_ptr<SwitchPanel> m_panel;
    std::unique_ptr<LinkHandlers> m_link;
    PrintTargetFactory m_printTarget;
};
