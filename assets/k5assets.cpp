#include "k5assets.h"

#include <QImageReader>

namespace K5Assets {

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

QPixmap picture(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon windowIcon()
{
    QIcon icon;
    // Each size is added as drawn, so that Qt picks the hand-made 16 px picture for a title
    // bar instead of scaling a larger one down.
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(picture(QStringLiteral(":/k5/icon%1.png").arg(size)));
    return icon;
}

} // namespace K5Assets
