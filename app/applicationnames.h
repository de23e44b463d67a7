#pragma once

// The tool's names in window titles and for the .desktop file (its icon and name in task bars),
// and its version. Set before the window is made, by main() and by every program starting it alike.

#include <QApplication>

inline void SetApplicationNames()
{
    QApplication::setApplicationName(QStringLiteral("k5-dipswitch"));
    QApplication::setApplicationVersion(QStringLiteral(K5_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("K5 DIP-switch"));
    QApplication::setDesktopFileName(QStringLiteral("k5-dipswitch"));
}
