// Port names and the device behind a port number.

#include "portselection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class LinkPortsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");

        QTest::newRow("COM1") << u"COM1"_s << 1;
        QTest::newRow("COM2") << u"COM2"_s << 2;
        QTest::newRow("COM9") << u"COM9"_s << 9;
        QTest::newRow("COM10") << u"COM10"_s << 10;
        QTest::newRow("COM16") << u"COM16"_s << 16;
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("small letters") << u"com2"_s << 1;
        QTest::newRow("mixed case") << u"Com2"_s << 1;
        QTest::newRow("blank inside") << u"COM 2"_s << 1;
        QTest::newRow("trailing blank") << u"COM2 "_s << 1;
        QTest::newRow("leading blank") << u" COM2"_s << 1;
        QTest::newRow("COM0") << u"COM0"_s << 1;
        QTest::newRow("COM17") << u"COM17"_s << 1;
        QTest::newRow("leading zero") << u"COM02"_s << 1;
        QTest::newRow("sign") << u"COM+2"_s << 1;
        QTest::newRow("bare digit") << u"3"_s << 1;
        QTest::newRow("COM16 followed by more") << u"COM16x"_s << 1;
        QTest::newRow("longer than COM16") << u"COM160"_s << 1;
        QTest::newRow("other digits") << u"COM\u0662"_s << 1;
        QTest::newRow("device name") << u"/dev/ttyS1"_s << 1;
    }

    void portNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(PortNumberFromText(text), port);
    }

#ifndef Q_OS_WIN
    void devicePath_data()
    {
        QTest::addColumn<QString>("setup"); // what lies at ports/COM3
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("expected"); // "@target" for the target file's real path

        QTest::newRow("no link, COM1") << u"none"_s << 1 << u"/dev/ttyS0"_s;
        QTest::newRow("no link, COM16") << u"none"_s << 16 << u"/dev/ttyS15"_s;
        QTest::newRow("link to a device") << u"link"_s << 3 << u"@target"_s;
        QTest::newRow("link to a link") << u"chain"_s << 3 << u"@target"_s;
        QTest::newRow("link leaves other ports alone") << u"link"_s << 4 << u"/dev/ttyS3"_s;
        QTest::newRow("link whose device is gone") << u"dangling"_s << 3 << u"@gone"_s;
        QTest::newRow("plain file") << u"file"_s << 3 << u"@self"_s;
    }

    void devicePath()
    {
        QFETCH(QString, setup);
        QFETCH(int, port);
        QFETCH(QString, expected);

        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QString ports = config.path() + u"/k5-dipswitch/ports"_s;
        QVERIFY(QDir().mkpath(ports));
        const QString target = config.path() + u"/ttyFAKE0"_s;
        QFile device(target);
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        const QString entry = ports + u"/COM3"_s;
        const QString gone = config.path() + u"/ttyGONE"_s;

        if (setup == u"link") {
            QVERIFY(QFile::link(target, entry));
        } else if (setup == u"chain") {
            QVERIFY(QFile::link(target, config.path() + u"/byid"_s));
            QVERIFY(QFile::link(config.path() + u"/byid"_s, entry));
        } else if (setup == u"dangling") {
            QVERIFY(QFile::link(gone, entry));
        } else if (setup == u"file") {
            QFile plain(entry);
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }

        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString path = DevicePathForPort(port);
        qputenv("XDG_CONFIG_HOME", saved);

        if (expected == u"@target")
            expected = QFileInfo(target).canonicalFilePath();
        else if (expected == u"@gone")
            expected = gone;
        else if (expected == u"@self")
            expected = QFileInfo(entry).canonicalFilePath();
        QCOMPARE(path, expected);
    }

    // Without XDG_CONFIG_HOME the links live in ~/.config.
    void devicePathUnderHome()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QVERIFY(QDir().mkpath(home.path() + u"/.config/k5-dipswitch/ports"_s));
        const QString target = home.path() + u"/ttyUSB9"_s;
        QFile device(target);
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        QVERIFY(QFile::link(target, home.path() + u"/.config/k5-dipswitch/ports/COM7"_s));

        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        const QString seven = DevicePathForPort(7);
        const QString eight = DevicePathForPort(8);
        qputenv("HOME", savedHome);
        if (!savedConfig.isNull())
            qputenv("XDG_CONFIG_HOME", savedConfig);

        QCOMPARE(seven, QFileInfo(target).canonicalFilePath());
        QCOMPARE(eight, u"/dev/ttyS7"_s);
    }
#endif
};

QTEST_GUILESS_MAIN(LinkPortsTest)
#include "tst_link_ports.moc"
