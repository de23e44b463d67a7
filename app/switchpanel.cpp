#include "switchpanel.h"

#include "clickablelabel.h"
#include "codebox.h"
#include "dropdownbox.h"
#include "picturebutton.h"
#include "ui_form1.h"
#include "virtualkey.h"

#include <QAbstractButton>
#include <QCheckBox>

SwitchPanel::SwitchPanel(Ui::Form1 &ui, QObject *parent)
    : QObject(parent), m_codeBox(*ui.Text2), m_functionCheck(*ui.Check1)
{
    for (int i = 1; i <= SwitchCount; ++i) {
        DropDownBox *box = m_switchBoxes.at(std::size_t(i - 1)) =
            new DropDownBox(m_codeBox.parentWidget());
        connect(box, &DropDownBox::keyDown, this, [this, i](int vk) { switchKeyDown(i, vk); });
        connect(box, &QComboBox::activated, this, &SwitchPanel::switchesToCode);
    }

    connect(&m_functionCheck, &QCheckBox::toggled, this, &SwitchPanel::functionToggled);
    connect(ui.Command4, &QAbstractButton::clicked, this, [this] { step(+1); });
    connect(ui.Command5, &QAbstractButton::clicked, this, [this] { step(-1); });
    connect(ui.Label15, &ClickableLabel::clicked, this,
            [this] { setAllSwitches(SwitchPosition::Plus); });
    connect(ui.Label16, &ClickableLabel::clicked, this,
            [this] { setAllSwitches(SwitchPosition::Zero); });
    connect(ui.Label17, &ClickableLabel::clicked, this,
            [this] { setAllSwitches(SwitchPosition::Minus); });
    // Typed digits are taken up when their key comes up; pasted text raises no key of its own.
    connect(&m_codeBox, &CodeBox::keyUp, this, &SwitchPanel::codeKeyUp);
    connect(&m_codeBox, &CodeBox::textPasted, this, &SwitchPanel::codeToSwitches);
}

void SwitchPanel::fill()
{
    for (DropDownBox *box : m_switchBoxes) {
        for (const SwitchPosition position :
             {SwitchPosition::Plus, SwitchPosition::Zero, SwitchPosition::Minus})
            box->addItem(TextFromPosition(position));
        box->setText(TextFromPosition(SwitchPosition::Zero));
    }
    switchesToCode();
}

DropDownBox *SwitchPanel::switchBox(int i) const
{
    return m_switchBoxes.at(std::size_t(i - 1));
}

bool SwitchPanel::functionOn() const
{
    return m_functionCheck.isChecked();
}

std::optional<std::int32_t> SwitchPanel::settleCode()
{
    if (!functionOn())
        return std::nullopt;
    return switchesToCode();
}

void SwitchPanel::showCode(std::int32_t code)
{
    // Turning the function on resets the panel first; the code read then takes its place.
    m_functionCheck.setChecked(true);
    if (code > HighestCode) {
        showDefaultCode();
        code = DefaultCode;
    } else {
        m_codeBox.setText(QString::number(code));
    }
    setSwitches(code);
}

void SwitchPanel::showOff()
{
    m_functionCheck.setChecked(false);
}

void SwitchPanel::setSwitches(std::int32_t code)
{
    const SwitchPositions positions = PositionsFromCode(code);
    for (int i = 1; i <= SwitchCount; ++i)
        switchBox(i)->setText(TextFromPosition(positions[std::size_t(i - 1)]));
}

QStringList SwitchPanel::switchTexts() const
{
    QStringList texts;
    for (const DropDownBox *box : m_switchBoxes)
        texts << box->text();
    return texts;
}

QString SwitchPanel::codeText() const
{
    return m_codeBox.text();
}

std::int32_t SwitchPanel::switchesToCode()
{
    SwitchPositions positions{};
    for (int i = 1; i <= SwitchCount; ++i)
        positions[std::size_t(i - 1)] = PositionFromText(switchBox(i)->text());
    const std::int32_t code = CodeFromPositions(positions);
    m_codeBox.setText(QString::number(code));
    return code;
}

void SwitchPanel::codeToSwitches()
{
    std::int32_t code = CodeFromText(m_codeBox.text());
    if (code < LowestCode) {
        showDefaultCode();
        code = DefaultCode;
    }
    setSwitches(code);
}

void SwitchPanel::functionToggled()
{
    const bool on = functionOn();
    for (DropDownBox *box : m_switchBoxes) {
        box->setText(on ? TextFromPosition(SwitchPosition::Zero) : QString());
        box->setEnabled(on);
    }
    if (on)
        switchesToCode();
    else
        m_codeBox.setText(QString());
    m_codeBox.setEnabled(on);
}

void SwitchPanel::step(int delta)
{
    if (functionOn() && m_codeBox.text().isEmpty())
        m_codeBox.setText(QStringLiteral("0"));
    const double value = ReadCodeText(m_codeBox.text());
    const bool canStep = delta > 0 ? value < HighestCode : value > LowestCode;
    if (functionOn() && canStep) {
        m_codeBox.setText(QString::number(value + delta, 'g', 15));
        codeToSwitches();
    }
}

void SwitchPanel::switchKeyDown(int i, int virtualKey)
{
    std::optional<SwitchPosition> position;
    switch (virtualKey) {
    case VirtualKey::Digit0:
    case VirtualKey::Numpad0:
        position = SwitchPosition::Zero;
        break;
    case VirtualKey::OemPlus:
    case VirtualKey::Add:
        position = SwitchPosition::Plus;
        break;
    case VirtualKey::OemMinus:
    case VirtualKey::Subtract:
        position = SwitchPosition::Minus;
        break;
    default:
        return; // the box locks itself against the key all the same
    }
    switchBox(i)->setText(TextFromPosition(*position));
    DropDownBox *next = switchBox(i % SwitchCount + 1);
    next->setFocus(Qt::OtherFocusReason);
    next->setSelection(0, 1);
    switchesToCode();
}

void SwitchPanel::setAllSwitches(SwitchPosition position)
{
    if (!functionOn())
        return;
    for (DropDownBox *box : m_switchBoxes)
        box->setText(TextFromPosition(position));
    switchesToCode();
}

void SwitchPanel::codeKeyUp(int virtualKey)
{
    switch (virtualKey) {
    case VirtualKey::Return:
    case VirtualKey::Back:
    case VirtualKey::Delete:
    case VirtualKey::Left:
    case VirtualKey::Right:
        codeToSwitches();
        return;
    default:
        break;
    }
    if (!VirtualKey::IsDigit(virtualKey))
        showDefaultCode();
    codeToSwitches();
}

void SwitchPanel::showDefaultCode()
{
    // Wholly selected, so that the next digit typed replaces it.
    m_codeBox.setText(QString::number(DefaultCode));
    m_codeBox.selectAll();
}
