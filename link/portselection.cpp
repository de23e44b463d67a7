#include "portselection.h"

#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

int PortNumberFromText(QStringView comboText)
{
    int port = FirstPortNumber;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        if (comboText == u"COM"_s + QString::number(n))
            port = n;
    }
    return port;
}

QString DevicePathForPort(int n)
{
#ifdef Q_OS_WIN
    return u"COM"_s + QString::number(n);
#else
    const QString configured =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        u"/k5-dipswitch/ports/COM"_s + QString::number(n);
    const QFileInfo link(configured);
    if (link.exists()) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            return device;
    }
    if (link.isSymLink()) {
        // A link whose device is gone (an unplugged adapter) still names that port: falling back
        // to a built-in port would talk to some other device. Opening the target then fails.
        return link.symLinkTarget();
    }
    return u"/dev/ttyS"_s + QString::number(n - 1);
#endif
}
