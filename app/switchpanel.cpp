#include "switchpanel.h"

#include "clickablelabel.h"
#include "codebox.h"
#include "dropdownbox.h"
#include "picturebutton.h"
#include "ui_form1.h"
#include "virtualkey.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>

SwitchPanel::SwitchPanel(Ui::Form1 &ui, QObject *parent)
    : QObject(parent), m_codeBox(*ui.Text2), m_functionCheck(*ui.Check1)
{
    for (std::size_t i = 0; i < m_switchBoxes.size(); ++i) {
        DropDownBox *box = m_switchBoxes.at(i) = new DropDownBox(m_codeBox.parentWidget());
        connect(box, &DropDownBox::keyDown, this, [this, i](int vk) { switchKeyDown(i, vk); });
        connect(box, &QComboBox::activated, this, &SwitchPanel::switchesToCode);
    }

    connect(&m_functionCheck, &QCheckBox::toggled, this, &SwitchPanel::functionToggled);
    connect(ui.Command4, &QAbstractButton::clicked, this, [this] { step(+1); });
    connect(ui.Command5, &QAbstractButton::clicked, this, [this] { step(-1); });
    const std::pair<ClickableLabel *, SwitchPosition> labels[] = {
        {ui.Label15, SwitchPosition::Plus},
        {ui.Label16, SwitchPosition::Zero},
        {ui.Label17, SwitchPosition::Minus}};
    for (const auto &[label, position] : labels)
        connect(label, &ClickableLabel::clicked, this, [this, p = position] { setAllSwitches(p); });
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
    m_codeBox.setText(QString::number(code));
    codeToSwitches();
}

void SwitchPanel::showOff()
{
    m_functionCheck.setChecked(false);
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
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions.at(i) = PositionFromText(m_switchBoxes.at(i)->text());
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
    const SwitchPositions positions = PositionsFromCode(code);
    for (std::size_t i = 0; i < positions.size(); ++i)
        m_switchBoxes.at(i)->setText(TextFromPosition(positions.at(i)));
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
    if (!functionOn())
        return;
    if (m_codeBox.text().isEmpty())
        m_codeBox.setText(QStringLiteral("0"));
    const double value = ReadCodeText(m_codeBox.text());
    if (delta > 0 ? value < HighestCode : value > LowestCode) {
        m_codeBox.setText(QString::number(value + delta, 'g', 15));
        codeToSwitches();
    }
}

void SwitchPanel::switchKeyDown(std::size_t i, int virtualKey)
{
    using namespace VirtualKey;
    SwitchPosition position{};
    if (virtualKey == Digit0 || virtualKey == Numpad0)
        position = SwitchPosition::Zero;
    else if (virtualKey == OemPlus || virtualKey == Add)
        position = SwitchPosition::Plus;
    else if (virtualKey == OemMinus || virtualKey == Subtract)
        position = SwitchPosition::Minus;
    else
        return; // the box locks itself against the key all the same
    m_switchBoxes.at(i)->setText(TextFromPosition(position));
    DropDownBox *next = m_switchBoxes.at((i + 1) % m_switchBoxes.size());
    next->setFocus(Qt::OtherFocusReason);
    next->lineEdit()->setSelection(0, 1);
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
    // Digits and the keys that edit the text or move in it are taken as the box shows them; any
    // other key brings back the default code.
    using namespace VirtualKey;
    constexpr int editingKeys[] = {Return, Back, Delete, Left, Right};
    if (!IsDigit(virtualKey) && std::ranges::find(editingKeys, virtualKey) == std::end(editingKeys))
        showDefaultCode();
    codeToSwitches();
}

void SwitchPanel::showDefaultCode()
{
    // Wholly selected, so that the next digit typed replaces it.
    m_codeBox.setText(QString::number(DefaultCode));
    m_codeBox.selectAll();
}
