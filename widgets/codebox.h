#pragma once

// The code box: a text box that reports each key released in it by its virtual-key code, and
// text that reaches it without typing.
//
// Only keys that went down in the box count: the Tab that brought the focus here, or the Shift
// of a Shift+Tab, comes up in the box but was not typed into it. A held key comes up once,
// however often it repeats. Typed text is left for the key's release to handle; text pasted or
// dropped is reported at once.

#include <QLineEdit>
#include <QSet>

class CodeBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit CodeBox(QWidget *parent = nullptr);

Q_SIGNALS:
    // Raised before the box handles the release.
    void keyUp(int virtualKey);
    // Pasted or dropped text changed the box: with the mouse, the context menu or the keyboard's
    // paste key.
    void textPasted();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QSet<int> m_keysDown; // Qt key codes gone down here and not yet up
    bool m_typing = false;
};
