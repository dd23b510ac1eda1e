#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"

// Whether a session opened with the connection values and, when it did not, why.
struct ProbeOutcome
{
    bool connected = false;
    // The open's failure description (the server's or the file system's words); empty when
    // connected.
    QString reason;

    explicit operator bool() const { return connected; }
};

// Opens a session with these values and closes it again, showing nothing: a failed open is
// answered with its reason. A failure to create the session object itself reaches the caller.
ProbeOutcome ProbeConnection(const SessionFactory& createSession, const ConnectionSettings& values);
