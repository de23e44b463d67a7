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
    m_ratio = devicePixelRatioF();
    m_looks = {};
    picture(K5Assets::ButtonLook::Normal); // its size is the button's size hint
    update();
}

const QPixmap &PictureButton::picture(K5Assets::ButtonLook look)
{
    QPixmap &picture = m_looks.at(std::size_t(look));
    if (picture.isNull() && !m_face.isEmpty())
        picture = K5Assets::picture(K5Assets::buttonFacePath(m_face, look), m_ratio);
    return picture;
}

QSize PictureButton::sizeHint() const
{
    const QPixmap &normal = m_looks.at(std::size_t(K5Assets::ButtonLook::Normal));
    return normal.isNull() ? QSize(72, 23) : normal.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    // Every change of the ratio (the window moved to another screen, or the screen's scale
    // changed) ends in a repaint, which takes the pictures drawn for the new ratio.
    using K5Assets::ButtonLook;
    const qreal ratio = devicePixelRatioF();
    if (ratio != m_ratio) {
        m_ratio = ratio;
        m_looks = {};
    }

    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QPixmap &shown = picture(!isEnabled() ? ButtonLook::Disabled
                                   : isDown()   ? ButtonLook::Pressed
                                                : ButtonLook::Normal);
    // Centred in whole device pixels, so that the picture is drawn pixel for pixel.
    const QSize room = size() * ratio;
    const QPoint at((room.width() - shown.width()) / 2, (room.height() - shown.height()) / 2);
    painter.drawPixmap(QPointF(at) / ratio, shown);

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
    // A held key comes up once; some platforms report each repeat as a release and a press.
    if (!event->isAutoRepeat())
        Q_EMIT keyUp(VirtualKey::FromEvent(*event));
}
