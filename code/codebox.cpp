#include "codebox.h"

#include "virtualkey.h"

#include <QKeyEvent>

CodeBox::CodeBox(QWidget *parent) : QLineEdit(parent) {}

void CodeBox::focusInEvent(QFocusEvent *event)
{
    m_keysDown.clear();
    QLineEdit::focusInEvent(event);
}

void CodeBox::keyPressEvent(QKeyEvent *event)
{
    m_keysDown.insert(event->key());
    QLineEdit::keyPressEvent(event);
}

void CodeBox::keyReleaseEvent(QKeyEvent *event)
{
    if (m_keysDown.remove(event->key()))
        Q_EMIT keyUp(VirtualKey::FromEvent(*event));
    QLineEdit::keyReleaseEvent(event);
}
