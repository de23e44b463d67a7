// Request frames as they go on the line: the three requests and the checksum rule.

#include "frame.h"

#include <QTest>

class LinkFramesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requests_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("read code")
            << Frame::ReadCodeBody() << QByteArray::fromHex("00 FF 01 02 02 03 01 00 02 F5");
        QTest::newRow("read version")
            << Frame::ReadVersionBody() << QByteArray::fromHex("00 FF 01 01 00 00 FE");
        QTest::newRow("write code 0")
            << Frame::WriteCodeBody(0) << QByteArray::fromHex("00 FF 01 02 12 04 01 00 00 00 E6");
        QTest::newRow("write code 29524")
            << Frame::WriteCodeBody(29524)
            << QByteArray::fromHex("00 FF 01 02 12 04 01 00 73 54 1F");
        QTest::newRow("write code 59048")
            << Frame::WriteCodeBody(59048)
            << QByteArray::fromHex("00 FF 01 02 12 04 01 00 E6 A8 58");
        QTest::newRow("write off marker FFFF")
            << Frame::WriteCodeBody(Frame::OffMarker)
            << QByteArray::fromHex("00 FF 01 02 12 04 01 00 FF FF E8");
        QTest::newRow("write code 255 (low byte only)")
            << Frame::WriteCodeBody(255) << QByteArray::fromHex("00 FF 01 02 12 04 01 00 00 FF E7");
        QTest::newRow("write 65280 (high byte only)")
            << Frame::WriteCodeBody(0xFF00)
            << QByteArray::fromHex("00 FF 01 02 12 04 01 00 FF 00 E7");
    }

    void requests()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, line);
        QCOMPARE(Frame::Request(body), line);
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("checksum");

        QTest::newRow("nothing") << QByteArray() << 0x00;
        QTest::newRow("read code body") << QByteArray::fromHex("01 02 02 03 01 00 02") << 0xF5;
        QTest::newRow("version body") << QByteArray::fromHex("01 01 00 00") << 0xFE;
        QTest::newRow("sum exactly 256") << QByteArray::fromHex("80 80") << 0x00;
        QTest::newRow("sum 255") << QByteArray::fromHex("FF") << 0x01;
        QTest::newRow("sum above 512") << QByteArray::fromHex("FF FF FF") << 0x03;
        QTest::newRow("worked reply after FF") << QByteArray::fromHex("00 02 02 02 30 39") << 0x91;
    }

    void checksum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, checksum);
        QCOMPARE(int(Frame::Checksum(bytes)), checksum);
    }

    void replies_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("code 12345") << 0x02 << 0x02 << QByteArray::fromHex("30 39")
                                    << QByteArray::fromHex("FF 00 02 02 02 30 39 91");
        QTest::newRow("write confirmation")
            << 0x02 << 0x12 << QByteArray() << QByteArray::fromHex("FF 00 02 12 00 EC");
        QTest::newRow("version ABC") << 0x01 << 0x00 << QByteArray::fromHex("01 02 41 42 43")
                                     << QByteArray::fromHex("FF 00 01 00 05 01 02 41 42 43 31");
        QTest::newRow("off marker") << 0x02 << 0x02 << QByteArray::fromHex("FF FF")
                                    << QByteArray::fromHex("FF 00 02 02 02 FF FF FC");
    }

    void replies()
    {
        QFETCH(int, group);
        QFETCH(int, command);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, line);
        QCOMPARE(Frame::Reply(std::uint8_t(group), std::uint8_t(command), data), line);
    }
};

QTEST_GUILESS_MAIN(LinkFramesTest)
#include "tst_link_frames.moc"
