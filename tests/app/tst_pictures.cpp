// The window's pictures at the display scale: each one, as the window draws it, matches its SVG
// source drawn directly at the screen's device pixel ratio, not a picture made for another ratio
// and stretched or shrunk to fit. CTest runs the suite on two offscreen screens at 100% and 200%
// (twoscreens.json), and `pictures` again at 125% to 200% on one screen (QT_SCALE_FACTOR).

#include "windowfixture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

class PicturesTest : public QObject, WindowFixture
{
    Q_OBJECT

    // Colour steps one pixel may differ by: the window draws the renderings as they are.
    static constexpr int Tolerance = 8;

    QTemporaryDir m_scratch;

    // The SVG source drawn directly at ratio times its size, rounded up to whole pixels, on the
    // black that the window puts behind every picture. Null when rsvg-convert fails.
    QImage reference(const QString &svg, qreal ratio)
    {
        const QString png = m_scratch.filePath(
            QStringLiteral("%1@%2.png").arg(QFileInfo(svg).completeBaseName()).arg(ratio));
        if (!QFileInfo::exists(png)) {
            QProcess rsvg;
            rsvg.start(QStringLiteral(K5_RSVG_CONVERT),
                       {"--zoom", QString::number(ratio), "--output", png, svg});
            if (!rsvg.waitForFinished() || rsvg.exitStatus() != QProcess::NormalExit ||
                rsvg.exitCode() != 0)
                return {};
        }
        const QImage drawn(png);
        QImage flat(drawn.size(), QImage::Format_RGB32);
        flat.fill(Qt::black);
        QPainter(&flat).drawImage(0, 0, drawn);
        return flat;
    }

    // The largest difference of one colour channel between the control as the window draws it
    // and the picture where it lies there: centred in whole device pixels, and clipped to the
    // control's whole device pixels (at 125% a control of odd size ends in half a pixel).
    static int largestDifference(QWidget *control, const QImage &picture)
    {
        const QImage drawn = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint at((drawn.width() - picture.width()) / 2,
                        (drawn.height() - picture.height()) / 2);
        const qreal ratio = control->devicePixelRatioF();
        const QRect whole(0, 0, int(control->width() * ratio), int(control->height() * ratio));
        const QRect area = whole & QRect(at, picture.size());
        int largest = area.isEmpty() ? 255 : 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = picture.pixel(x - at.x(), y - at.y());
                largest =
                    std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
            }
        }
        return largest;
    }

    void expectMatch(QWidget *control, const QString &svg, qreal ratio)
    {
        const QImage picture = reference(svg, ratio);
        QVERIFY2(!picture.isNull(), qPrintable(svg));
        const int difference = largestDifference(control, picture);
        QVERIFY2(difference <= Tolerance, qPrintable(QStringLiteral("%1 differs by up to %2")
                                                         .arg(QFileInfo(svg).fileName())
                                                         .arg(difference)));
    }

    // Every picture of the control, in each of its looks, against its source at ratio.
    void comparePictures(const QString &name, const QString &face, qreal ratio)
    {
        QWidget *control = form->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->devicePixelRatioF(), ratio);
        if (face.isEmpty()) {
            expectMatch(control, QStringLiteral(K5_BACKGROUND_SVG), ratio);
            return;
        }
        auto *button = qobject_cast<QAbstractButton *>(control);
        QVERIFY(button);
        button->setVisible(true); // the version button starts hidden
        struct Look
        {
            const char *name;
            bool down;
            bool enabled;
        };
        for (const Look look : {Look{"normal", false, true}, Look{"pressed", true, true},
                                Look{"disabled", false, false}}) {
            button->setDown(look.down);
            button->setEnabled(look.enabled);
            expectMatch(button, QStringLiteral(K5_FACE_SVG_DIR "/%1_%2.svg").arg(face, look.name),
                        ratio);
            if (QTest::currentTestFailed())
                return;
        }
    }

    static void controls()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("face"); // empty for the background
        const auto row = [](const char *row, const char *name, const char *face) {
            QTest::newRow(row) << QString::fromLatin1(name) << QString::fromLatin1(face);
        };
        row("background", "Image1", "");
        row("Read", "Command1", "read");
        row("Reset, narrower than its face", "Command7", "reset");
        row("step up, sign face", "Command4", "plus");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_scratch.isValid()); }
    void init()
    {
        QVERIFY(openWindow());
        statusBox()->setFocus(); // no focus frame over a button's face
    }
    void cleanup() { closeWindow(); }

    void pictures_data() { controls(); }
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(QString, face);
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
        comparePictures(name, face, scale);
    }

    void followsTheScreen_data() { controls(); }
    void followsTheScreen()
    {
        QFETCH(QString, name);
        QFETCH(QString, face);
        QScreen *home = form->screen();
        QScreen *other = nullptr;
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->devicePixelRatio() != home->devicePixelRatio())
                other = screen;
        }
        if (!other)
            QSKIP("needs a second screen at another scale: QT_QPA_PLATFORM="
                  "offscreen:configfile=tests/app/twoscreens.json");
        for (QScreen *screen : {other, home}) {
            form->move(screen->geometry().topLeft() + QPoint(40, 40));
            QTRY_COMPARE(form->screen(), screen);
            comparePictures(name, face, screen->devicePixelRatio());
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
