// The tool's start-up, for the start-up benchmark: the same steps as the tool's main(), and a
// report of the first frame.

#include "firstframe.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("k5-dipswitch"));
    QApplication::setApplicationDisplayName(QStringLiteral("K5 DIP-switch"));
    QApplication::setDesktopFileName(QStringLiteral("k5-dipswitch"));

    Form1 form;
    FirstFrame frame(&form);
    form.showCentred();
    return QApplication::exec();
}
