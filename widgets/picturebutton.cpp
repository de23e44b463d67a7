#include "picturebutton.h"

#include "k5assets.h"
#include "virtualkey.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <utility>

namespace {

bool isEnter(const QKeyEvent &event)
{
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

} // namespace

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setFace(const QString &face)
{
    m_face = face;
    loadPictures(devicePixelRatioF());
    update();
}

void PictureButton::loadPictures(qreal ratio)
{
    using K5Assets::ButtonLook;
    m_ratio = ratio;
    if (m_face.isEmpty())
        return;
    m_normal = K5Assets::picture(K5Assets::buttonFacePath(m_face, ButtonLook::Normal), ratio);
    m_pressed = K5Assets::picture(K5Assets::buttonFacePath(m_face, ButtonLook::Pressed), ratio);
    m_disabled = K5Assets::picture(K5Assets::buttonFacePath(m_face, ButtonLook::Disabled), ratio);
}

QSize PictureButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(72, 23) : m_normal.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    // Every change of the ratio (the window moved to another screen, or the screen's scale
    // changed) ends in a repaint, which takes the pictures drawn for the new ratio.
    const qreal ratio = devicePixelRatioF();
    if (ratio != m_ratio)
        loadPictures(ratio);

    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QPixmap &picture = !isEnabled() ? m_disabled : isDown() ? m_pressed : m_normal;
    // Centred in whole device pixels, so that the picture is drawn pixel for pixel.
    const QSize room = size() * ratio;
    const QPoint at((room.width() - picture.width()) / 2, (room.height() - picture.height()) / 2);
    painter.drawPixmap(QPointF(at) / ratio, picture);

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = Qt::black;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    // Enter clicks the focused button, as on the desktop the form comes from; Space still clicks
    // on its release. A held Enter clicks once: its repeats come as presses, marked as repeats
    // or not (X11 with one release per held key).
    if (isEnter(*event)) {
        if (!std::exchange(m_enterDown, true))
            click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent *event)
{
    m_enterDown = false; // its release goes elsewhere
    QAbstractButton::focusOutEvent(event);
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    if (isEnter(*event) && !event->isAutoRepeat())
        m_enterDown = false;
    QAbstractButton::keyReleaseEvent(event);
    // A held key is released once, whatever its repeats; some platforms report each repeat as a
    // release and a press.
    if (!event->isAutoRepeat())
        Q_EMIT keyUp(VirtualKey::FromEvent(*event));
}
