#pragma once

// The window's pictures, compiled into every program that links `assets` as Qt resources
// under ":/k5". No Q_INIT_RESOURCE is needed: the build links the resource objects in directly.
// README.md in this folder lists every resource path.

#include <QIcon>
#include <QString>
#include <QStringView>

namespace K5Assets {

// Each picture button has one face in three looks.
enum class ButtonLook { Normal, Pressed, Disabled };

// The background picture, 482 x 500 pixels.
QString backgroundPath();

// ":/k5/buttons/<face>_<look>.png". face is one of read, print, write, exit, reset, version
// (72 x 23 pixels) or plus, minus (40 x 23 pixels).
QString buttonFacePath(QStringView face, ButtonLook look);

// The hammer and spanner at 16, 32, 48, 64, 128 and 256 pixels, for the window and the desktop.
QIcon windowIcon();

} // namespace K5Assets
