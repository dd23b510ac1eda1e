#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sandbox {

// The fields of a TDS 5.0 login record this server looks at.
struct LoginRecord
{
    std::string host;
    std::string user;
    std::string password;
    std::string application;
    bool encrypted = false;
    std::vector<uint8_t> capabilities; // the client's 32 bytes, echoed in the reply
};

// nullopt when the payload is too short to be a login record.
std::optional<LoginRecord> parseLogin(const std::vector<uint8_t>& payload);

} // namespace sandbox
