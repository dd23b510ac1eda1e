#include "PacketIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>

namespace sandbox {

namespace {
constexpr int TickMs = 200;
using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, rounded up: a wait of poll's whole milliseconds
// never ends before the deadline, so no loop spins through the last fraction.
long long msUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    return std::chrono::ceil<std::chrono::milliseconds>(left).count();
}
} // namespace

PacketChannel::PacketChannel(int fd, const std::atomic<bool>& stopping)
    : m_fd(fd), m_stopping(stopping)
{
}

PacketChannel::Wait PacketChannel::waitReadable(int timeoutMs)
{
    std::optional<Clock::time_point> deadline = m_deadline;
    if (timeoutMs >= 0) {
        const auto own = Clock::now() + std::chrono::milliseconds(timeoutMs);
        deadline = deadline ? std::min(*deadline, own) : own;
    }
    for (;;) {
        if (m_stopping.load())
            return Wait::Stop;
        const long long left = deadline ? msUntil(*deadline) : TickMs;
        if (left <= 0)
            return Wait::Timeout;
        const int tick = int(std::min<long long>(left, TickMs));
        pollfd p{m_fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, tick);
        if (rc > 0)
            return Wait::Ready;
        if (rc < 0 && errno != EINTR)
            return Wait::Stop;
    }
}

bool PacketChannel::readExact(uint8_t* out, size_t n, bool idleAllowed)
{
    size_t got = 0;
    while (got < n) {
        // Only the very first byte of a message may be waited for without limit.
        const bool idle = idleAllowed && got == 0;
        if (waitReadable(idle ? -1 : StallTimeoutMs) != Wait::Ready)
            return false;
        const ssize_t r = ::recv(m_fd, out + got, n - got, 0);
        if (r == 0)
            return false;
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        got += size_t(r);
    }
    return true;
}

std::optional<Message> PacketChannel::readFromSocket(bool idleAllowed)
{
    Message message;
    bool first = true;
    for (;;) {
        uint8_t header[packet::HeaderSize];
        if (!readExact(header, sizeof(header), idleAllowed && first)) {
            m_broken = true;
            return std::nullopt;
        }
        const size_t length = size_t(header[2]) << 8 | header[3];
        if (length < packet::HeaderSize) {
            m_broken = true;
            return std::nullopt;
        }
        // An attention packet can interrupt nothing of ours but a reply: it stands alone.
        if (header[0] == packet::Attention && first) {
            std::vector<uint8_t> skip(length - packet::HeaderSize);
            if (!skip.empty() && !readExact(skip.data(), skip.size(), false)) {
                m_broken = true;
                return std::nullopt;
            }
            message.type = packet::Attention;
            return message;
        }
        if (first)
            message.type = header[0];
        else if (header[0] != message.type) {
            m_broken = true;
            return std::nullopt;
        }
        const size_t body = length - packet::HeaderSize;
        if (message.payload.size() + body > MaxMessageBytes) {
            m_broken = true;
            return std::nullopt;
        }
        const size_t at = message.payload.size();
        message.payload.resize(at + body);
        if (body && !readExact(message.payload.data() + at, body, false)) {
            m_broken = true;
            return std::nullopt;
        }
        first = false;
        if (header[1] & 0x01)
            return message;
    }
}

std::optional<Message> PacketChannel::read()
{
    if (m_attentionPending) {
        m_attentionPending = false;
        return Message{packet::Attention, {}};
    }
    if (!m_queued.empty()) {
        Message m = std::move(m_queued.front());
        m_queued.pop_front();
        return m;
    }
    if (m_broken)
        return std::nullopt;
    return readFromSocket(true);
}

bool PacketChannel::attentionArrived()
{
    if (m_attentionPending)
        return true;
    while (!m_broken) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return false;
        auto message = readFromSocket(false);
        if (!message)
            return false;
        if (message->type == packet::Attention) {
            m_attentionPending = true;
            return true;
        }
        m_queued.push_back(std::move(*message));
    }
    return false;
}

bool PacketChannel::waitUnlessCancelled(int ms)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (long long left = msUntil(deadline); left > 0; left = msUntil(deadline)) {
        if (attentionArrived() || m_broken || m_stopping.load())
            return m_attentionPending;
        // attentionArrived() has read all that was there, so this sleeps until the client
        // sends more, the tick ends or the delay does.
        pollfd p{m_fd, POLLIN, 0};
        ::poll(&p, 1, int(std::min<long long>(left, TickMs)));
    }
    return attentionArrived();
}

bool PacketChannel::send(uint8_t type, const std::vector<uint8_t>& bytes)
{
    if (m_broken)
        return false;
    constexpr size_t room = packet::BlockSize - packet::HeaderSize;
    size_t offset = 0;
    do {
        const size_t chunk = std::min(room, bytes.size() - offset);
        const bool last = offset + chunk == bytes.size();
        uint8_t header[packet::HeaderSize] = {type,
                                              uint8_t(last ? 0x01 : 0x00),
                                              uint8_t((chunk + packet::HeaderSize) >> 8),
                                              uint8_t((chunk + packet::HeaderSize) & 0xFF),
                                              0,
                                              0,
                                              m_packetNumber++,
                                              0};
        std::vector<uint8_t> out(header, header + packet::HeaderSize);
        out.insert(out.end(), bytes.begin() + long(offset), bytes.begin() + long(offset + chunk));
        size_t sent = 0;
        while (sent < out.size()) {
            const ssize_t w = ::send(m_fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                m_broken = true;
                return false;
            }
            sent += size_t(w);
        }
        offset += chunk;
    } while (offset < bytes.size());
    return true;
}

} // namespace sandbox
