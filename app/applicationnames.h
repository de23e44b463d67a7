#pragma once

// The names the desktop knows the tool by: in window titles, and the .desktop file that gives its
// icon and name in task bars, and its version. Set by main() before the window is made, and so by
// every program that starts the window as the tool does.

#include <QApplication>

inline void SetApplicationNames()
{
    QApplication::setApplicationName(QStringLiteral("k5-dipswitch"));
    QApplication::setApplicationVersion(QStringLiteral(K5_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("K5 DIP-switch"));
    QApplication::setDesktopFileName(QStringLiteral("k5-dipswitch"));
}
