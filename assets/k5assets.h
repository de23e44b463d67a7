#pragma once

// The window's pictures, Qt resources under ":/k5" (README.md here lists every path), linked into
// every program that uses them and registered by the functions below: no Q_INIT_RESOURCE. Each is
// rendered for the display scales of 100% to 200%, so that it stays sharp where Qt scales the
// window: picture() picks the rendering for the screen's device pixel ratio.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringView>

class QLabel;

namespace K5Assets {

enum class ButtonLook { Normal, Pressed, Disabled };

// The background picture, 482 x 500 pixels at 100%.
QString backgroundPath();

// ":/k5/1x/buttons/<face>_<look>.pixels". face is one of read, print, write, exit, reset, version
// (72 x 23 pixels at 100%) or plus, minus (40 x 23 pixels).
QString buttonFacePath(QStringView face, ButtonLook look);

// One of the pictures above for a screen of the given device pixel ratio, carrying the ratio so
// that Qt draws it pixel for pixel at the picture's size in the window: the rendering made for the
// ratio; between two renderings, the next larger one scaled down smoothly; above 200%, the 200%
// one scaled up. At 100% the pixmap paints from the resources' memory, nothing decoded or copied;
// at the other ratios the rendering is unpacked once, into the pixmap.
QPixmap picture(const QString &path, qreal ratio = 1);

// Shows the picture at path on the label, unscaled, for the label's screen, and again for the new
// ratio when the window moves to another screen or the screen's scale changes.
void showPicture(QLabel *label, const QString &path);

// The hammer and spanner at 16, 32, 48, 64, 128 and 256 pixels, for the window and the desktop.
// QIcon picks among them by device pixels: 16 px on a screen at 200% takes the 32 px picture.
// A size is unpacked from the resources when it is first asked for.
QIcon windowIcon();

} // namespace K5Assets
