#include "Login.h"

#include <algorithm>

namespace sandbox {

namespace {
constexpr size_t MinimumLength = 568; // through the packet size field
constexpr size_t CapabilityOffset = 568;
constexpr size_t CapabilityBytes = 32;

// A NUL-padded buffer of `size` bytes followed by its length byte; the length byte wins.
std::string field(const std::vector<uint8_t>& p, size_t offset, size_t size)
{
    const size_t length = std::min<size_t>(p[offset + size], size);
    return std::string(p.begin() + long(offset), p.begin() + long(offset + length));
}
} // namespace

std::optional<LoginRecord> parseLogin(const std::vector<uint8_t>& p)
{
    if (p.size() < MinimumLength)
        return std::nullopt;
    LoginRecord login;
    login.host = field(p, 0, 30);
    login.user = field(p, 31, 30);
    login.password = field(p, 62, 30);
    login.application = field(p, 140, 30);
    // The remote password buffer holds the whole password when it is longer than 30 bytes.
    const size_t remoteLength = std::min<size_t>(p[203], 253);
    if (remoteLength > 0)
        login.password = std::string(p.begin() + 204, p.begin() + long(204 + remoteLength));
    login.encrypted = (p[514] & (0x01 | 0x20 | 0x80)) != 0;
    if (p.size() >= CapabilityOffset + 3 + CapabilityBytes && p[CapabilityOffset] == 0xE2) {
        const size_t length = size_t(p[CapabilityOffset + 1]) | size_t(p[CapabilityOffset + 2])
                                                                    << 8;
        if (length == CapabilityBytes)
            login.capabilities.assign(p.begin() + long(CapabilityOffset + 3),
                                      p.begin() + long(CapabilityOffset + 3 + CapabilityBytes));
    }
    return login;
}

} // namespace sandbox
