#include "picturebutton.h"

#include "k5assets.h"
#include "virtualkey.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setFace(const QString &face)
{
    m_face = face;
    m_normal = K5Assets::picture(K5Assets::buttonFacePath(face, K5Assets::ButtonLook::Normal));
    m_pressed = K5Assets::picture(K5Assets::buttonFacePath(face, K5Assets::ButtonLook::Pressed));
    m_disabled = K5Assets::picture(K5Assets::buttonFacePath(face, K5Assets::ButtonLook::Disabled));
    update();
}

QSize PictureButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(72, 23) : m_normal.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QPixmap &picture = !isEnabled() ? m_disabled : isDown() ? m_pressed : m_normal;
    const QSize size = picture.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, picture);

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = Qt::black;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    QAbstractButton::keyReleaseEvent(event);
    // A held key is released once, whatever its repeats; some platforms report each repeat as a
    // release and a press.
    if (!event->isAutoRepeat())
        Q_EMIT keyUp(VirtualKey::FromEvent(*event));
}
