#include "switchpanel.h"

#include "dropdownbox.h"
#include "virtualkey.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

SwitchPanel::SwitchPanel(const SwitchPanelControls &controls, QObject *parent)
    : QObject(parent), m_c(controls)
{
    connect(m_c.Check1, &QCheckBox::toggled, this, &SwitchPanel::Check1_Click);
    connect(m_c.Command4, &QAbstractButton::clicked, this, [this] { step(+1); });
    connect(m_c.Command5, &QAbstractButton::clicked, this, [this] { step(-1); });

    for (int i = 1; i <= SwitchCount; ++i) {
        DropDownBox *box = Combo2(i);
        connect(box, &DropDownBox::keyDown, this, [this, i](int vk) { Combo2_KeyDown(i, vk); });
        connect(box, &DropDownBox::keyUp, box, [box] { box->setLocked(false); });
        connect(box, &DropDownBox::focusLost, box, [box] { box->setLocked(false); });
        connect(box, &QComboBox::activated, this, &SwitchPanel::TRINARY_TO_DEC);
    }

    for (QLabel *label : {m_c.Label15, m_c.Label16, m_c.Label17})
        label->installEventFilter(this);
    m_c.Text2->installEventFilter(this);
    // Text pasted or dropped with the mouse raises no key; the switches follow it all the same.
    connect(m_c.Text2, &QLineEdit::textEdited, this, &SwitchPanel::DEC_TO_TRINARY);
}

bool SwitchPanel::functionOn() const
{
    return m_c.Check1->isChecked();
}

void SwitchPanel::TRINARY_TO_DEC()
{
    SwitchPositions positions{};
    for (int i = 1; i <= SwitchCount; ++i)
        positions[i - 1] = PositionFromText(Combo2(i)->text());
    m_c.Text2->setText(QString::number(CodeFromPositions(positions)));
}

void SwitchPanel::DEC_TO_TRINARY()
{
    std::int32_t code = CodeFromText(m_c.Text2->text());
    if (code < 0) {
        m_c.Text2->setText(QString::fromUtf16(DefaultCodeText));
        m_c.Text2->setSelection(0, int(m_c.Text2->text().size()));
        code = CodeFromText(m_c.Text2->text());
    }
    setSwitches(PositionsFromCode(code));
}

void SwitchPanel::setSwitches(const SwitchPositions &positions)
{
    for (int i = 1; i <= SwitchCount; ++i)
        Combo2(i)->setText(TextFromPosition(positions[i - 1]));
}

void SwitchPanel::Check1_Click()
{
    const bool on = functionOn();
    for (int i = 1; i <= SwitchCount; ++i) {
        Combo2(i)->setText(on ? QStringLiteral("0") : QString());
        Combo2(i)->setEnabled(on);
    }
    if (on) {
        TRINARY_TO_DEC();
    } else {
        m_c.Text2->setText(QString());
    }
    m_c.Text2->setEnabled(on);
}

void SwitchPanel::step(int delta)
{
    if (functionOn() && m_c.Text2->text().isEmpty())
        m_c.Text2->setText(QStringLiteral("0"));
    const double value = ReadCodeText(m_c.Text2->text());
    const bool canStep = delta > 0 ? value < HighestCode : value > LowestCode;
    if (functionOn() && canStep) {
        m_c.Text2->setText(QString::number(value + delta, 'g', 15));
        DEC_TO_TRINARY();
    }
}

void SwitchPanel::Combo2_KeyDown(int i, int virtualKey)
{
    QString text;
    switch (virtualKey) {
    case VirtualKey::Digit0:
    case VirtualKey::Numpad0:
        text = QStringLiteral("0");
        break;
    case VirtualKey::OemPlus:
    case VirtualKey::Add:
        text = QStringLiteral("+");
        break;
    case VirtualKey::OemMinus:
    case VirtualKey::Subtract:
        text = QStringLiteral("-");
        break;
    default:
        break;
    }
    if (!text.isNull()) {
        Combo2(i)->setText(text);
        DropDownBox *next = Combo2(i % SwitchCount + 1);
        next->setFocus(Qt::OtherFocusReason);
        next->setSelection(0, 1);
        TRINARY_TO_DEC();
    }
    // The box handles the key after this handler: the lock keeps its character out.
    Combo2(i)->setLocked(true);
}

void SwitchPanel::setAllSwitches(SwitchPosition position)
{
    if (!functionOn())
        return;
    for (int i = 1; i <= SwitchCount; ++i)
        Combo2(i)->setText(TextFromPosition(position));
    TRINARY_TO_DEC();
}

void SwitchPanel::Text2_KeyUp(int virtualKey)
{
    switch (virtualKey) {
    case VirtualKey::Return:
    case VirtualKey::Back:
    case VirtualKey::Delete:
    case VirtualKey::Left:
    case VirtualKey::Right:
        DEC_TO_TRINARY();
        return;
    default:
        break;
    }
    int key = virtualKey;
    if (key >= VirtualKey::Numpad0 && key <= VirtualKey::Numpad0 + 9)
        key = key - VirtualKey::Numpad0 + VirtualKey::Digit0;
    if (key >= VirtualKey::Digit0 && key <= VirtualKey::Digit0 + 9) {
        DEC_TO_TRINARY();
        return;
    }
    resetCodeBox();
}

void SwitchPanel::resetCodeBox()
{
    m_c.Text2->setText(QString::fromUtf16(DefaultCodeText));
    m_c.Text2->setSelection(0, int(m_c.Text2->text().size()));
    DEC_TO_TRINARY();
}

bool SwitchPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A disabled control takes no input; filters see its events all the same.
    if (auto *widget = qobject_cast<QWidget *>(watched); widget && !widget->isEnabled())
        return QObject::eventFilter(watched, event);
    if (watched == m_c.Text2 && event->type() == QEvent::FocusIn) {
        m_keysDownInText2.clear();
    } else if (watched == m_c.Text2 && event->type() == QEvent::KeyPress) {
        m_keysDownInText2.insert(static_cast<QKeyEvent *>(event)->key());
    } else if (watched == m_c.Text2 && event->type() == QEvent::KeyRelease) {
        // A key that went down elsewhere, such as the Tab that brought the focus here, was not
        // typed into the code box and must not reset it.
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_keysDownInText2.remove(key->key()))
            Text2_KeyUp(VirtualKey::FromEvent(*key));
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = qobject_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label &&
            label->rect().contains(mouse->position().toPoint())) {
            if (label == m_c.Label15)
                setAllSwitches(SwitchPosition::Plus);
            else if (label == m_c.Label16)
                setAllSwitches(SwitchPosition::Zero);
            else if (label == m_c.Label17)
                setAllSwitches(SwitchPosition::Minus);
        }
    }
    return QObject::eventFilter(watched, event);
}
