#include "dropdownbox.h"

#include "virtualkey.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

DropDownBox::DropDownBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    lineEdit()->setReadOnly(true);
    lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    lineEdit()->setAcceptDrops(false);
    // A combo box takes the focus from the wheel by default, before its wheel handler runs; the
    // wheel must change only a box that already has the focus.
    setFocusPolicy(Qt::StrongFocus);
}

void DropDownBox::setText(const QString &text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        setCurrentIndex(index);
    } else {
        setCurrentIndex(-1);
        setEditText(text);
    }
}

void DropDownBox::setSelection(int start, int length)
{
    lineEdit()->setSelection(start, length);
}

bool DropDownBox::event(QEvent *event)
{
    // Here rather than in keyPressEvent, which Tab never reaches: it moves the focus first.
    if (event->type() == QEvent::KeyPress)
        Q_EMIT keyDown(VirtualKey::FromEvent(*static_cast<QKeyEvent *>(event)));
    return QComboBox::event(event);
}

void DropDownBox::keyPressEvent(QKeyEvent *event)
{
    event->accept(); // the box itself takes no key
}

void DropDownBox::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
}

void DropDownBox::wheelEvent(QWheelEvent *event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}
