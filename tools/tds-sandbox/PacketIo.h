#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace sandbox {

namespace packet {
constexpr uint8_t Language = 0x0F; // TDS 5.0 tokens: language, logout, RPC ...
constexpr uint8_t Login = 0x02;
constexpr uint8_t Reply = 0x04;
constexpr uint8_t Attention = 0x06;
constexpr uint8_t Bulk = 0x07; // the rows of a bulk copy batch
constexpr uint8_t Prelogin = 0x12;
constexpr size_t HeaderSize = 8;
constexpr size_t BlockSize = 512;
} // namespace packet

// One whole client message: the payloads of its packets up to the last one.
struct Message
{
    uint8_t type = 0;
    std::vector<uint8_t> payload;
};

// Packet framing on one connected socket. Any framing fault (a short header length, a
// message over the size limit, a stalled or vanished peer) ends the connection: the
// reader reports it as "no message" and the caller closes.
class PacketChannel
{
public:
    PacketChannel(int fd, const std::atomic<bool>& stopping);

    static constexpr size_t MaxMessageBytes = size_t(16) << 20;
    // A client that goes quiet in the middle of a packet or message is gone.
    static constexpr int StallTimeoutMs = 15000;

    // Waits for the next message, however long the client idles between messages.
    // nullopt when the connection is over (closed, broken, malformed, or the server stops).
    std::optional<Message> read();

    // Returns true when an attention packet has arrived; never blocks for long. Any other
    // complete message that arrives meanwhile is kept for read().
    bool attentionArrived();
    // Waits up to ms, returning early (true) when the client cancels.
    bool waitUnlessCancelled(int ms);

    // Every wait ends by this time at the latest (the connection then counts as broken);
    // nullopt waits as long as the client idles.
    void setDeadline(std::optional<std::chrono::steady_clock::time_point> deadline)
    {
        m_deadline = deadline;
    }

    bool send(uint8_t type, const std::vector<uint8_t>& bytes);
    bool broken() const { return m_broken; }

private:
    enum class Wait
    {
        Ready,
        Timeout,
        Stop
    };
    Wait waitReadable(int timeoutMs);
    bool readExact(uint8_t* out, size_t n, bool idleAllowed);
    std::optional<Message> readFromSocket(bool idleAllowed);

    int m_fd;
    const std::atomic<bool>& m_stopping;
    bool m_broken = false;
    bool m_attentionPending = false;
    std::deque<Message> m_queued;
    uint8_t m_packetNumber = 0;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
};

} // namespace sandbox
