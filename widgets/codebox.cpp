#include "codebox.h"

#include "virtualkey.h"

#include <QKeyEvent>

CodeBox::CodeBox(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!m_typing)
            Q_EMIT textPasted();
    });
}

void CodeBox::focusInEvent(QFocusEvent *event)
{
    m_keysDown.clear();
    QLineEdit::focusInEvent(event);
}

void CodeBox::keyPressEvent(QKeyEvent *event)
{
    m_keysDown.insert(event->key());
    m_typing = !event->matches(QKeySequence::Paste);
    QLineEdit::keyPressEvent(event);
    m_typing = false;
}

void CodeBox::keyReleaseEvent(QKeyEvent *event)
{
    // X11 and Wayland report each repeat as a release and a press; a held key comes up once.
    if (!event->isAutoRepeat() && m_keysDown.remove(event->key()))
        Q_EMIT keyUp(VirtualKey::FromEvent(*event));
    QLineEdit::keyReleaseEvent(event);
}
