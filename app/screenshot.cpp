// Writes a picture of the started window to the file named on the command line, without a
// screen: run it under the offscreen platform. QT_SCALE_FACTOR draws it as a screen at that scale
// shows it, in device pixels: at 2 the picture is 962 x 1000.

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
    const QPixmap shot = form.grab();
    if (!shot.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    qInfo("%s: %d x %d pixels, the window at %d%%", argv[1], shot.width(), shot.height(),
          qRound(shot.devicePixelRatio() * 100));
    return 0;
}
