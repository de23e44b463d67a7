#include "k5assets.h"

#include "pixelfile.h"

#include <QEvent>
#include <QIconEngine>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QResource>

#include <cstring>
#include <iterator>
#include <utility>

// The resource sets are objects in the static library `assets` (CMakeLists.txt): naming them here
// links them into every program that shows a picture, and registers them before the first lookup.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(k5pictures);
        Q_INIT_RESOURCE(k5scaled);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace K5Assets {

namespace {

// The rendered ratios, from the build (assets/CMakeLists.txt), smallest first.
constexpr qreal renderedRatios[] = {K5_PICTURE_RATIOS};

// Kept as stored: a pixmap would otherwise take a copy in the screen's format, and look through
// every pixel of a picture with alpha for one that is not opaque.
constexpr Qt::ImageConversionFlags flags = Qt::NoFormatConversion;

// Ratios closer than this are taken as the same: a screen's ratio comes from a division (its
// dots per inch by 96, say) and need not hit 1.25 exactly.
constexpr qreal sameRatio = 0.01;

// The picture at path (pixelfile.h): over the resource's memory where it is stored uncompressed,
// else over its unpacked bytes, which the picture then owns. Null, with a warning, where the
// resource is missing or not such a picture.
QImage readPixels(const QString &path)
{
    registerPictures();
    const QResource resource(path);
    const bool packed = resource.compressionAlgorithm() != QResource::NoCompression;
    QByteArray bytes =
        packed ? resource.uncompressedData()
               : QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                         qsizetype(resource.size()));
    PixelFileHeader header;
    const PixelFileHeader expected;
    if (bytes.size() >= qsizetype(sizeof header))
        std::memcpy(&header, bytes.constData(), sizeof header);
    const auto format = QImage::Format(header.format);
    const bool known = std::memcmp(header.magic, expected.magic, sizeof header.magic) == 0 &&
                       format > QImage::Format_Invalid && format < QImage::NImageFormats;
    const int depth = known ? QImage::toPixelFormat(format).bitsPerPixel() : 0;
    if (depth < 8 || header.bytesPerLine < quint64(header.width) * quint32(depth / 8) ||
        header.bytesPerLine % 4 != 0 ||
        bytes.size() != qsizetype(sizeof header) + qsizetype(header.bytesPerLine) * header.height) {
        qWarning("%s is not a picture of the build", qPrintable(path));
        return {};
    }
    const auto *pixels = reinterpret_cast<const uchar *>(bytes.constData()) + sizeof header;
    // rcc keeps each file's data on the four-byte boundaries that QImage's rows want where all
    // files of the set are whole words and the compiler aligns its array, as gcc and clang do;
    // unpacked bytes lie where the allocator put them.
    if (quintptr(pixels) % 4 != 0) {
        return QImage(pixels, int(header.width), int(header.height), header.bytesPerLine, format)
            .copy();
    }
    if (!packed)
        return QImage(pixels, int(header.width), int(header.height), header.bytesPerLine, format);
    auto *owned = new QByteArray(std::move(bytes)); // the only reference: data() copies nothing
    return QImage(
        reinterpret_cast<uchar *>(owned->data()) + sizeof header, int(header.width),
        int(header.height), header.bytesPerLine, format,
        [](void *array) { delete static_cast<QByteArray *>(array); }, owned);
}

// The rendering for a ratio: ":/k5/1x/<name>" at 1, ":/k5/<ratio>x/<name>" at the others.
QString renderingPath(const QString &path, qreal rendered)
{
    QString at = path;
    return at.replace(QStringLiteral("/1x/"), QStringLiteral("/%1x/").arg(rendered));
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

// The window icon, each of its sizes read from the resources only when first wanted, so that the
// pages of the sizes nobody asks for stay out of memory. On X11 Qt hands every size to the window
// manager once the window is shown; the offscreen platform asks for none.
class WindowIconEngine : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        load(size);
        return m_loaded.pixmap(size, 1, mode, state);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        load(rect.size() * painter->device()->devicePixelRatio());
        m_loaded.paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QSize actualSize(const QSize &size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        QSize actual(pick(size), pick(size));
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        // Only the normal pictures are drawn, as for an icon made of pixmaps.
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off) {
            for (const int drawn : drawnSizes)
                sizes << QSize(drawn, drawn);
        }
        return sizes;
    }

    QIconEngine *clone() const override { return new WindowIconEngine(*this); }

private:
    // The sizes drawn, from the build (assets/CMakeLists.txt), smallest first.
    static constexpr int drawnSizes[] = {K5_ICON_SIZES};

    // The size an icon holding all of them takes for size in device pixels: the smallest that
    // covers it, else the largest. m_loaded takes the same among those loaded, as they include it.
    static int pick(const QSize &size)
    {
        for (const int drawn : drawnSizes) {
            if (qint64(drawn) * drawn >= qint64(size.width()) * size.height())
                return drawn;
        }
        return *std::rbegin(drawnSizes);
    }

    void load(const QSize &size)
    {
        const int drawn = pick(size);
        if (m_loadedSizes.contains(drawn))
            return;
        m_loadedSizes << drawn;
        // Each size is added as drawn, so that Qt takes the hand-made 16 px picture for a title
        // bar instead of scaling a larger one down.
        m_loaded.addPixmap(QPixmap::fromImage(
            readPixels(QStringLiteral(":/k5/icons/icon%1.pixels").arg(drawn)), flags));
    }

    QIcon m_loaded;
    QList<int> m_loadedSizes;
};

} // namespace

QString backgroundPath()
{
    return QStringLiteral(":/k5/1x/background.pixels");
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
    return QStringLiteral(":/k5/1x/buttons/%1_%2.pixels").arg(face, lookName);
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
    QImage image = readPixels(renderingPath(path, rendered));
    if (qAbs(rendered - ratio) >= sameRatio && !image.isNull()) {
        // Scaled once here, smoothly, so that painting draws it pixel for pixel.
        const QSize size = (QSizeF(image.size()) * (ratio / rendered)).toSize();
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image), flags);
}

void showPicture(QLabel *label, const QString &path)
{
    new LabelPicture(label, path);
}

QIcon windowIcon()
{
    return QIcon(new WindowIconEngine);
}

} // namespace K5Assets
