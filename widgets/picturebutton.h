#pragma once

// A button without caption text that shows one of three pictures of its face: normal, pressed
// or disabled. The picture is centred and clipped to the button, and drawn for the device pixel
// ratio of the button's screen.

#include <QAbstractButton>
#include <QPixmap>

class PictureButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QString face READ face WRITE setFace)

public:
    explicit PictureButton(QWidget *parent = nullptr);

    QString face() const { return m_face; }
    // Loads the face's three pictures from the resources, e.g. "read" or "plus".
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
    void loadPictures(qreal ratio);

    QString m_face;
    qreal m_ratio = 0; // the device pixel ratio the pictures are drawn for
    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_disabled;
    bool m_enterDown = false;
};
