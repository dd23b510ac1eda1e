#include "RawTdsClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <QElapsedTimer>
#include <QList>
#include <sys/socket.h>
#include <unistd.h>

namespace {
void putField(QByteArray& record, int offset, int size, const QByteArray& value)
{
    const QByteArray cut = value.left(size);
    record.replace(offset, int(cut.size()), cut);
    record[offset + size] = char(cut.size());
}

quint16 le16(const QByteArray& b, int at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}
} // namespace

RawTdsClient::RawTdsClient(int port)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(quint16(port));
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RawTdsClient::~RawTdsClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RawTdsClient::sendBytes(const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t w =
            ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        sent += w;
    }
    return m_fd >= 0;
}

bool RawTdsClient::sendPacket(quint8 type, const QByteArray& payload, quint8 status,
                              int declaredLength)
{
    const int length = declaredLength >= 0 ? declaredLength : int(payload.size()) + 8;
    QByteArray packet;
    packet.append(char(type))
        .append(char(status))
        .append(char(length >> 8))
        .append(char(length & 0xFF));
    packet.append(QByteArray(4, '\0'));
    packet.append(payload);
    return sendBytes(packet);
}

bool RawTdsClient::sendMessage(quint8 type, const QByteArray& payload)
{
    qsizetype offset = 0;
    do {
        const QByteArray chunk = payload.mid(offset, 504);
        offset += chunk.size();
        if (!sendPacket(type, chunk, offset >= payload.size() ? 0x01 : 0x00))
            return false;
    } while (offset < payload.size());
    return true;
}

bool RawTdsClient::readExact(char* out, int n, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    int got = 0;
    while (got < n) {
        const int left = timeoutMs - int(timer.elapsed());
        pollfd p{m_fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
            return false;
        const ssize_t r = ::recv(m_fd, out + got, size_t(n - got), 0);
        if (r <= 0)
            return false;
        got += int(r);
    }
    return true;
}

QByteArray RawTdsClient::readReply(int timeoutMs)
{
    QByteArray payload;
    for (;;) {
        char header[8];
        if (!readExact(header, 8, timeoutMs))
            return {};
        const int length = quint8(header[2]) << 8 | quint8(header[3]);
        QByteArray body(length - 8, '\0');
        if (length < 8 || (length > 8 && !readExact(body.data(), length - 8, timeoutMs)))
            return {};
        payload += body;
        if (header[1] & 0x01)
            return payload;
    }
}

bool RawTdsClient::closedByServer(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    char buffer[4096];
    while (timer.elapsed() < timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t r = ::recv(m_fd, buffer, sizeof(buffer), 0);
        if (r <= 0)
            return true;
    }
    return false;
}

QByteArray RawTdsClient::loginRecord(const QByteArray& user, const QByteArray& password)
{
    QByteArray r(568, '\0');
    putField(r, 0, 30, "rawhost");
    putField(r, 31, 30, user);
    putField(r, 62, 30, password);
    putField(r, 140, 30, "rawclient");
    r[203] = char(password.size());
    r.replace(204, int(password.size()), password);
    r.replace(458, 4, QByteArray("\x05\x00\x00\x00", 4));
    putField(r, 480, 30, "us_english");
    putField(r, 557, 6, "512");
    QByteArray capability("\xe2\x20\x00", 3);
    capability += QByteArray("\x01\x0e", 2) + QByteArray(14, '\x7f') + QByteArray("\x02\x0e", 2) +
                  QByteArray(14, '\0');
    return r + capability;
}

QByteArray RawTdsClient::languageToken(const QByteArray& sql, quint8 status)
{
    const quint32 length = quint32(sql.size()) + 1;
    QByteArray t;
    t.append(char(0x21));
    for (int i = 0; i < 4; ++i)
        t.append(char((length >> (8 * i)) & 0xFF));
    t.append(char(status));
    return t + sql;
}

bool RawTdsClient::login(const QByteArray& user, const QByteArray& password)
{
    return sendMessage(0x02, loginRecord(user, password)) && hasLoginAccepted(readReply());
}

QByteArray RawTdsClient::batch(const QByteArray& sql, int timeoutMs)
{
    if (!sendMessage(0x0F, languageToken(sql)))
        return {};
    return readReply(timeoutMs);
}

bool RawTdsClient::hasLoginAccepted(const QByteArray& reply)
{
    // LOGINACK: ad, length(2), status: 5 accepted.
    for (qsizetype i = reply.indexOf(char(0xAD)); i >= 0 && i + 3 < reply.size();
         i = reply.indexOf(char(0xAD), i + 1))
        if (le16(reply, int(i + 1)) == 20 && quint8(reply[i + 3]) == 5)
            return true;
    return false;
}

int RawTdsClient::lastDoneStatus(const QByteArray& reply)
{
    // Every reply ends with a DONE: fd, status(2), transaction state(2), count(4).
    if (reply.size() < 9 || quint8(reply[reply.size() - 9]) != 0xFD)
        return -1;
    return le16(reply, int(reply.size() - 8));
}

QList<int> RawTdsClient::messageNumbers(const QByteArray& reply)
{
    // Walks only the tokens this server sends in error replies: EED, ENVCHANGE and DONE.
    QList<int> numbers;
    int i = 0;
    while (i + 3 <= reply.size()) {
        const quint8 token = quint8(reply[i]);
        if (token == 0xFD) {
            i += 9;
        } else if (token == 0xE5 || token == 0xE3) {
            if (token == 0xE5 && i + 7 <= reply.size())
                numbers << int(quint8(reply[i + 3]) | quint8(reply[i + 4]) << 8 |
                               quint8(reply[i + 5]) << 16);
            i += 3 + le16(reply, i + 1);
        } else {
            break;
        }
    }
    return numbers;
}
