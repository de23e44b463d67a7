// k5-topixels PICTURE.png OUT.pixels: writes the picture as the window paints it (pixelfile.h).

#include "pixelfile.h"

#include <QImage>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: k5-topixels PICTURE.png OUT.pixels\n", stderr);
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "k5-topixels: cannot read %s\n", argv[1]);
        return 1;
    }
    // Three bytes a pixel where four would hold no alpha: the background at 200% alone is
    // 0.9 MiB less to bring into memory.
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB888);

    PixelFileHeader header;
    header.width = quint32(image.width());
    header.height = quint32(image.height());
    header.bytesPerLine = quint32(image.bytesPerLine());
    header.format = quint32(image.format());
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    const auto *pixels = reinterpret_cast<const char *>(image.constBits());
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char *>(&header), sizeof header) !=
            qint64(sizeof header) ||
        out.write(pixels, image.sizeInBytes()) != image.sizeInBytes() || !out.commit()) {
        std::fprintf(stderr, "k5-topixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
