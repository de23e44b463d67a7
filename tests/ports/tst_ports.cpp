// Port names and the device behind a port number.

#include "portmap.h"
#include "portnames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class PortsTest : public QObject
{
    Q_OBJECT

    // The temporary folder by its real path, holding the folder sub and an empty file for each
    // of the devices; nullopt when it could not be made.
    static std::optional<QDir> folderWith(const QTemporaryDir &temporary, const QString &sub,
                                          const QStringList &devices)
    {
        const QDir dir(QFileInfo(temporary.path()).canonicalFilePath());
        if (!temporary.isValid() || !dir.mkpath(sub))
            return std::nullopt;
        for (const QString &name : devices) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly))
                return std::nullopt;
        }
        return dir;
    }

private Q_SLOTS:
    void portNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");

        QTest::newRow("COM1") << u"COM1"_s << 1;
        QTest::newRow("COM16") << u"COM16"_s << 16;
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("COM17") << u"COM17"_s << 1;
        QTest::newRow("COM16 followed by more") << u"COM16x"_s << 1;
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
        QTest::addColumn<QString>("link"); // what ports/COM3 points to, if anything
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("expected"); // relative paths lie in the configuration folder

        QTest::newRow("no link, COM1") << QString() << 1 << u"/dev/ttyS0"_s;
        QTest::newRow("link to a link") << u"by-id"_s << 3 << u"ttyFAKE0"_s;
        QTest::newRow("link leaves other ports alone") << u"ttyFAKE0"_s << 4 << u"/dev/ttyS3"_s;
        // The open then fails and names the device that is missing.
        QTest::newRow("link whose device is gone") << u"ttyGONE"_s << 3 << u"ttyGONE"_s;
    }

    void devicePath()
    {
        QFETCH(QString, link);
        QFETCH(int, port);
        QFETCH(QString, expected);

        QTemporaryDir config;
        const std::optional<QDir> made =
            folderWith(config, u"k5-dipswitch/ports"_s, {u"ttyFAKE0"_s});
        QVERIFY(made);
        const QDir &dir = *made;
        QVERIFY(QFile::link(dir.filePath(u"ttyFAKE0"_s), dir.filePath(u"by-id"_s)));
        if (!link.isEmpty())
            QVERIFY(QFile::link(dir.filePath(link), dir.filePath(u"k5-dipswitch/ports/COM3"_s)));

        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString path = DevicePathForPort(port);
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(path, dir.filePath(expected));
    }

    // A port link takes the name that udev keeps for the device whatever its number today.
    void stableName_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("expected");
        QTest::newRow("device with a by-id name") << u"ttyFAKE0"_s << u"by-id/usb-FAKE-if00"_s;
        QTest::newRow("device without one") << u"ttyFAKE1"_s << u"ttyFAKE1"_s;
    }

    void stableName()
    {
        QFETCH(QString, device);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        const std::optional<QDir> made =
            folderWith(folder, u"by-id"_s, {u"ttyFAKE0"_s, u"ttyFAKE1"_s});
        QVERIFY(made);
        const QDir &dir = *made;
        QVERIFY(QFile::link(dir.filePath(u"ttyFAKE0"_s), dir.filePath(u"by-id/usb-FAKE-if00"_s)));
        QCOMPARE(StableDeviceName(dir.filePath(device), dir.filePath(u"by-id"_s)),
                 dir.filePath(expected));
    }

    // A relative XDG_CONFIG_HOME is no folder (XDG base directory rules): ~/.config stands in,
    // for the tool as for the simulator that makes the links.
    void relativeConfigFolder()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", "relative/config");
        const QString folder = PortsFolder();
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig);
        QCOMPARE(folder, home.path() + u"/.config/k5-dipswitch/ports"_s);
    }
#endif
};

QTEST_GUILESS_MAIN(PortsTest)
#include "tst_ports.moc"
