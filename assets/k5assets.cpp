#include "k5assets.h"

#include <QEvent>
#include <QImage>
#include <QImageReader>
#include <QLabel>

#include <iterator>
#include <utility>

namespace K5Assets {

namespace {

// The ratios the pictures are rendered for, from the build (assets/CMakeLists.txt), smallest
// first.
constexpr qreal renderedRatios[] = {K5_PICTURE_RATIOS};

// Ratios closer than this are taken as the same: a screen's ratio comes from a division (its
// dots per inch by 96, say) and need not hit 1.25 exactly.
constexpr qreal sameRatio = 0.01;

QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// "<name>.png" at 1, "<name>@<ratio>x.png" at the other ratios.
QString renderingPath(const QString &path, qreal rendered)
{
    if (rendered == 1)
        return path;
    QString at = path;
    at.insert(at.size() - 4, QStringLiteral("@%1x").arg(rendered));
    return at;
}

// Lives on the label and gives it the picture for the ratio it is painted at.
class LabelPicture : public QObject
{
public:
    LabelPicture(QLabel *label, QString path) : QObject(label), m_path(std::move(path))
    {
        label->installEventFilter(this);
        pick(label);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Before the label paints: every change of the ratio ends in a repaint of the window.
        if (event->type() == QEvent::Paint) {
            auto *label = static_cast<QLabel *>(watched);
            if (label->devicePixelRatioF() != m_ratio)
                pick(label);
        }
        return false;
    }

private:
    void pick(QLabel *label)
    {
        m_ratio = label->devicePixelRatioF();
        label->setPixmap(picture(m_path, m_ratio));
    }

    QString m_path;
    qreal m_ratio = 0;
};

} // namespace

QString backgroundPath()
{
    return QStringLiteral(":/k5/background.png");
}

QString buttonFacePath(QStringView face, ButtonLook look)
{
    QStringView lookName = u"normal";
    switch (look) {
    case ButtonLook::Normal:
        break;
    case ButtonLook::Pressed:
        lookName = u"pressed";
        break;
    case ButtonLook::Disabled:
        lookName = u"disabled";
        break;
    }
    return QStringLiteral(":/k5/buttons/%1_%2.png").arg(face, lookName);
}

QPixmap picture(const QString &path, qreal ratio)
{
    // The first rendering at or above the ratio, else the largest: a picture is shrunk a little
    // rather than enlarged where no rendering fits.
    qreal rendered = *std::rbegin(renderedRatios);
    for (const qreal r : renderedRatios) {
        if (r > ratio - sameRatio) {
            rendered = r;
            break;
        }
    }
    QImage image = readPng(renderingPath(path, rendered));
    if (qAbs(rendered - ratio) >= sameRatio && !image.isNull()) {
        // Scaled once here, smoothly, so that painting draws it pixel for pixel.
        const QSize size = (QSizeF(image.size()) * (ratio / rendered)).toSize();
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image));
}

void showPicture(QLabel *label, const QString &path)
{
    new LabelPicture(label, path);
}

QIcon windowIcon()
{
    QIcon icon;
    // Each size is added as drawn, so that Qt picks the hand-made 16 px picture for a title
    // bar instead of scaling a larger one down.
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(readPng(QStringLiteral(":/k5/icon%1.png").arg(size))));
    return icon;
}

} // namespace K5Assets
