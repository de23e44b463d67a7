// The least a Qt Widgets program does to show a window: the start-up benchmark's yardstick. One
// empty window, of the tool's window size.

#include "firstframe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(481, 500);
    FirstFrame frame(&window);
    window.show();
    return QApplication::exec();
}
