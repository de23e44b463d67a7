#pragma once

// Turns POSIX signals into a Qt signal on the event loop: the handler only writes the signal's
// number into a pipe, which a socket notifier watches.

#include <QList>
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    // One watcher per process.
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void caught(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    static inline int s_writeEnd = -1;
    int m_readEnd = -1;
    QList<int> m_signalNumbers;
    QSocketNotifier *m_notifier = nullptr;
};
