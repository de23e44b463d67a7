#pragma once

// The serial link to the transmitter: the three exchanges, one call each, one at a time.
//
// A call opens the line's device exclusively, sends the request and receives the reply without
// blocking the thread: the port's readyRead and a deadline timer drive it from the event loop, so
// the window stays responsive and the CPU idle. done gets how the exchange ended, once, after the
// port has been closed and the link freed; a device that cannot be opened ends the exchange
// inside the call, with the reason (also logged). An exchange that follows another within
// LineSettings::Settle waits until then before it opens the port. A call while another exchange
// runs is refused: it returns false and done never runs. done must not delete the link
// (deleteLater is fine).

#include "exchanges.h"
#include "linkclock.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class LineExchange;
class QTimer;
class SerialLine;

// Where an exchange runs: port COMn, whose device is looked up as the exchange starts, or a device
// named by its path.
struct Line
{
    int port = 0; // 1..16, unless device names the line
    QString device;

    // "COMn", or empty for a device named directly; and the device, a port's looked up now.
    QString portName() const;
    QString devicePath() const;
};

class TransmitterLink : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const ExchangeReport &)>;

    // The link over the system's serial ports, or over line (which it then owns) timed by clock.
    explicit TransmitterLink(QObject *parent = nullptr);
    TransmitterLink(SerialLine *line, LinkClock clock, QObject *parent = nullptr);
    ~TransmitterLink() override;

    bool busy() const { return m_busy; }

    bool readCode(const Line &line, Done done);
    // code: the code to store, or nullopt to switch the DIP-switch function off.
    bool writeCode(const Line &line, std::optional<std::int32_t> code, Done done);
    bool readVersion(const Line &line, Done done);

    // Ends a running exchange at once and closes the port; its done never runs.
    void stop();

private:
    using Judge = bool (*)(const ExchangeResult &, ExchangeReport *);
    bool run(const Line &line, const QByteArray &request, Judge judge, Done done);
    void begin(const Line &line, const QByteArray &request, Judge judge, Done done);
    bool open(ExchangeReport *report);
    void lineLost(const QString &reason);

    SerialLine *const m_line;
    const LinkClock m_clock;
    LineExchange *const m_exchange;
    QTimer *const m_settle;
    std::function<void()> m_settled; // the exchange that waits for m_settle
    // When the last exchange that opened the port ended.
    std::optional<LinkInstant> m_lastEnd;
    bool m_busy = false;
    bool m_lineLost = false;
    // How the log names the line: "COMn", or the device path; and its device.
    QString m_label;
    QString m_device;
};
