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
    // A combo box takes the focus from the wheel by default, before its wheel handler runs; the
    // wheel must change only a box that already has the focus.
    setFocusPolicy(Qt::StrongFocus);
}

void DropDownBox::setText(const QString &text)
{
    // No entry matches the empty text, which leaves the box without a choice and so empty.
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

bool DropDownBox::event(QEvent *event)
{
    // Here rather than in keyPressEvent, which Tab never reaches: it moves the focus first.
    if (event->type() == QEvent::KeyPress)
        Q_EMIT keyDown(VirtualKey::FromEvent(*static_cast<QKeyEvent *>(event)));
    return QComboBox::event(event);
}

void DropDownBox::keyPressEvent(QKeyEvent * /*event*/)
{
    // The box itself takes no key: the event stays accepted, as it came.
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
