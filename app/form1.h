#pragma once

// The tool's one window: its controls and looks, start-up, ending the program, the hidden version
// button, the programmed counter and printing the code sheet. The switch panel edits the code,
// the port selector names the port and the exchange handlers talk to the transmitter; the window
// wires them up.
//
// Object name in form1.ui -> role in the code
//   Text1     statusBox        Command1  readButton       Combo1     portSelector
//   Text2     codeBox          Command3  printButton      Combo2(i)  switchBox(i)
//   Text3     counterBox       Command6  writeButton      Check1     functionCheck
//   Command4  stepUpButton     Command2  exitButton       Label15    allPlusLabel
//   Command5  stepDownButton   Command7  resetButton      Label16    allZeroLabel
//   Image1    background       Command8  versionButton    Label17    allMinusLabel
//   Shape1    switchFrame      the other labels are captions and switch numbers

#include <QWidget>

#include <functional>
#include <memory>

class ExchangeHandlers;
class PrintTarget;
class QPrinter;
class SwitchPanel;
class TransmitterLink;

namespace Ui {
class Form1;
}

class Form1 : public QWidget
{
    Q_OBJECT

public:
    // The exchanges run on link, which the window then owns; by default on a link over the
    // system's serial ports.
    explicit Form1(QWidget *parent = nullptr, TransmitterLink *link = nullptr);
    ~Form1() override;

    // Whether an exchange with the transmitter runs.
    bool busy() const;

    // Where the code sheet goes: by default the system's print dialog and the printer chosen
    // there. Tests put a scripted target here.
    using PrintTargetFactory = std::function<std::unique_ptr<PrintTarget>(QPrinter &)>;
    void setPrintTargetFactory(PrintTargetFactory factory) { m_printTarget = std::move(factory); }

    // Shows the window centred on its screen, with the focus on the read button.
    void showCentred();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The status box's one line, and for its tooltip what the line leaves out.
    void showStatus(const QString &text, const QString &detail = QString());
    void endProgram();
    void printSheet();
    // The programmed counter: the writes the transmitter confirmed since the start or Reset.
    void showCounter(qint64 confirmedWrites);

    std::unique_ptr<Ui::Form1> ui;
    TransmitterLink *const m_link;
    std::unique_ptr<SwitchPanel> m_panel;
    std::unique_ptr<ExchangeHandlers> m_exchanges;
    qint64 m_confirmedWrites = 0;
    PrintTargetFactory m_printTarget;
};
