#pragma once

#include <QByteArray>
#include <QString>

// A bare TDS 5.0 client on a socket, for feeding the sandbox what no library would send.
class RawTdsClient
{
public:
    explicit RawTdsClient(int port);
    ~RawTdsClient();
    RawTdsClient(const RawTdsClient&) = delete;
    RawTdsClient& operator=(const RawTdsClient&) = delete;

    bool isConnected() const { return m_fd >= 0; }

    // Raw bytes, exactly as given. False when the peer is gone.
    bool sendBytes(const QByteArray& bytes);
    // One packet: header with the given type and status; declaredLength < 0 means the true one.
    bool sendPacket(quint8 type, const QByteArray& payload, quint8 status = 0x01,
                    int declaredLength = -1);
    // A whole message split into 512-byte packets.
    bool sendMessage(quint8 type, const QByteArray& payload);

    // The payloads of the server's next reply message; empty when none came in time.
    QByteArray readReply(int timeoutMs = 60000);
    // True when the server closes the connection within the time.
    bool closedByServer(int timeoutMs = 60000);

    static QByteArray loginRecord(const QByteArray& user, const QByteArray& password);
    static QByteArray languageToken(const QByteArray& sql, quint8 status = 0);
    // Logs in; true when the reply carries a LOGINACK with status 5.
    bool login(const QByteArray& user, const QByteArray& password);
    QByteArray batch(const QByteArray& sql, int timeoutMs = 60000);

    // What replies hold: a DONE token's status bits, an EED's message number.
    static bool hasLoginAccepted(const QByteArray& reply);
    static int lastDoneStatus(const QByteArray& reply);
    static QList<int> messageNumbers(const QByteArray& reply);

private:
    bool readExact(char* out, int n, int timeoutMs);
    int m_fd = -1;
};
