#include "portlink.h"

#include "portselection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

QString systemError(const QString &what)
{
    return what + u": "_s + qt_error_string(errno);
}

// Where the link points now, or an empty text when path is no symbolic link.
QByteArray linkTarget(const QByteArray &path)
{
    std::array<char, 4096> buffer{};
    const ssize_t size = ::readlink(path.constData(), buffer.data(), buffer.size());
    if (size < 0 || size_t(size) >= buffer.size())
        return {};
    return QByteArray(buffer.data(), size);
}

} // namespace

PortLink::PortLink(const QString &portName) : m_path(PortsFolder() + u'/' + portName) {}

PortLink::~PortLink()
{
    remove();
}

bool PortLink::pointTo(const QString &target, QString *error)
{
    if (!isActive())
        return true;
    const QString folder = QFileInfo(m_path).path();
    if (!QDir().mkpath(folder)) {
        *error = u"cannot make the folder "_s + folder;
        return false;
    }
    const QByteArray linkPath = QFile::encodeName(m_path);
    struct stat status
    {
    };
    if (::lstat(linkPath.constData(), &status) == 0 && !S_ISLNK(status.st_mode)) {
        *error = m_path + u" exists and is not a symbolic link"_s;
        return false;
    }
    // Make the new link beside the old one and rename it over: the name never goes missing.
    const QByteArray temporary = linkPath + ".new-" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0) {
        *error = systemError(QFile::decodeName(temporary));
        return false;
    }
    if (::rename(temporary.constData(), linkPath.constData()) != 0) {
        *error = systemError(m_path);
        ::unlink(temporary.constData());
        return false;
    }
    m_target = target;
    return true;
}

void PortLink::remove()
{
    if (!isActive() || m_target.isEmpty())
        return;
    const QByteArray linkPath = QFile::encodeName(m_path);
    // Someone may have pointed the name elsewhere since; that link is theirs.
    if (linkTarget(linkPath) == QFile::encodeName(m_target))
        ::unlink(linkPath.constData());
    m_target.clear();
}
