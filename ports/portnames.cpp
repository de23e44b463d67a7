#include "portnames.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString PortName(int n)
{
    return u"COM"_s + QString::number(n);
}

int PortNumberFromText(QStringView comboText)
{
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        if (comboText == PortName(n))
            return n;
    }
    return FirstPortNumber;
}

QString PortsFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + u"/.config"_s;
    return base + u"/k5-dipswitch/ports"_s;
}

QString PortLinkPath(int n)
{
    return PortsFolder() + u'/' + PortName(n);
}

QString DevicePathForPort(int n)
{
#ifdef Q_OS_WIN
    return PortName(n);
#else
    const QFileInfo link(PortLinkPath(n));
    if (link.exists()) {
        QString device = link.canonicalFilePath();
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
