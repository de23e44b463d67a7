// The window's pictures at the display scale: each one, as the window draws it, matches its SVG
// source drawn directly at the screen's device pixel ratio, not a picture made for another ratio
// and stretched or shrunk to fit. CTest runs the suite on two offscreen screens at 100% and 200%
// (twoscreens.json), and `pictures` again at 125% to 200% on one screen (QT_SCALE_FACTOR).

#include "windowfixture.h"

#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>

class PicturesTest : public QObject, WindowFixture
{
    Q_OBJECT

    QTemporaryDir m_scratch;

    // The control as the window draws it against its source drawn directly at the control's ratio
    // by rsvg-convert, on the black that the window puts behind every picture: centred in whole
    // device pixels and clipped to the control, at most 8 colour steps apart in any pixel.
    void compare(QWidget *control, const QString &svg)
    {
        const qreal ratio = control->devicePixelRatioF();
        const QString png =
            m_scratch.filePath(QStringLiteral("%1@%2.png").arg(svg.section(u'/', -1)).arg(ratio));
        QProcess::execute(K5_RSVG_CONVERT, {"--zoom", QString::number(ratio), "--background-color",
                                            "black", "--output", png, svg});
        const QImage picture = QImage(png).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!picture.isNull(), qPrintable(svg));
        const QImage drawn = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint at((drawn.width() - picture.width()) / 2,
                        (drawn.height() - picture.height()) / 2);
        const QRect area =
            QRect(0, 0, int(control->width() * ratio), int(control->height() * ratio)) &
            QRect(at, picture.size());
        QVERIFY(!area.isEmpty());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb a = drawn.pixel(x, y), b = picture.pixel(x - at.x(), y - at.y());
                const int difference = std::max({qAbs(qRed(a) - qRed(b)),
                                                 qAbs(qGreen(a) - qGreen(b)),
                                                 qAbs(qBlue(a) - qBlue(b))});
                if (difference > 8)
                    QFAIL(qPrintable(QString::asprintf("%s at %g differs at (%d, %d) by %d",
                                                       qPrintable(svg), ratio, x, y, difference)));
            }
    }

    // The background and a button of each face template, the reset button narrower than its
    // face, each button in its three looks.
    void compareAll()
    {
        compare(control("Image1"), K5_BACKGROUND_SVG);
        for (const auto &[button, face] : QList<QPair<QAbstractButton *, QString>>{
                 {readButton(), "read"}, {resetButton(), "reset"}, {stepUpButton(), "plus"}})
            for (const QString look : {"pressed", "disabled", "normal"}) {
                button->setDown(look == u"pressed");
                button->setEnabled(look != u"disabled");
                compare(button, QStringLiteral(K5_FACE_SVG_DIR "/%1_%2.svg").arg(face, look));
            }
    }

private Q_SLOTS:
    // On the screen it starts on; then, where there is a screen at another scale (CTest's
    // twoscreens.json), moved there and back.
    void pictures()
    {
        QVERIFY(openWindow());
        statusBox()->setFocus(); // no focus frame over a button's face
        QCOMPARE(form->devicePixelRatioF(),
                 qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        compareAll();
        QScreen *home = form->screen();
        for (QScreen *other : QGuiApplication::screens()) {
            if (other->devicePixelRatio() == home->devicePixelRatio())
                continue;
            for (QScreen *screen : {other, home}) {
                form->move(screen->geometry().topLeft() + QPoint(40, 40));
                QTRY_COMPARE(form->screen(), screen);
                compareAll();
            }
        }
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
