#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

namespace done {
constexpr uint16_t More = 0x01;
constexpr uint16_t Error = 0x02;
constexpr uint16_t InTransaction = 0x04;
constexpr uint16_t CountValid = 0x10;
constexpr uint16_t Attention = 0x20;
} // namespace done

// A server message as ASE numbers and words it.
struct ServerMessage
{
    int32_t number = 0;
    uint8_t state = 1;
    uint8_t severity = 16;
    std::string text;  // ends with "\n" as ASE's do
    uint16_t line = 1; // of the statement within its batch
};

// Builds the reply tokens of one server message; integers little-endian.
class TokenWriter
{
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void u64(uint64_t v);
    void bytes(std::string_view b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    // A string with a one-byte length prefix, cut to 255 bytes.
    void shortString(std::string_view s);

    void envChange(uint8_t type, std::string_view newValue, std::string_view oldValue);
    void loginAck(bool accepted);
    void capability(const std::vector<uint8_t>& bytes);
    void message(const ServerMessage& m, std::string_view serverName);
    void done(uint16_t status, uint32_t count = 0, uint16_t transactionState = 0);

    const std::vector<uint8_t>& data() const { return m_bytes; }
    size_t size() const { return m_bytes.size(); }
    void clear() { m_bytes.clear(); }

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace sandbox
