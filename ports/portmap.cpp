#include "portmap.h"

#include "portnames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QString SystemError(const QString &what)
{
    return what + u": "_s + qt_error_string(errno);
}

bool IsPseudoTerminal(const QByteArray &path)
{
#ifdef Q_OS_LINUX
    struct statfs filesystem
    {
    };
    return ::statfs(path.constData(), &filesystem) == 0 && filesystem.f_type == DEVPTS_SUPER_MAGIC;
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool IsCharacterDevice(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode);
}

} // namespace

PortDevice DescribePort(int n)
{
    const QFileInfo link(PortLinkPath(n));
    const bool mapped = link.isSymLink();
    const QString device = mapped ? link.symLinkTarget() : DevicePathForPort(n);
    const bool present = QFileInfo::exists(device);
    return {device, mapped, present, !present || IsCharacterDevice(device)};
}

QString StableDeviceName(const QString &device, const QString &byIdFolder)
{
    const QString real = QFileInfo(device).canonicalFilePath();
    if (real.isEmpty())
        return device;
    const QFileInfoList names =
        QDir(byIdFolder).entryInfoList(QDir::System | QDir::Files, QDir::Name);
    const auto name = std::find_if(names.begin(), names.end(), [&](const QFileInfo &info) {
        return info.canonicalFilePath() == real;
    });
    return name == names.end() ? device : name->absoluteFilePath();
}

bool IsSerialDevice(const QString &path)
{
    // A pseudo-terminal, or a device the system lists as a serial port: either is a character
    // device, so nothing else needs looking at.
    const QByteArray encoded = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    if (encoded.isEmpty())
        return false; // no such file
    if (IsPseudoTerminal(encoded))
        return true;
    const QString real = QFile::decodeName(encoded);
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    return std::any_of(ports.begin(), ports.end(), [&](const QSerialPortInfo &port) {
        return QFileInfo(port.systemLocation()).canonicalFilePath() == real;
    });
}

bool PointPortLink(const QString &linkPath, const QString &target, QString *error)
{
    const QString folder = QFileInfo(linkPath).path();
    if (!QDir().mkpath(folder)) {
        *error = u"cannot make the folder "_s + folder;
        return false;
    }
    const QByteArray encoded = QFile::encodeName(linkPath);
    struct stat status
    {
    };
    if (::lstat(encoded.constData(), &status) == 0 && !S_ISLNK(status.st_mode)) {
        *error = linkPath + u" exists and is not a symbolic link"_s;
        return false;
    }
    // Make the new link beside the old one and rename it over: the name never goes missing.
    const QByteArray temporary = encoded + ".new-" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0) {
        *error = SystemError(QFile::decodeName(temporary));
        return false;
    }
    if (::rename(temporary.constData(), encoded.constData()) != 0) {
        *error = SystemError(linkPath);
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}
