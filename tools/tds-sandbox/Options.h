#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sandbox {

struct Options
{
    int port = 5000;
    std::string dataDir;
    std::string user;
    std::string password;
    std::vector<std::string> databases; // made at start when missing
    // Fault switches for tests.
    bool refuseLogins = false;
    int closeAfter = -1; // statements answered before the connection is dropped
    int delayMs = 0;     // before every reply
    std::string rejectContaining;
};

// nullopt with a message in *error on a bad command line.
std::optional<Options> parseOptions(int argc, char** argv, std::string* error);
const char* usage();

} // namespace sandbox
