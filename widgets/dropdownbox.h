#pragma once

// A drop-down box with an edit field that the user changes only by picking from its list.
//
// The edit field is read-only for the user, so typed, pasted and dropped text never enters it;
// the program still sets it with setText(). Keys go to the keyDown handlers only: they step
// neither the list nor the text, even while held. A pick from the list with the mouse always
// works. The wheel steps the box only while it has the focus, as a pick would; a box that merely
// lies under the pointer passes the wheel on.

#include <QComboBox>

class DropDownBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DropDownBox(QWidget *parent = nullptr);

    QString text() const { return currentText(); }
    // Selects the list entry of that text, so that the list opens on it; the empty text leaves
    // the box empty, without a choice.
    void setText(const QString &text);

Q_SIGNALS:
    void keyDown(int virtualKey);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};
