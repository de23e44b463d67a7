#pragma once

// How the window's pictures are stored in the resources: a header, then the rows of pixels top
// to bottom in the QImage format the header names, each row padded to four bytes as QImage's
// own are. Opaque pictures are RGB888, three bytes a pixel, the others ARGB32_Premultiplied,
// the format the window paints with. A QImage over the resource's memory paints them as they
// stand, with nothing decoded or copied at start. The byte order is the building machine's:
// k5-topixels writes them from the rendered PNGs when the program is built.

#include <QtGlobal>

struct PixelFileHeader
{
    char magic[4] = {'K', '5', 'p', 'x'};
    quint32 width = 0;
    quint32 height = 0;
    quint32 bytesPerLine = 0;
    quint32 format = 0; // a QImage::Format
};

// A whole number of four-byte words, so that the rows of every picture after it in the
// resources stay on four-byte boundaries, as QImage wants them.
static_assert(sizeof(PixelFileHeader) % 4 == 0);
