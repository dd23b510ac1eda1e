#pragma once

#include "ConnectionSettings.h"
#include "SessionProvider.h"

#include <memory>

// Sybase ASE through FreeTDS Client-Library, TDS 5.0, UTF-8 on the client's side whatever the
// locale. A dead or unreachable server fails within LoginTimeoutSeconds; a statement that gets
// no answer within the command timeout fails and closes its connection, so nothing hangs the
// window's thread.
class AseProvider
{
public:
    static constexpr int LoginTimeoutSeconds = 5;
    static constexpr int DefaultCommandTimeoutSeconds = 60;
    static constexpr const char* CommandTimeoutVariable = "TESSALOOM_COMMAND_TIMEOUT";

    // Seconds a statement may wait for the server: TESSALOOM_COMMAND_TIMEOUT when set (0 sets
    // no limit of ours), otherwise DefaultCommandTimeoutSeconds. Throws Failure for a value
    // that is not a whole number of seconds.
    static int commandTimeoutSeconds();

    // Throws Failure with the server's or the client library's messages.
    static std::unique_ptr<SessionProvider> open(const ConnectionSettings& settings,
                                                 const SessionOptions& options = {});
};
