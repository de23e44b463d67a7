// Frames as they go on the line: the three requests and the replies that the tests build.

#include "frame.h"

#include <QTest>

class LinkFramesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("line");

        const auto row = [](const char *name, const QByteArray &frame, const char *line) {
            QTest::newRow(name) << frame << QByteArray::fromHex(line);
        };
        using namespace Frame;
        row("read code", ReadCodeRequest(), "00 FF 01 02 02 03 01 00 02 F5");
        row("read version", ReadVersionRequest(), "00 FF 01 01 00 00 FE");
        row("write code 0", WriteCodeRequest(0), "00 FF 01 02 12 04 01 00 00 00 E6");
        row("write code 29524", WriteCodeRequest(29524), "00 FF 01 02 12 04 01 00 73 54 1F");
        row("write code 59048", WriteCodeRequest(59048), "00 FF 01 02 12 04 01 00 E6 A8 58");
        row("write off marker", WriteCodeRequest(OffMarker), "00 FF 01 02 12 04 01 00 FF FF E8");
        row("reply code 12345", Reply(0x02, 0x02, QByteArray::fromHex("30 39")),
            "FF 00 02 02 02 30 39 91");
        row("reply write confirmation", Reply(0x02, 0x12, {}), "FF 00 02 12 00 EC");
        row("reply version ABC", Reply(0x01, 0x00, QByteArray::fromHex("01 02 41 42 43")),
            "FF 00 01 00 05 01 02 41 42 43 31");
    }

    void frames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, line);
        QCOMPARE(frame, line);
    }
};

QTEST_GUILESS_MAIN(LinkFramesTest)
#include "tst_link_frames.moc"
