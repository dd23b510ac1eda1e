#pragma once

#include "ConnectionString.h"
#include "SessionProvider.h"

#include <memory>

// Sybase ASE through FreeTDS Client-Library, TDS 5.0, UTF-8 on the wire.
// A dead or unreachable server fails within LoginTimeoutSeconds; a statement that gets no
// answer within CommandTimeoutSeconds fails as well, so nothing hangs the window's thread.
class AseProvider
{
public:
    static constexpr int LoginTimeoutSeconds = 5;
    static constexpr int CommandTimeoutSeconds = 60;

    // Throws Failure with the server's or the client library's messages. rowsPerBatch: rows
    // per round trip (0: the default; 1: each alone, without transactions).
    static std::unique_ptr<SessionProvider> open(const ConnectionString& parts,
                                                 int rowsPerBatch = 0);
};
