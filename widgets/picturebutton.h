#pragma once

// A button without caption text that shows one of three pictures of its face: normal, pressed
// or disabled. The picture is centred and clipped to the button, and drawn for the device pixel
// ratio of the button's screen.

#include "k5assets.h"

#include <QAbstractButton>
#include <QPixmap>

#include <array>

class PictureButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QString face READ face WRITE setFace)

public:
    explicit PictureButton(QWidget *parent = nullptr);

    QString face() const { return m_face; }
    // The face whose pictures the button shows, e.g. "read" or "plus".
    void setFace(const QString &face);

    QSize sizeHint() const override;

Q_SIGNALS:
    void keyUp(int virtualKey);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The face in a look, drawn for m_ratio: read from the resources when the button is first
    // painted in that look (at most scales that unpacks it), as most buttons never show all three.
    const QPixmap &picture(K5Assets::ButtonLook look);

    QString m_face;
    qreal m_ratio = 0;                // the device pixel ratio of m_looks
    std::array<QPixmap, 3> m_looks{}; // by ButtonLook; null until first painted
    bool m_enterDown = false;
};
