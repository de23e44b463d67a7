// Writes a picture of the started window to the file named on the command line, without a
// screen: run it under the offscreen platform.

#include "form1.h"

#include <QApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        qCritical("usage: %s FILE.png", argv[0]);
        return 2;
    }
    Form1 form;
    form.showCentred();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
