#include "TokenWriter.h"

#include <algorithm>

namespace sandbox {

namespace token {
constexpr uint8_t EnvChange = 0xE3;
constexpr uint8_t LoginAck = 0xAD;
constexpr uint8_t Capability = 0xE2;
constexpr uint8_t Eed = 0xE5;
constexpr uint8_t Done = 0xFD;
} // namespace token

void TokenWriter::u16(uint16_t v)
{
    u8(uint8_t(v));
    u8(uint8_t(v >> 8));
}

void TokenWriter::u32(uint32_t v)
{
    u16(uint16_t(v));
    u16(uint16_t(v >> 16));
}

void TokenWriter::u64(uint64_t v)
{
    u32(uint32_t(v));
    u32(uint32_t(v >> 32));
}

void TokenWriter::shortString(std::string_view s)
{
    s = s.substr(0, 255);
    u8(uint8_t(s.size()));
    bytes(s);
}

void TokenWriter::envChange(uint8_t type, std::string_view newValue, std::string_view oldValue)
{
    newValue = newValue.substr(0, 255);
    oldValue = oldValue.substr(0, 255);
    u8(token::EnvChange);
    u16(uint16_t(3 + newValue.size() + oldValue.size()));
    u8(type);
    shortString(newValue);
    shortString(oldValue);
}

void TokenWriter::loginAck(bool accepted)
{
    static constexpr std::string_view product = "sql server";
    u8(token::LoginAck);
    u16(uint16_t(1 + 4 + 1 + product.size() + 4));
    u8(accepted ? 5 : 6);
    bytes(std::string_view("\x05\x00\x00\x00", 4));
    shortString(product);
    // Version 16.0: FreeTDS quotes database names in brackets for 12.5.1 and later.
    bytes(std::string_view("\x10\x00\x00\x00", 4));
}

void TokenWriter::capability(const std::vector<uint8_t>& capabilityBytes)
{
    u8(token::Capability);
    u16(uint16_t(capabilityBytes.size()));
    m_bytes.insert(m_bytes.end(), capabilityBytes.begin(), capabilityBytes.end());
}

void TokenWriter::message(const ServerMessage& m, std::string_view serverName)
{
    static constexpr std::string_view sqlState = "ZZZZZ";
    // The message field has a two-byte length, but the token's own length must fit too.
    const std::string_view text = std::string_view(m.text).substr(0, 60000);
    serverName = serverName.substr(0, 255);
    u8(token::Eed);
    u16(uint16_t(16 + sqlState.size() + text.size() + serverName.size()));
    u32(uint32_t(m.number));
    u8(m.state);
    u8(m.severity);
    shortString(sqlState);
    u8(m.severity > 10 ? 0 : 2);
    u16(0);
    u16(uint16_t(text.size()));
    bytes(text);
    shortString(serverName);
    u8(0); // procedure name
    u16(m.line);
}

void TokenWriter::done(uint16_t status, uint32_t count, uint16_t transactionState)
{
    u8(token::Done);
    u16(status);
    u16(transactionState);
    u32(count);
}

} // namespace sandbox
