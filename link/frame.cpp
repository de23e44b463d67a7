#include "frame.h"

namespace Frame {

std::uint8_t Checksum(QByteArrayView bytes)
{
    unsigned sum = 0;
    for (const char b : bytes)
        sum += static_cast<std::uint8_t>(b);
    return static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

QByteArray Request(QByteArrayView body)
{
    QByteArray frame;
    frame.reserve(body.size() + 3);
    frame.append(char(Lead)).append(char(Start)).append(body).append(char(Checksum(body)));
    return frame;
}

QByteArray ReadCodeBody()
{
    return QByteArray("\x01\x02\x02\x03\x01\x00\x02", 7);
}

QByteArray WriteCodeBody(std::uint16_t value)
{
    QByteArray body("\x01\x02\x12\x04\x01\x00", 6);
    body.append(char(value >> 8)).append(char(value & 0xFF));
    return body;
}

QByteArray ReadVersionBody()
{
    return QByteArray("\x01\x01\x00\x00", 4);
}

QByteArray Reply(std::uint8_t group, std::uint8_t command, QByteArrayView data)
{
    QByteArray body;
    body.append(char(0x00)).append(char(group)).append(char(command));
    body.append(char(data.size())).append(data);
    QByteArray reply(1, char(Start));
    reply.append(body).append(char(Checksum(body)));
    return reply;
}

} // namespace Frame
