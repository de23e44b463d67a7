#pragma once

// The window's pictures, linked into every program that uses them as Qt resources under ":/k5".
// No Q_INIT_RESOURCE is needed: the functions below register them. README.md in this folder
// lists every resource path.
//
// Each picture is rendered for the display scales of 100% to 200%, so that it stays sharp where
// Qt scales the window: picture() takes the screen's device pixel ratio and picks the rendering
// made for it.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringView>

class QLabel;

namespace K5Assets {

// Each picture button has one face in three looks.
enum class ButtonLook { Normal, Pressed, Disabled };

// The background picture, 482 x 500 pixels at 100%.
QString backgroundPath();

// ":/k5/buttons/<face>_<look>.pixels". face is one of read, print, write, exit, reset, version
// (72 x 23 pixels at 100%) or plus, minus (40 x 23 pixels).
QString buttonFacePath(QStringView face, ButtonLook look);

// One of the pictures above, drawn for a screen of the given device pixel ratio: the rendering
// made for that ratio, carrying the ratio, so that Qt draws it pixel for pixel at the picture's
// size in the window. For a ratio between two renderings, the next larger one scaled down
// smoothly to it; above 200%, the 200% one scaled up. At 100% the pixmap paints from the
// resources' memory: nothing is decoded or copied; at the other ratios the rendering is unpacked
// once, into the pixmap.
QPixmap picture(const QString &path, qreal ratio = 1);

// Shows the picture at path on the label, unscaled, drawn for the label's screen: painted at
// another ratio than its picture was picked for (the window moved to another screen, or the
// screen's scale changed), the label takes the picture for the new ratio.
void showPicture(QLabel *label, const QString &path);

// The hammer and spanner at 16, 32, 48, 64, 128 and 256 pixels, for the window and the desktop.
// QIcon picks among them by device pixels: 16 px on a screen at 200% takes the 32 px picture.
// A size is unpacked from the resources when it is first asked for.
QIcon windowIcon();

} // namespace K5Assets
