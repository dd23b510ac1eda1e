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
    // The character set announced at login. Values are kept in it as the client sends them.
    std::string charset = "utf8";
    int loginTimeoutSeconds = 30; // a connection not logged in by then is closed
    // ASE's 'user connections': a connection past them has its login refused (1601).
    int maxConnections = 256;
    // Fault switches for tests.
    bool refuseLogins = false;
    int closeAfter = -1; // statements answered before the connection is dropped
    // Statements run before the connection is dropped with their answers unsent: the last one
    // took effect, yet its client never hears so.
    int answerLostAfter = -1;
    int delayMs = 0; // before every reply
    std::string rejectContaining;
    std::string abortTranContaining; // fails as a deadlock victim
    int silentAfter = -1;            // statements answered before the server stops answering
};

// The character sets --charset accepts: ASE's names that FreeTDS knows.
bool isKnownCharset(const std::string& name);

// nullopt with a message in *error on a bad command line.
std::optional<Options> parseOptions(int argc, char** argv, std::string* error);
const char* usage();

} // namespace sandbox
