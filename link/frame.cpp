#include "frame.h"

#include <QtGlobal>

#include <numeric>

namespace Frame {

namespace {

// The part after the start byte, which the checksum covers.
QByteArray Body(std::uint8_t header, std::uint8_t group, std::uint8_t command, QByteArrayView data)
{
    Q_ASSERT(data.size() <= 0xFF);
    QByteArray body;
    body.append(char(header)).append(char(group)).append(char(command));
    body.append(char(data.size())).append(data);
    return body.append(char(Checksum(body)));
}

} // namespace

std::uint8_t Checksum(QByteArrayView bytes)
{
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0U, [](unsigned s, char b) {
        return s + static_cast<std::uint8_t>(b);
    });
    return static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

QByteArray Request(std::uint8_t group, std::uint8_t command, QByteArrayView data)
{
    QByteArray request;
    request.append(char(Lead)).append(char(Start));
    return request.append(Body(Header, group, command, data));
}

QByteArray ReadCodeRequest()
{
    return Request(CodeGroup, ReadCodeCommand, ReadCodeData);
}

QByteArray WriteCodeRequest(std::uint16_t value)
{
    QByteArray data = WriteCodePrefix.toByteArray();
    data.append(char(value >> 8)).append(char(value & 0xFF));
    return Request(CodeGroup, WriteCodeCommand, data);
}

QByteArray ReadVersionRequest()
{
    return Request(VersionGroup, ReadVersionCommand, {});
}

QByteArray Reply(std::uint8_t group, std::uint8_t command, QByteArrayView data)
{
    QByteArray reply(1, char(Start));
    return reply.append(Body(ReplyHeader, group, command, data));
}

} // namespace Frame
