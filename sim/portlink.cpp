#include "portlink.h"

#include "portmap.h"
#include "portselection.h"

#include <QFile>

#include <array>
#include <unistd.h>

namespace {

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
    if (!PointPortLink(m_path, target, error))
        return false;
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
