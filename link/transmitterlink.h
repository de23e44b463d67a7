#pragma once

// The serial link to the transmitter: one exchange at a time, each in one call.
//
// run() opens the line's device exclusively at 2400 baud, 8 data bits, no parity, 1 stop bit, no
// flow control, sends the request and receives the reply without blocking the thread: the port's
// readyRead and a deadline timer drive it from the event loop, so the window stays responsive and
// the CPU idle. The judge says what the reply means; the port is closed and the link free before
// done gets the outcome. A device that cannot be opened ends the exchange inside run(), with the
// reason (also logged).

#include "exchanges.h"
#include "portproblem.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

class LineExchange;
class SerialLine;

// Where an exchange runs: port COMn, whose device is looked up as the exchange starts, or a device
// named by its path.
struct Line
{
    int port = 0; // 1..16, unless device names the line
    QString device;
};

template <typename Reply>
struct Exchanged
{
    Reply reply{}; // what the judge made of the reply; empty (false) unless fault is None
    ExchangeFault fault = ExchangeFault::None;
    QString device;            // the device the exchange ran on, or failed to open
    PortFailure portFailure;   // with PortUnavailable
    qsizetype replyBytes = 0;  // how much of a reply came
};

class TransmitterLink : public QObject
{
    Q_OBJECT

public:
    explicit TransmitterLink(QObject *parent = nullptr);
    ~TransmitterLink() override;

    bool busy() const { return m_busy; }

    // Runs request (the whole line bytes, see Frame) on line. judge takes the ExchangeResult and
    // returns something that tests true when it accepts the reply; done gets an Exchanged of
    // that, once, and must not delete the link (deleteLater is fine). Refused, with false and no
    // done, while another exchange runs.
    template <typename Judge, typename Done>
    bool run(const Line &line, const QByteArray &request, Judge judge, Done done)
    {
        using Reply = std::invoke_result_t<Judge &, const ExchangeResult &>;
        return start(line, request,
                     [judge = std::move(judge), done = std::move(done)](const Ended &ended) mutable {
                         Exchanged<Reply> outcome;
                         outcome.device = ended.device;
                         outcome.portFailure = ended.portFailure;
                         outcome.replyBytes = ended.result.reply.size();
                         if (ended.opened)
                             outcome.reply = judge(ended.result);
                         if (!ended.opened)
                             outcome.fault = ExchangeFault::PortUnavailable;
                         else if (!outcome.reply)
                             outcome.fault = FaultOf(ended.result, ended.lineLost);
                         done(outcome);
                     });
    }
    // Ends a running exchange at once and closes the port; its done never runs.
    void stop();

private:
    struct Ended
    {
        bool opened = false;
        QString device;
        PortFailure portFailure;
        ExchangeResult result;
        bool lineLost = false;
    };
    bool start(const Line &line, const QByteArray &request, std::function<void(const Ended &)> done);
    bool open(const QString &device, const QString &portName, PortFailure *failure);
    void lineLost(const QString &reason);

    SerialLine *const m_line;
    LineExchange *const m_exchange;
    bool m_busy = false;
    bool m_lineLost = false;
    // How the log names the line: "COMn", or the device path.
    QString m_label;
    QString m_device;
};
