#pragma once

// The name under which the tool finds a simulated port: a symbolic link COMn in the tool's ports
// folder (PortsFolder) that points at the pseudo-terminal's slave device.

#include <QString>

class PortLink
{
public:
    PortLink() = default;
    explicit PortLink(const QString &portName);
    ~PortLink();
    PortLink(const PortLink &) = delete;
    PortLink &operator=(const PortLink &) = delete;

    bool isActive() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

    // Creates the link, or moves an existing one, to target in one step; makes the folders.
    // A file that is not a link is left alone and reported.
    bool pointTo(const QString &target, QString *error);
    // Removes the link if it still points where this one put it.
    void remove();

private:
    QString m_path;
    QString m_target;
};
