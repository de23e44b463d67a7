#pragma once

// A drop-down box with an edit field that the user changes only by picking from its list.
//
// The edit field is read-only for the user, so typed, pasted and dropped text never enters it;
// the program still writes it with setText(). While `Locked` is set the box also ignores keys,
// so they step neither its list nor its text. Key handlers lock it on key down, before the box
// sees the key, and unlock it on key up and on loss of focus. A pick from the list with the mouse
// works whatever the lock.

#include <QComboBox>

class DropDownBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(bool Locked READ isLocked WRITE setLocked)

public:
    explicit DropDownBox(QWidget *parent = nullptr);

    QString text() const { return currentText(); }
    // Also selects the matching list entry, so that the list opens on it.
    void setText(const QString &text);

    bool isLocked() const { return m_locked; }
    void setLocked(bool locked) { m_locked = locked; }

    // Selects part of the edit field's text.
    void setSelection(int start, int length);

Q_SIGNALS:
    // Raised before the box handles the key; the argument is the virtual-key code.
    void keyDown(int virtualKey);
    void keyUp(int virtualKey);
    void focusLost();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_locked = false;
};
