#include "dropdownbox.h"

#include "virtualkey.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWheelEvent>

namespace {

// Qt gives the edit field of an editable box a completer over the box's list unless the field
// has one already: 0.7 M instructions for each box at start. Nothing is ever typed into these
// fields (they are read-only, and the box takes the keys), so nothing is completed: all of them
// share this one, which has no list.
QCompleter *NoCompletion()
{
    static QPointer<QCompleter> none;
    if (!none) {
        none = new QCompleter(QCoreApplication::instance());
        none->setCompletionMode(QCompleter::InlineCompletion); // no popup list to make
    }
    return none.data();
}

} // namespace

DropDownBox::DropDownBox(QWidget *parent) : QComboBox(parent)
{
    // Editable as setEditable(true) makes a box, the field in the box's palette, but with the
    // field's completer given. What setEditable() does besides waits for the list's first use,
    // which sets it up alike; the box's size is the form's.
    auto *field = new QLineEdit(this);
    field->setPalette(palette());
    field->setCompleter(NoCompletion());
    setLineEdit(field);
    lineEdit()->setReadOnly(true);
    lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    lineEdit()->setAcceptDrops(false);
    setAcceptDrops(false);
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

void DropDownBox::takeKeyDown(const QKeyEvent &event)
{
    Q_EMIT keyDown(VirtualKey::FromEvent(event));
    // A handler may have moved the focus on, which unlocked this box; the lock still comes last,
    // so that the key's own character stays out of the box.
    m_locked = true;
}

bool DropDownBox::event(QEvent *event)
{
    // Tab moves the focus before keyPressEvent would see it, but it is a key going down here too.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            takeKeyDown(*key);
    }
    return QComboBox::event(event);
}

void DropDownBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)
        takeKeyDown(*event);
    // Locked now: the box itself takes no key, so keys step neither its list nor its text.
    event->accept();
}

void DropDownBox::keyReleaseEvent(QKeyEvent *event)
{
    m_locked = false;
    event->accept();
}

void DropDownBox::wheelEvent(QWheelEvent *event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

void DropDownBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    m_locked = false;
}
