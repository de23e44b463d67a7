#pragma once

// The window's pictures, compiled into every program that links `assets` as Qt resources
// under ":/k5". No Q_INIT_RESOURCE is needed: the build links the resource objects in directly.
// README.md in this folder lists every resource path.

#include <QIcon>
#include <QPixmap>
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

// One of the pictures above. The PNG reader is named, so that no image plugin is loaded to look
// at it: Qt would otherwise load every installed plugin, which costs start-up time and memory.
QPixmap picture(const QString &path);

// The hammer and spanner at 16, 32, 48, 64, 128 and 256 pixels, for the window and the desktop.
QIcon windowIcon();

} // namespace K5Assets
